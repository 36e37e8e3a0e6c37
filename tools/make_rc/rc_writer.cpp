// Writes the Windows resource script of the dialogs and the string table from their data.
#include "rc_writer.h"

#include "app/dialog_resources.h"

namespace refontis::tools {
namespace {

using app::ControlKind;

std::string Quote(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"') {
      out += "\"\"";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\\') {
      out += "\\\\";
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string Id(int id) { return id < 0 ? "-1" : std::to_string(id); }

std::string Rect(const app::Rect& r) {
  return std::to_string(r.x) + ", " + std::to_string(r.y) + ", " + std::to_string(r.width) + ", " +
         std::to_string(r.height);
}

void WriteControl(std::ostream& out, const app::ControlTemplate& c) {
  switch (c.kind) {
    case ControlKind::kDefaultButton:
      out << "    DEFPUSHBUTTON " << Quote(c.text) << ", " << Id(c.id) << ", " << Rect(c.rect)
          << "\n";
      break;
    case ControlKind::kButton:
      out << "    PUSHBUTTON " << Quote(c.text) << ", " << Id(c.id) << ", " << Rect(c.rect) << "\n";
      break;
    case ControlKind::kStatic:
      out << "    CONTROL " << Quote(c.text) << ", " << Id(c.id) << ", \"Static\", "
          << (c.noWrap ? "SS_LEFTNOWORDWRAP" : "SS_LEFT") << " | WS_GROUP, " << Rect(c.rect)
          << "\n";
      break;
    case ControlKind::kEdit: {
      std::string style = "ES_LEFT | ES_READONLY";
      if (c.multiLine) style += " | ES_MULTILINE | ES_AUTOVSCROLL";
      if (c.vScroll) style += " | WS_VSCROLL";
      out << "    EDITTEXT " << Id(c.id) << ", " << Rect(c.rect) << ", " << style << "\n";
      break;
    }
    case ControlKind::kListView:
      out << "    CONTROL \"\", " << Id(c.id)
          << ", \"SysListView32\", LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_BORDER | "
             "WS_TABSTOP, "
          << Rect(c.rect) << "\n";
      break;
    case ControlKind::kProgressBar:
      out << "    CONTROL \"\", " << Id(c.id) << ", \"msctls_progress32\", PBS_SMOOTH | WS_BORDER, "
          << Rect(c.rect) << "\n";
      break;
    case ControlKind::kIcon:
      out << "    ICON " << app::kIconResource << ", " << Id(c.id) << ", " << c.rect.x << ", "
          << c.rect.y << ", 20, 20\n";
      break;
  }
}

}  // namespace

void WriteResourceScript(std::ostream& out, const std::vector<RcResource>& resources,
                         const std::string& manifestPath, const std::string& iconPath) {
  out << "// Generated from the dialog data of src/app/dialog_resources.cpp; do not edit.\n"
         "#pragma code_page(65001)\n"
         "#include <windows.h>\n"
         "#include <commctrl.h>\n"
         "LANGUAGE LANG_JAPANESE, SUBLANG_DEFAULT\n\n"
      << "1 RT_MANIFEST " << Quote(manifestPath) << "\n"
      << app::kIconResource << " ICON " << Quote(iconPath) << "\n";
  for (const auto& r : resources) out << r.id << " " << r.type << " " << Quote(r.path) << "\n";
  out << "\n";
  for (const auto& t : app::DialogTemplates()) {
    std::string style = "DS_MODALFRAME | DS_SETFONT | DS_3DLOOK | WS_POPUP | WS_CAPTION";
    if (t.systemMenu) style += " | WS_SYSMENU";
    if (t.centered) style += " | DS_CENTER";
    out << t.id << " DIALOGEX 0, 0, " << t.width << ", " << t.height << "\n"
        << "STYLE " << style << "\n"
        << "CAPTION " << Quote(t.title) << "\n"
        << "FONT " << t.fontSize << ", " << Quote(t.fontName) << "\n"
        << "BEGIN\n";
    for (const auto& c : t.controls) WriteControl(out, c);
    out << "END\n\n";
  }
  out << "STRINGTABLE\nBEGIN\n";
  for (const auto& [id, text] : app::StringTable()) out << "    " << id << ", " << Quote(text) << "\n";
  out << "END\n\n"
         "VS_VERSION_INFO VERSIONINFO\n"
         " FILEVERSION 1,0,0,0\n"
         " PRODUCTVERSION 1,0,0,0\n"
         " FILEOS VOS_NT_WINDOWS32\n"
         " FILETYPE VFT_APP\n"
         "BEGIN\n"
         "    BLOCK \"StringFileInfo\"\n"
         "    BEGIN\n"
         "        BLOCK \"041103a4\"\n"
         "        BEGIN\n"
         "            VALUE \"CompanyName\", \"Refontis developers\"\n"
         "            VALUE \"FileDescription\", \"Refontis font revision program\"\n"
         "            VALUE \"FileVersion\", \"1.0.0.0\"\n"
         "            VALUE \"ProductName\", \"Refontis\"\n"
         "            VALUE \"ProductVersion\", \"1.0.0.0\"\n"
         "            VALUE \"OriginalFilename\", \"refontis.exe\"\n"
         "        END\n"
         "    END\n"
         "    BLOCK \"VarFileInfo\"\n"
         "    BEGIN\n"
         "        VALUE \"Translation\", 0x411, 932\n"
         "    END\n"
         "END\n";
}

}  // namespace refontis::tools
