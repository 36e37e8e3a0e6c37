// refontis-patch apply: rebuild an old font with a patch file, as the update job does.
#include <cstdio>
#include <cstring>

#include "cli_support.h"
#include "commands.h"
#include "otf/open_type_manager.h"
#include "patch/result_codes.h"
#include "table_compare.h"

namespace refontis::tools {
namespace {

constexpr const char* kUsage =
    "usage: refontis-patch apply OLD.otf PATCH.pa OUT.otf\n"
    "\n"
    "Loads OLD.otf as the update job does (it must carry both the Macintosh and the Windows\n"
    "name-ID-13 records), loads PATCH.pa and writes the revised font to OUT.otf. Prints the\n"
    "result code and its meaning; the exit status is the result code (0 = written).\n";

}  // namespace

int ApplyCommand(int argc, char** argv) {
  if (HasFlag(argc, argv, "--help") || HasFlag(argc, argv, "-h")) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc != 3) {
    std::fputs(kUsage, stderr);
    return 1;
  }
  const std::string oldPath = argv[0], patchPath = argv[1], outPath = argv[2];
  COpenTypeManager font(platform::NativePlatform());
  const std::string refusal = LoadOldFontForRebuild(font, oldPath);
  int code = refusal.empty() ? 0 : 1;
  if (!refusal.empty()) std::fprintf(stderr, "refontis-patch apply: %s\n", refusal.c_str());
  if (code == 0) {
    code = font.BuildNewFontFromFile(oldPath, patchPath, outPath, nullptr, nullptr, 1, 0);
  }
  std::printf("%d %s\n", code, UpdateResultMeaning(code));
  return code;
}

}  // namespace refontis::tools
