// Writes the Windows resource script of the dialogs and the string table from their data.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace refontis::tools {

struct RcResource {
  std::string type;  // INIFILE, FONT_PA
  int id;
  std::string path;
};

// The whole script: manifest, icon, data resources, dialogs, strings, version. Texts are
// written in UTF-8 under "#pragma code_page(65001)".
void WriteResourceScript(std::ostream& out, const std::vector<RcResource>& resources,
                         const std::string& manifestPath, const std::string& iconPath);

}  // namespace refontis::tools
