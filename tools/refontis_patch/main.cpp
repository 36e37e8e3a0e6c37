// refontis-patch: the maker-side tool for fonts and patches.
#include <cstdio>
#include <cstring>

#include "commands.h"

namespace {

constexpr const char* kUsage =
    "usage: refontis-patch COMMAND [ARGS]\n"
    "\n"
    "Commands:\n"
    "  inspect [--json] FONT.otf           show what the updater sees in a font\n"
    "  info [--json] PATCH.pa              show a patch's header and table records\n"
    "  apply OLD.otf PATCH.pa OUT.otf      rebuild OLD into OUT with a patch\n"
    "  build [OPTIONS] OLD.otf NEW.otf OUT.pa   make the patch from OLD to NEW\n"
    "  verify OLD.otf NEW.otf PATCH.pa     check that a patch rebuilds NEW from OLD\n"
    "\n"
    "Each command explains itself with --help.\n";

struct Command {
  const char* name;
  int (*run)(int, char**);
};

constexpr Command kCommands[] = {
    {"inspect", refontis::tools::InspectCommand},
    {"info", refontis::tools::InfoCommand},
    {"apply", refontis::tools::ApplyCommand},
    {"build", refontis::tools::BuildCommand},
    {"verify", refontis::tools::VerifyCommand},
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
    std::fputs(kUsage, argc < 2 ? stderr : stdout);
    return argc < 2 ? 1 : 0;
  }
  for (const Command& command : kCommands) {
    if (std::strcmp(argv[1], command.name) == 0) return command.run(argc - 2, argv + 2);
  }
  std::fprintf(stderr, "refontis-patch: unknown command '%s'\n\n%s", argv[1], kUsage);
  return 1;
}
