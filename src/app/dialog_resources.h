// The dialogs and the string table as data: the terminal back-end lays its windows out from
// these, and the Windows resource script is generated from them.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace refontis::app {

enum class ControlKind { kButton, kDefaultButton, kStatic, kEdit, kListView, kProgressBar, kIcon };

struct Rect {
  int x, y, width, height;  // dialog units
};

struct ControlTemplate {
  int id;  // -1 for a static without id
  ControlKind kind;
  std::string text;  // code page 932
  Rect rect;
  bool multiLine = false;    // edits
  bool readOnly = false;     // edits
  bool vScroll = false;      // edits
  bool noWrap = false;       // statics: each line of the text is one line on screen
};

struct DialogTemplate {
  int id;
  std::string title;
  int width, height;
  std::string fontName;
  int fontSize;
  bool systemMenu;
  bool centered;
  std::vector<ControlTemplate> controls;

  const ControlTemplate* Control(int controlId) const;
};

// Template ids.
inline constexpr int kAboutDialog = 100;
inline constexpr int kMainDialog = 102;
inline constexpr int kStartDialog = 129;
inline constexpr int kProgressDialog = 130;
inline constexpr int kEndDialog = 131;
inline constexpr int kMessageDialog = 132;
inline constexpr int kOkDialog = 133;
inline constexpr int kNormalEndDialog = 134;
inline constexpr int kWaitDialog = 170;

// Control ids.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kFontList = 1005;
inline constexpr int kProgressStop = 1006;
inline constexpr int kOverallBar = 1007;
inline constexpr int kCurrentBar = 1008;
inline constexpr int kOverallText = 1009;
inline constexpr int kCurrentText = 1010;
inline constexpr int kProgressLine2 = 1011;
inline constexpr int kProgressLine1 = 1012;
inline constexpr int kEndText = 1013;
inline constexpr int kMessageText = 1017;
inline constexpr int kStartHeading = 1023;
inline constexpr int kStartLeft = 1024;
inline constexpr int kStartRight = 1026;
inline constexpr int kSearchStop = 1076;
inline constexpr int kSearchText = 1077;
inline constexpr int kAboutIcon = 1200;
inline constexpr int kAboutCommand = 0x0010;  // system-menu item of the main dialog
inline constexpr int kIconResource = 128;

const std::vector<DialogTemplate>& DialogTemplates();
const DialogTemplate& Template(int id);

// The string table: ids 101 to 124 (those the program uses).
const std::vector<std::pair<int, std::string>>& StringTable();
std::string LoadString(int id);

}  // namespace refontis::app
