// The dialogs and the string table as data. Texts are UTF-8 here and code page 932 in the
// program (the compiler converts them).
#include "app/dialog_resources.h"

#include <stdexcept>

namespace refontis::app {
namespace {

constexpr char kTitle[] = "QUILLANEフォント 改訂プログラム";
constexpr char kGothic[] = "ＭＳ Ｐゴシック";
constexpr char kShellDlg[] = "MS Shell Dlg";
constexpr char kStop[] = "中　止";
constexpr char kConfirm[] = "確　認";
constexpr char kStartHeadingText[] =
    "クイランフォント製品をご利用のお客様は、下記２２フォントが改訂対象です。\n\n";

ControlTemplate Button(int id, const char* text, Rect r) {
  return {id, ControlKind::kButton, text, r};
}
ControlTemplate DefaultButton(int id, const char* text, Rect r) {
  return {id, ControlKind::kDefaultButton, text, r};
}
ControlTemplate Static(int id, const char* text, Rect r, bool noWrap = false) {
  ControlTemplate c{id, ControlKind::kStatic, text, r};
  c.noWrap = noWrap;
  return c;
}
ControlTemplate Edit(int id, Rect r, bool multiLine, bool vScroll = false) {
  ControlTemplate c{id, ControlKind::kEdit, "", r};
  c.multiLine = multiLine;
  c.readOnly = true;
  c.vScroll = vScroll;
  return c;
}

std::vector<DialogTemplate> MakeTemplates() {
  std::vector<DialogTemplate> t;
  t.push_back({kAboutDialog, "Refontisのバージョン情報", 235, 55, kGothic, 9, true, false,
               {{kAboutIcon, ControlKind::kIcon, "", {11, 17, 20, 20}},
                Static(-1, "Refontis フォント改訂プログラム Version 1.0.0", {40, 10, 145, 8}),
                Static(-1, "Copyright (C) 2026 Refontis developers", {40, 25, 119, 8}),
                DefaultButton(kIdOk, "OK", {175, 35, 50, 14})}});
  t.push_back({kMainDialog, kTitle, 443, 301, kGothic, 9, true, false,
               {DefaultButton(kIdOk, "実行", {210, 265, 115, 20}),
                Button(kIdCancel, "中止", {130, 265, 65, 20}),
                Static(-1,
                       "検索した結果、下記のフォントが改訂の対象となります。\n\n\n"
                       "改訂を実行する場合は、”実行”を押してください。",
                       {20, 10, 405, 45}),
                {kFontList, ControlKind::kListView, "", {21, 70, 415, 190}}}});
  t.push_back({kStartDialog, kTitle, 322, 197, kGothic, 9, false, false,
               {DefaultButton(kIdOk, "次へ", {181, 170, 60, 20}),
                Button(kIdCancel, kStop, {75, 170, 65, 20}),
                Static(-1,
                       "フォントの改訂を実行する前に、改訂に該当するフォントを検索します。\n\n"
                       "ご利用のコンピュータ内のフォントを検索する場合は”次へ”を押してください。\n\n"
                       "※この検索では、まだ改訂の実行ではありません。",
                       {10, 106, 260, 45}),
                Static(-1, "クイランのOpenTypeフォント製品に対する改訂プログラムです。",
                       {10, 5, 295, 10}),
                Static(kStartHeading, kStartHeadingText, {10, 25, 285, 9}, true),
                Static(kStartLeft, kStartHeadingText, {11, 35, 143, 61}, true),
                Static(kStartRight, kStartHeadingText, {164, 36, 143, 61}, true)}});
  t.push_back({kWaitDialog, "検索中", 275, 126, kGothic, 9, false, true,
               {Static(-1, "しばらくお待ちください。\n\n対象となるフォントを検索中です。",
                       {14, 6, 190, 27}),
                Button(kSearchStop, kStop, {108, 104, 50, 14}),
                Edit(kSearchText, {14, 45, 200, 30}, true)}});
  t.push_back({kProgressDialog, "フォントを改訂中", 427, 166, kShellDlg, 8, false, true,
               {Button(kProgressStop, kStop, {173, 131, 76, 14}),
                Edit(kProgressLine1, {63, 26, 305, 21}, true),
                Static(-1, "全体の進捗", {17, 61, 40, 8}),
                {kOverallBar, ControlKind::kProgressBar, "", {67, 57, 301, 14}},
                Edit(kOverallText, {373, 56, 35, 14}, false),
                Edit(kProgressLine2, {67, 81, 300, 25}, true),
                Static(-1, "現在の進捗", {17, 117, 40, 8}),
                {kCurrentBar, ControlKind::kProgressBar, "", {67, 112, 300, 14}},
                Edit(kCurrentText, {373, 112, 40, 14}, false)}});
  t.push_back({kEndDialog, kConfirm, 287, 90, kShellDlg, 8, false, false,
               {DefaultButton(kIdOk, "はい", {225, 68, 55, 14}),
                Static(kEndText, "", {15, 15, 250, 40})}});
  t.push_back({kMessageDialog, kConfirm, 266, 90, kShellDlg, 8, true, false,
               {DefaultButton(kIdOk, "はい", {142, 69, 50, 14}),
                Button(kIdCancel, "いいえ", {65, 69, 50, 14}),
                Edit(kMessageText, {7, 7, 252, 48}, true)}});
  t.push_back({kOkDialog, kConfirm, 258, 90, kShellDlg, 8, true, false,
               {DefaultButton(kIdOk, "はい", {201, 69, 50, 14}),
                Edit(kMessageText, {7, 7, 244, 51}, true, true)}});
  t.push_back({kNormalEndDialog, kConfirm, 282, 90, kShellDlg, 8, true, false,
               {DefaultButton(kIdOk, "再起動", {150, 65, 60, 14}),
                Button(kIdCancel, "キャンセル", {75, 65, 50, 14}),
                Static(kEndText, "", {10, 10, 263, 45})}});
  return t;
}

constexpr char kStopQuestion[] =
    "中止する場合は、”はい”ボタン、\r\n中止しない場合は、”いいえ”ボタンを押してください。";

std::vector<std::pair<int, std::string>> MakeStrings() {
  return {
      {101, "Refontisのﾊﾞｰｼﾞｮﾝ情報(&A)..."},
      {102, std::string("フォントの改訂を中止します。\r\n\r\n") + kStopQuestion},
      {105,
       "改訂が正常に終了しました。\r\n\r\n改訂したフォントを有効にする為に、システムを再起動します。"
       "\r\n再起動する場合は、”再起動”を押してください。"},
      {106, "フォントの改訂を中止しました。"},
      {107, "該当するフォントがありませんでした。\r\n\r\n改訂プログラムを終了します。"},
      {108, "改訂対象となるフォントが存在しません。\r\n改訂を開始できません。"},
      {109,
       "セットアップの初期化でエラーが発生しました。\r\nマシンを再起動後、今一度、改訂プログラムを"
       "実行して下さい。\r\n改善されない場合は、弊社サポートまで、ご連絡ください。"},
      {110, "このOSはサポートしていません。\r\n動作環境をご確認下さい。"},
      {111,
       "現在、ログオンしているユーザの権限では、改訂できません。\r\nAdministrator権限のあるユーザで、"
       "ログオンしなおしてください。"},
      {112, "改訂元のフォントが存在しません。\r\n改訂を中止します。"},
      {113, "改訂ファイル(%s)の読み込みに失敗しました。"},
      {114, "改訂元ファイル(%s)の読み込みに失敗しました。"},
      {116, std::string("改訂対象フォントの検索を中止します。\r\n\r\n") + kStopQuestion},
      {119, "改訂プログラムの差分ファイルの読み込みに失敗しました。"},
      {120, "新しいフォントファイル(%s)の情報変更に失敗しました。"},
      {121, "テンポラリフォルダからフォント(%s)の再構築に失敗しました。"},
      {122, "改訂後のフォントファイル(%s)の作成に失敗しました。"},
      {123, "改訂後のフォントファイル(%s)の読み込みに失敗しました。"},
      {124, "改訂後のフォントファイル(%s)のベリファイが一致しません。"},
  };
}

}  // namespace

const ControlTemplate* DialogTemplate::Control(int controlId) const {
  for (const auto& c : controls) {
    if (c.id == controlId) return &c;
  }
  return nullptr;
}

const std::vector<DialogTemplate>& DialogTemplates() {
  static const std::vector<DialogTemplate> templates = MakeTemplates();
  return templates;
}

const DialogTemplate& Template(int id) {
  for (const auto& t : DialogTemplates()) {
    if (t.id == id) return t;
  }
  throw std::out_of_range("no dialog template " + std::to_string(id));
}

const std::vector<std::pair<int, std::string>>& StringTable() {
  static const std::vector<std::pair<int, std::string>> strings = MakeStrings();
  return strings;
}

std::string LoadString(int id) {
  for (const auto& [key, text] : StringTable()) {
    if (key == id) return text;
  }
  return {};
}

}  // namespace refontis::app
