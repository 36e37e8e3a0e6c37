// refontis-make-rc: prints the program's resource script. Arguments: the manifest, the icon,
// then TYPE|ID|PATH for every data resource.
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "rc_writer.h"

int main(int argc, char** argv) {
  if (argc < 3 || std::strcmp(argv[1], "--help") == 0) {
    std::fputs(
        "usage: refontis-make-rc MANIFEST ICON [TYPE|ID|PATH]...\n"
        "Prints the Windows resource script (UTF-8) of the dialogs, strings, icon, manifest,\n"
        "version and the given data resources.\n",
        argc < 3 ? stderr : stdout);
    return argc < 3 ? 1 : 0;
  }
  std::vector<refontis::tools::RcResource> resources;
  for (int i = 3; i < argc; ++i) {
    const std::string plan = argv[i];
    const size_t a = plan.find('|'), b = plan.find('|', a + 1);
    if (a == std::string::npos || b == std::string::npos) {
      std::fprintf(stderr, "refontis-make-rc: '%s' is not TYPE|ID|PATH\n", argv[i]);
      return 1;
    }
    resources.push_back({plan.substr(0, a), std::stoi(plan.substr(a + 1, b - a - 1)),
                         plan.substr(b + 1)});
  }
  refontis::tools::WriteResourceScript(std::cout, resources, argv[1], argv[2]);
  return 0;
}
