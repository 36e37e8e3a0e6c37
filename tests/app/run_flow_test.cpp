// The run flow end to end over a fake machine: every stage of the main dialog, its messages,
// the progress of the update jobs, and what the machine holds after each ending.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "app/dialog_resources.h"
#include "app/refontis_app.h"
#include "config/res_file_ctrl.h"
#include "patch/sabun_data.h"
#include "run_flow_fixture.h"
#include "search/folder_check_ctrl.h"

namespace refontis {
namespace {

using app::kIdCancel;
using app::kIdOk;
using platform::OsVersionInfo;
using test::Bytes;
using test::UiEvent;

// The messages of the run as the user must read them.
const std::map<int, std::string>& Messages() {
  static const std::map<int, std::string> messages = {
      {102,
       "フォントの改訂を中止します。\r\n\r\n中止する場合は、”はい”ボタン、\r\n中止しない場合は、”い"
       "い"
       "え”ボタンを押してください。"},
      {105,
       "改訂が正常に終了しました。\r\n\r\n改訂したフォントを有効にする為に、システムを再起動します"
       "。"
       "\r\n再起動する場合は、”再起動”を押してください。"},
      {106, "フォントの改訂を中止しました。"},
      {107, "該当するフォントがありませんでした。\r\n\r\n改訂プログラムを終了します。"},
      {108, "改訂対象となるフォントが存在しません。\r\n改訂を開始できません。"},
      {109,
       "セットアップの初期化でエラーが発生しました。\r\nマシンを再起動後、今一度、改訂プログラムを"
       "実"
       "行して下さい。\r\n改善されない場合は、弊社サポートまで、ご連絡ください。"},
      {110, "このOSはサポートしていません。\r\n動作環境をご確認下さい。"},
      {111,
       "現在、ログオンしているユーザの権限では、改訂できません。\r\nAdministrator権限のあるユーザで"
       "、"
       "ログオンしなおしてください。"},
      {112, "改訂元のフォントが存在しません。\r\n改訂を中止します。"},
      {113, "改訂ファイル(%s)の読み込みに失敗しました。"},
      {114, "改訂元ファイル(%s)の読み込みに失敗しました。"},
      {116,
       "改訂対象フォントの検索を中止します。\r\n\r\n中止する場合は、”はい”ボタン、\r\n中止しない場"
       "合"
       "は、”いいえ”ボタンを押してください。"},
      {119, "改訂プログラムの差分ファイルの読み込みに失敗しました。"},
      {120, "新しいフォントファイル(%s)の情報変更に失敗しました。"},
      {121, "テンポラリフォルダからフォント(%s)の再構築に失敗しました。"},
      {122, "改訂後のフォントファイル(%s)の作成に失敗しました。"},
      {123, "改訂後のフォントファイル(%s)の読み込みに失敗しました。"},
      {124, "改訂後のフォントファイル(%s)のベリファイが一致しません。"},
  };
  return messages;
}

std::string Msg(int id) { return Messages().at(id); }

std::string Msg(int id, const std::string& argument) {
  std::string text = Msg(id);
  const size_t at = text.find("%s");
  return at == std::string::npos ? text : text.replace(at, 2, argument);
}

TEST(RunFlowMessages, TheStringTableHoldsTheMessagesOfTheRun) {
  for (const auto& [id, text] : Messages()) EXPECT_EQ(app::LoadString(id), text) << id;
}

constexpr char kSystemFolder[] = "/windows/system32/";
constexpr char kFontCache[] = "/windows/system32/fntcache.dat";
constexpr char kDownloadFolder[] = "/home/user/Quillane/Fonts/Download/add/";
// The update job's temporary files: time 1600000000 and rand() % 255.
constexpr char kJobTempPrefix[] = "/tmp/1600000000";

const std::vector<test::FakeFont>& DemoFonts() {
  static const std::vector<test::FakeFont> fonts = test::MakeFakeFonts(3);
  return fonts;
}

std::vector<std::string> Titles(size_t count) {
  std::vector<std::string> titles;
  for (size_t i = 1; i <= count; ++i) titles.push_back("Title " + std::to_string(i));
  return titles;
}

// The embedded configuration: `maxNum` patch files announced (the first fonts.size() of them
// named, in a sub-folder as the maker writes them) and the start page's titles.
Bytes Configuration(const std::vector<test::FakeFont>& fonts, int maxNum,
                    const std::vector<std::string>& titles) {
  std::string ini = "[UPDATE_FONT]\r\nMAXNUM=" + std::to_string(maxNum) + "\r\n";
  for (size_t i = 0; i < fonts.size(); ++i) {
    ini += "FONT_PAFILE" + std::to_string(i + 1) + "=patches\\" + fonts[i].stem + ".pa\r\n";
    ini += "FONT_RESNUM" + std::to_string(i + 1) + "=" + std::to_string(2001 + i) + "\r\n";
  }
  ini += "[UPDATE_STARTDLG_STRING]\r\nMAIN_TEXTTITLE=Heading\r\nMAXNUM=" +
         std::to_string(titles.size()) + "\r\n";
  for (size_t i = 0; i < titles.size(); ++i) {
    ini += "FONT_TEXTTITLE" + std::to_string(i + 1) + "=" + titles[i] + "\r\n";
  }
  return Bytes(ini.begin(), ini.end());
}

bool StartsWith(const std::string& s, const std::string& prefix) {
  return s.compare(0, prefix.size(), prefix) == 0;
}

// The scripted back-end, also keeping what the main dialog's initialisation returned.
class RecordingUi : public test::ScriptedUi {
 public:
  int RunModal(int templateId, app::DialogEvents& events, app::DialogWindow* owner) override {
    if (templateId != app::kMainDialog) return ScriptedUi::RunModal(templateId, events, owner);
    Forward forward(events, &mainInitResult);
    return ScriptedUi::RunModal(templateId, forward, owner);
  }
  std::optional<bool> mainInitResult;

 private:
  class Forward : public app::DialogEvents {
   public:
    Forward(app::DialogEvents& inner, std::optional<bool>* result)
        : inner_(inner), result_(result) {}
    bool OnInitDialog(app::DialogWindow& window) override {
      *result_ = inner_.OnInitDialog(window);
      return **result_;
    }
    void OnCommand(app::DialogWindow& window, int id) override { inner_.OnCommand(window, id); }
    void OnSysCommand(app::DialogWindow& window, int id) override {
      inner_.OnSysCommand(window, id);
    }
    void OnDestroyed() override { inner_.OnDestroyed(); }

   private:
    app::DialogEvents& inner_;
    std::optional<bool>* result_;
  };
};

// (template, text of its message control) of every modal dialog, in order.
using Dialogs = std::vector<std::pair<int, std::string>>;

class RunFlowTest : public testing::Test {
 protected:
  void SetUp() override {
    test::ResetControllers();
    platform.drives = {{"/", platform::kDriveFixed}};
    platform.systemFolder = kSystemFolder;
    platform.files[kFontCache] = {1, 2, 3, 4};
  }
  void TearDown() override { test::ResetControllers(); }

  // The program with the patches of the first `count` demo fonts; the fonts are not placed.
  void Install(size_t count, int maxNum = -1, std::vector<std::string> titles = {}) {
    fonts.assign(DemoFonts().begin(), DemoFonts().begin() + static_cast<std::ptrdiff_t>(count));
    for (size_t i = 0; i < count; ++i) {
      ASSERT_FALSE(fonts[i].patch.empty());
      platform.resources.AddCopy(kPatchResourceType, static_cast<int>(2001 + i), fonts[i].patch);
    }
    if (titles.empty()) titles = Titles(count);
    SetConfiguration(Configuration(fonts, maxNum < 0 ? static_cast<int>(count) : maxNum, titles));
  }
  void SetConfiguration(const Bytes& ini) {
    platform.resources.AddCopy(kConfigurationResourceType, kConfigurationResourceId, ini);
    configured_ = true;
  }
  void PlaceFonts() {
    for (size_t i = 0; i < fonts.size(); ++i) platform.files[FontPath(i)] = fonts[i].oldFont;
  }
  std::string FontPath(size_t i) const { return "/fonts/" + fonts[i].stem + ".otf"; }
  std::vector<std::string> FontPaths(size_t count) const {
    std::vector<std::string> paths;
    for (size_t i = 0; i < count; ++i) paths.push_back(FontPath(i));
    return paths;
  }
  // Two files named by product codes in a download folder, and one other file beside them.
  std::vector<std::string> PlaceDownloads() {
    std::vector<std::string> paths;
    EXPECT_GE(ProductCodes().size(), 2u) << "the program names no product codes";
    for (size_t i = 0; i < std::min<size_t>(2, ProductCodes().size()); ++i) {
      paths.push_back(kDownloadFolder + ProductCodes()[i]);
      platform.files[paths.back()] = {9};
    }
    platform.files[std::string(kDownloadFolder) + "readme.txt"] = {9};
    return paths;
  }

  // Runs the application; whatever way it ended, the script was used up, and neither the
  // controllers nor a temporary file are left.
  bool Run() {
    app::CRefontisApp application(ui, platform);
    bool ran = false;
    EXPECT_FALSE(application.InitInstance(&ran));
    EXPECT_FALSE(ui.AnswersLeft()) << "the run ended before the script did";
    for (const UiEvent& e : ui.transcript) {
      EXPECT_NE(e.kind, UiEvent::kScriptProblem) << e.text << " (template " << e.templateId << ")";
    }
    EXPECT_FALSE(CResFileCtrl::HasInstance());
    EXPECT_FALSE(CFolderCheckCtrl::HasInstance());
    for (const auto& [path, bytes] : platform.files) {
      EXPECT_FALSE(StartsWith(path, "/tmp/")) << "left behind: " << path;
    }
    if (ran && configured_) {
      EXPECT_TRUE(std::any_of(platform.created.begin(), platform.created.end(),
                              [](const std::string& p) {
                                return StartsWith(p, "/tmp/") && p.size() > 4 &&
                                       p.compare(p.size() - 4, 4, ".ini") == 0;
                              }))
          << "the configuration was never extracted";
    }
    return ran;
  }

  Dialogs Shown() const {
    Dialogs shown;
    const std::vector<int> ids = ui.ModalTemplates();
    for (size_t i = 0; i < ids.size(); ++i) {
      int control = 0;
      if (ids[i] == app::kMessageDialog || ids[i] == app::kOkDialog) control = app::kMessageText;
      if (ids[i] == app::kEndDialog || ids[i] == app::kNormalEndDialog) control = app::kEndText;
      shown.emplace_back(ids[i], control == 0 ? std::string() : ui.ModalText(i, control));
    }
    return shown;
  }
  int MainResult() const {
    int result = -1;
    for (const UiEvent& e : ui.transcript) {
      if (e.kind == UiEvent::kModalEnded && e.templateId == app::kMainDialog) result = e.value;
    }
    return result;
  }
  std::vector<std::string> ListItems() const {
    std::vector<std::string> items;
    for (const UiEvent& e : ui.transcript) {
      if (e.kind == UiEvent::kListItem) {
        EXPECT_EQ(e.value, static_cast<int>(items.size()));
        items.push_back(e.text);
      }
    }
    return items;
  }
  size_t Count(UiEvent::Kind kind, int templateId = 0) const {
    return static_cast<size_t>(
        std::count_if(ui.transcript.begin(), ui.transcript.end(), [&](const UiEvent& e) {
          return e.kind == kind && (templateId == 0 || e.templateId == templateId);
        }));
  }
  // Position in the transcript of the first event of this kind and template.
  size_t Position(UiEvent::Kind kind, int templateId) const {
    for (size_t k = 0; k < ui.transcript.size(); ++k) {
      if (ui.transcript[k].kind == kind && ui.transcript[k].templateId == templateId) return k;
    }
    return SIZE_MAX;
  }
  std::vector<std::string> PageTexts(int control) const {
    std::vector<std::string> texts;
    for (const UiEvent& e : ui.transcript) {
      if (e.kind == UiEvent::kText && e.templateId == app::kProgressDialog &&
          e.control == control) {
        texts.push_back(e.text);
      }
    }
    return texts;
  }
  int SleepsOf(int milliseconds) const {
    const std::vector<int> sleeps = ui.Sleeps();
    return static_cast<int>(std::count(sleeps.begin(), sleeps.end(), milliseconds));
  }
  void ExpectFonts(size_t revisedCount) {
    for (size_t i = 0; i < fonts.size(); ++i) {
      EXPECT_EQ(platform.files[FontPath(i)], i < revisedCount ? fonts[i].newFont : fonts[i].oldFont)
          << FontPath(i) << (i < revisedCount ? " is not revised" : " was changed");
    }
  }

  test::FakePlatform platform;
  RecordingUi ui;
  std::vector<test::FakeFont> fonts;

 private:
  bool configured_ = false;
};

// --- Configuration check ---

struct ConfigurationRow {
  const char* name;
  size_t patches;
  int maxNum;         // -1: no configuration resource
  int emptyResource;  // a patch resource id registered empty, or 0
};
void PrintTo(const ConfigurationRow& row, std::ostream* os) { *os << row.name; }

class ConfigurationCheckTest : public RunFlowTest,
                               public testing::WithParamInterface<ConfigurationRow> {};

TEST_P(ConfigurationCheckTest, RefusalLeavesTheEmptyMainDialogOpen) {
  const ConfigurationRow& row = GetParam();
  fonts.assign(DemoFonts().begin(), DemoFonts().begin() + static_cast<std::ptrdiff_t>(row.patches));
  for (size_t i = 0; i < row.patches; ++i) {
    platform.resources.AddCopy(kPatchResourceType, static_cast<int>(2001 + i), fonts[i].patch);
  }
  if (row.emptyResource != 0) platform.resources.AddCopy(kPatchResourceType, row.emptyResource, {});
  if (row.maxNum >= 0) SetConfiguration(Configuration(fonts, row.maxNum, Titles(row.patches)));
  PlaceFonts();
  platform.version = std::nullopt;  // the environment check would refuse with 109

  ui.Answer(app::kOkDialog, kIdOk);        // 119
  ui.Answer(app::kMainDialog, kIdOk);      // execute on the empty list
  ui.Answer(app::kOkDialog, kIdOk);        // 108
  ui.Answer(app::kMainDialog, kIdCancel);  // stop
  ui.Answer(app::kMessageDialog, kIdOk);   // 102, "はい"
  EXPECT_TRUE(Run());

  EXPECT_EQ(Shown(), (Dialogs{{app::kOkDialog, Msg(119)},
                              {app::kMainDialog, ""},
                              {app::kOkDialog, Msg(108)},
                              {app::kMessageDialog, Msg(102)}}));
  EXPECT_EQ(MainResult(), kIdCancel);
  EXPECT_EQ(Count(UiEvent::kListColumn), 0u);
  EXPECT_EQ(Count(UiEvent::kPageCreated), 0u);
  EXPECT_EQ(ui.mainInitResult, false);
  ExpectFonts(0);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ConfigurationCheckTest,
    testing::Values(ConfigurationRow{"MoreAnnouncedThanEmbedded", 2, 3, 0},
                    ConfigurationRow{"NoneAnnounced", 2, 0, 0},
                    ConfigurationRow{"AnnouncedPatchResourceEmpty", 2, 2, 2002},
                    ConfigurationRow{"NoConfiguration", 2, -1, 0}),
    [](const testing::TestParamInfo<ConfigurationRow>& info) { return info.param.name; });

// --- Environment check ---

struct EnvironmentRow {
  const char* name;
  std::optional<OsVersionInfo> version;
  bool administrator;
  int message;  // refusal message, 0: none
  bool accepted;
};
void PrintTo(const EnvironmentRow& row, std::ostream* os) { *os << row.name; }

class EnvironmentStageTest : public RunFlowTest,
                             public testing::WithParamInterface<EnvironmentRow> {};

TEST_P(EnvironmentStageTest, OnlySupportedSystemsWithRightsReachTheStartPage) {
  const EnvironmentRow& row = GetParam();
  Install(2);
  PlaceFonts();
  platform.version = row.version;
  platform.administrator = row.administrator;
  if (row.message != 0) ui.Answer(app::kOkDialog, kIdOk);
  if (row.accepted) {
    ui.Answer(app::kStartDialog, kIdCancel);
    ui.Answer(app::kMessageDialog, kIdOk);
  }
  EXPECT_TRUE(Run());

  Dialogs expected;
  if (row.message != 0) expected.emplace_back(app::kOkDialog, Msg(row.message));
  if (row.accepted) {
    expected.emplace_back(app::kStartDialog, "");
    expected.emplace_back(app::kMessageDialog, Msg(102));
  }
  expected.emplace_back(app::kMainDialog, "");
  EXPECT_EQ(Shown(), expected);
  EXPECT_EQ(MainResult(), 0);
  EXPECT_EQ(ui.mainInitResult, false);
  EXPECT_EQ(Count(UiEvent::kListColumn), 0u);
  ExpectFonts(0);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, EnvironmentStageTest,
    testing::Values(
        EnvironmentRow{"Unreadable", std::nullopt, false, 109, false},
        EnvironmentRow{"Windows98", OsVersionInfo{1, 4, 10, "", false}, false, 110, false},
        EnvironmentRow{"Windows8", OsVersionInfo{2, 6, 2, "", false}, true, 110, false},
        EnvironmentRow{"VistaEndsSilently", OsVersionInfo{2, 6, 0, "", false}, true, 0, false},
        EnvironmentRow{"VistaUser", OsVersionInfo{2, 6, 0, "", false}, false, 111, false},
        EnvironmentRow{"Windows7User", OsVersionInfo{2, 6, 1, "", false}, false, 111, false},
        EnvironmentRow{"Windows7", OsVersionInfo{2, 6, 1, "", false}, true, 0, true},
        EnvironmentRow{"Windows81", OsVersionInfo{2, 6, 3, "", false}, true, 0, true},
        EnvironmentRow{"Windows10", OsVersionInfo{2, 10, 0, "", false}, true, 0, true}),
    [](const testing::TestParamInfo<EnvironmentRow>& info) { return info.param.name; });

// --- Start page ---

struct TitleRow {
  const char* name;
  std::vector<std::string> titles;
  std::string left, right;
};
void PrintTo(const TitleRow& row, std::ostream* os) { *os << row.name; }

class StartPageTest : public RunFlowTest, public testing::WithParamInterface<TitleRow> {};

TEST_P(StartPageTest, ShowsTheTitlesInTwoColumnsAndEndsWhenTheStopIsConfirmed) {
  const TitleRow& row = GetParam();
  Install(2, -1, row.titles);
  PlaceFonts();
  ui.Answer(app::kStartDialog, kIdCancel);
  ui.Answer(app::kMessageDialog, kIdOk);
  EXPECT_TRUE(Run());

  EXPECT_EQ(
      Shown(),
      (Dialogs{{app::kStartDialog, ""}, {app::kMessageDialog, Msg(102)}, {app::kMainDialog, ""}}));
  EXPECT_EQ(ui.ModalText(0, app::kStartLeft), row.left);
  EXPECT_EQ(ui.ModalText(0, app::kStartRight), row.right);
  EXPECT_EQ(ui.ModalText(0, app::kStartHeading),
            "クイランフォント製品をご利用のお客様は、下記２２フォントが改訂対象です。\n\n");
  EXPECT_EQ(MainResult(), 0);
  EXPECT_EQ(ui.mainInitResult, false);
  EXPECT_EQ(Count(UiEvent::kListColumn), 0u);
  EXPECT_EQ(Count(UiEvent::kPageCreated), 0u);  // no search
  ExpectFonts(0);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, StartPageTest,
    testing::Values(
        TitleRow{"Thirteen", Titles(13),
                 "Title 1\nTitle 2\nTitle 3\nTitle 4\nTitle 5\nTitle 6\nTitle 7\n",
                 "Title 8\nTitle 9\nTitle 10\nTitle 11\nTitle 12\nTitle 13\n"},
        TitleRow{"Five", Titles(5), "Title 1\nTitle 2\nTitle 3\nTitle 4\nTitle 5\n", ""},
        TitleRow{"Seven", Titles(7),
                 "Title 1\nTitle 2\nTitle 3\nTitle 4\nTitle 5\nTitle 6\nTitle 7\n", ""},
        TitleRow{"Eight", Titles(8),
                 "Title 1\nTitle 2\nTitle 3\nTitle 4\nTitle 5\nTitle 6\nTitle 7\n", "Title 8\n"},
        // An empty value is no title: the columns count the titles, not the keys.
        TitleRow{"EmptyValueSkipped",
                 {"A", "", "C", "D", "E", "F", "G", "H", "I"},
                 "A\nC\nD\nE\nF\nG\nH\n",
                 "I\n"}),
    [](const testing::TestParamInfo<TitleRow>& info) { return info.param.name; });

TEST_F(RunFlowTest, StartPageStaysWhenTheStopIsWithdrawn) {
  Install(2);
  PlaceFonts();
  ui.Answer(app::kStartDialog, kIdCancel);
  ui.Answer(app::kMessageDialog, kIdCancel);  // "いいえ"
  ui.Answer(app::kStartDialog, kIdOk);        // "次へ"
  ui.Answer(app::kMainDialog, kIdCancel);
  ui.Answer(app::kMessageDialog, kIdOk);
  EXPECT_TRUE(Run());

  EXPECT_EQ(Shown(), (Dialogs{{app::kStartDialog, ""},
                              {app::kMessageDialog, Msg(102)},
                              {app::kMainDialog, ""},
                              {app::kMessageDialog, Msg(102)}}));
  EXPECT_EQ(ListItems(), FontPaths(2));
  EXPECT_EQ(ui.mainInitResult, true);
  EXPECT_EQ(MainResult(), kIdCancel);
}

// --- Patch list and search ---

TEST_F(RunFlowTest, EmptyPatchListEndsWithMessage112) {
  Install(2);
  PlaceFonts();
  for (size_t i = 0; i < fonts.size(); ++i) {
    Bytes wrongMagic = fonts[i].patch;
    wrongMagic[0] ^= 0x20;
    platform.resources.AddCopy(kPatchResourceType, static_cast<int>(2001 + i), wrongMagic);
  }
  ui.Answer(app::kStartDialog, kIdOk);
  ui.Answer(app::kOkDialog, kIdOk);
  EXPECT_TRUE(Run());

  EXPECT_EQ(Shown(),
            (Dialogs{{app::kStartDialog, ""}, {app::kOkDialog, Msg(112)}, {app::kMainDialog, ""}}));
  EXPECT_EQ(MainResult(), 0);
  EXPECT_EQ(ui.mainInitResult, false);
  ASSERT_EQ(Count(UiEvent::kListColumn), 1u);
  const UiEvent& column = ui.transcript[Position(UiEvent::kListColumn, app::kMainDialog)];
  EXPECT_EQ(column.text, "フォント名");
  EXPECT_EQ(column.value, 600);
  EXPECT_EQ(Count(UiEvent::kPageCreated), 0u);
  ExpectFonts(0);
}

TEST_F(RunFlowTest, NothingFoundEndsWithMessage107) {
  Install(2);
  // Fonts the patches fit, but on a drive that is not searched, and an older font by name.
  platform.drives.push_back({"E:/", platform::kDriveRemovable});
  platform.files["E:/" + fonts[0].stem + ".otf"] = fonts[0].oldFont;
  platform.files["/fonts/" + fonts[1].stem + ".otf"] = fonts[1].newFont;
  ui.Answer(app::kStartDialog, kIdOk);
  ui.Answer(app::kOkDialog, kIdOk);
  EXPECT_TRUE(Run());

  EXPECT_EQ(Shown(),
            (Dialogs{{app::kStartDialog, ""}, {app::kOkDialog, Msg(107)}, {app::kMainDialog, ""}}));
  EXPECT_EQ(MainResult(), 0);
  EXPECT_EQ(ui.mainInitResult, false);
  EXPECT_TRUE(ListItems().empty());
  // The search page is gone before the message shows.
  EXPECT_LT(Position(UiEvent::kPageCreated, app::kWaitDialog),
            Position(UiEvent::kPageDestroyed, app::kWaitDialog));
  EXPECT_LT(Position(UiEvent::kPageDestroyed, app::kWaitDialog),
            Position(UiEvent::kModalShown, app::kOkDialog));
}

struct SearchStopRow {
  const char* name;
  int pump;      // the search report at which the stop button is pressed
  int answer;    // to message 116
  size_t found;  // fonts in the list afterwards
};
void PrintTo(const SearchStopRow& row, std::ostream* os) { *os << row.name; }

class SearchStopTest : public RunFlowTest, public testing::WithParamInterface<SearchStopRow> {};

TEST_P(SearchStopTest, ListShowsWhatWasFoundBeforeTheStop) {
  const SearchStopRow& row = GetParam();
  Install(2);
  // Folders in listing order: /a/ (first font), /b01/ to /b19/ (the 20th folder brings the
  // second report; the first is the drive's), then /tmp/, /windows/ and /z/ (second font).
  const std::vector<std::string> paths = {"/a/" + fonts[0].stem + ".otf",
                                          "/z/" + fonts[1].stem + ".otf"};
  platform.files[paths[0]] = fonts[0].oldFont;
  platform.files[paths[1]] = fonts[1].oldFont;
  for (int i = 1; i <= 19; ++i) {
    platform.files["/b" + std::string(i < 10 ? "0" : "") + std::to_string(i) + "/x.txt"] = {1};
  }
  ui.PressOnPump(app::kWaitDialog, app::kSearchStop, row.pump);
  ui.Answer(app::kStartDialog, kIdOk);
  ui.Answer(app::kMessageDialog, row.answer);
  Dialogs expected = {{app::kStartDialog, ""}, {app::kMessageDialog, Msg(116)}};
  if (row.found == 0) {
    ui.Answer(app::kOkDialog, kIdOk);
    expected.emplace_back(app::kOkDialog, Msg(107));
    expected.emplace_back(app::kMainDialog, "");
  } else {
    ui.Answer(app::kMainDialog, kIdCancel);
    ui.Answer(app::kMessageDialog, kIdOk);
    expected.emplace_back(app::kMainDialog, "");
    expected.emplace_back(app::kMessageDialog, Msg(102));
  }
  EXPECT_TRUE(Run());

  EXPECT_EQ(Shown(), expected);
  EXPECT_EQ(ListItems(),
            std::vector<std::string>(paths.begin(),
                                     paths.begin() + static_cast<std::ptrdiff_t>(row.found)));
  EXPECT_EQ(MainResult(), row.found == 0 ? 0 : kIdCancel);
  EXPECT_EQ(ui.mainInitResult, row.found != 0);
  EXPECT_EQ(ui.pumps, row.answer == kIdOk ? row.pump : 2);
  EXPECT_EQ(platform.files[paths[0]], fonts[0].oldFont);
  EXPECT_EQ(platform.files[paths[1]], fonts[1].oldFont);
}

INSTANTIATE_TEST_SUITE_P(Rows, SearchStopTest,
                         testing::Values(SearchStopRow{"BeforeAnyFontWasFound", 1, kIdOk, 0},
                                         SearchStopRow{"AfterTheFirstFont", 2, kIdOk, 1},
                                         SearchStopRow{"WithdrawnSearchGoesOn", 2, kIdCancel, 2}),
                         [](const testing::TestParamInfo<SearchStopRow>& info) {
                           return info.param.name;
                         });

// --- The list shown ---

TEST_F(RunFlowTest, ListStaysUntilTheStopIsConfirmedAndOpensTheAboutBox) {
  Install(2);
  PlaceFonts();
  ui.Answer(app::kStartDialog, kIdOk);
  ui.Answer(app::kMainDialog, kIdCancel);
  ui.Answer(app::kMessageDialog, kIdCancel);  // "いいえ": the list stays
  ui.Answer(app::kMainDialog, test::kPressAbout);
  ui.Answer(app::kAboutDialog, kIdOk);
  ui.Answer(app::kMainDialog, kIdCancel);
  ui.Answer(app::kMessageDialog, kIdOk);
  EXPECT_TRUE(Run());

  EXPECT_EQ(Shown(), (Dialogs{{app::kStartDialog, ""},
                              {app::kMainDialog, ""},
                              {app::kMessageDialog, Msg(102)},
                              {app::kAboutDialog, ""},
                              {app::kMessageDialog, Msg(102)}}));
  EXPECT_EQ(ListItems(), FontPaths(2));
  EXPECT_LT(Position(UiEvent::kPageDestroyed, app::kWaitDialog),
            Position(UiEvent::kModalShown, app::kMainDialog));
  EXPECT_EQ(MainResult(), kIdCancel);
  EXPECT_EQ(Count(UiEvent::kPageCreated, app::kProgressDialog), 0u);
  ExpectFonts(0);
  EXPECT_EQ(platform.restarts, 0);
  EXPECT_TRUE(platform.fontChanges.empty());
  EXPECT_EQ(platform.files.count(kFontCache), 1u);
}

// --- Revision ---

struct EndChoice {
  const char* name;
  int button;
  int restarts;
};
void PrintTo(const EndChoice& row, std::ostream* os) { *os << row.name; }

class SuccessEndTest : public RunFlowTest, public testing::WithParamInterface<EndChoice> {};

TEST_P(SuccessEndTest, AllFontsRevisedCacheAndDownloadsDeleted) {
  Install(3);
  PlaceFonts();
  const std::vector<std::string> downloads = PlaceDownloads();
  ui.Answer(app::kStartDialog, kIdOk);
  ui.Answer(app::kMainDialog, kIdOk);
  ui.Answer(app::kNormalEndDialog, GetParam().button);
  EXPECT_TRUE(Run());

  EXPECT_EQ(Shown(), (Dialogs{{app::kStartDialog, ""},
                              {app::kMainDialog, ""},
                              {app::kNormalEndDialog, Msg(105)}}));
  EXPECT_EQ(MainResult(), kIdOk);
  EXPECT_EQ(platform.restarts, GetParam().restarts);
  EXPECT_EQ(platform.instanceNames, std::vector<std::string>{"refontis.EXE"});
  EXPECT_EQ(ListItems(), FontPaths(3));
  EXPECT_EQ(ui.mainInitResult, true);
  ExpectFonts(3);
  EXPECT_EQ(platform.fontChanges, std::vector<std::vector<std::string>>{FontPaths(3)});
  for (const std::string& path : downloads) EXPECT_EQ(platform.files.count(path), 0u) << path;
  EXPECT_EQ(platform.files.count(std::string(kDownloadFolder) + "readme.txt"), 1u);
  EXPECT_EQ(platform.files.count(kFontCache), 0u);
  // Only the cache went while redirection was off, and redirection is back on.
  EXPECT_EQ(platform.deletedWhileRedirectionOff, std::vector<std::string>{kFontCache});
  EXPECT_FALSE(platform.redirectionOff);
  // The main dialog hides before the progress page appears; the page is gone before the end.
  const size_t hidden = [&] {
    for (size_t k = 0; k < ui.transcript.size(); ++k) {
      const UiEvent& e = ui.transcript[k];
      if (e.kind == UiEvent::kShown && e.templateId == app::kMainDialog && e.value == 0) return k;
    }
    return SIZE_MAX;
  }();
  EXPECT_LT(hidden, Position(UiEvent::kPageCreated, app::kProgressDialog));
  EXPECT_LT(Position(UiEvent::kPageDestroyed, app::kProgressDialog),
            Position(UiEvent::kModalShown, app::kNormalEndDialog));
}

INSTANTIATE_TEST_SUITE_P(Choices, SuccessEndTest,
                         testing::Values(EndChoice{"Restart", kIdOk, 1},
                                         EndChoice{"Cancel", kIdCancel, 0}),
                         [](const testing::TestParamInfo<EndChoice>& info) {
                           return info.param.name;
                         });

// The reports of one job, by the step table: (overall, current) for font `index` of `count`.
std::vector<std::pair<int, int>> JobReports(int index, int count) {
  std::vector<std::pair<int, int>> reports;
  for (int step : {10, 20, 30, 40, 55, 65, 75}) {
    reports.emplace_back(index * 100 / count + step / count, step);
  }
  const float at90 = static_cast<float>(index) * 100.0f / static_cast<float>(count) +
                     90.0f / static_cast<float>(count);
  reports.emplace_back(static_cast<int>(at90), 90);
  reports.emplace_back((index + 1) * 100 / count, 100);
  return reports;
}

TEST(RunFlowProgressOracle, ThreeFontsGiveTheStepTable) {
  EXPECT_EQ(JobReports(0, 3), (std::vector<std::pair<int, int>>{{3, 10},
                                                                {6, 20},
                                                                {10, 30},
                                                                {13, 40},
                                                                {18, 55},
                                                                {21, 65},
                                                                {25, 75},
                                                                {30, 90},
                                                                {33, 100}}));
  EXPECT_EQ(JobReports(2, 3).back(), std::make_pair(100, 100));
}

TEST_F(RunFlowTest, ThreeFontRunReportsTheStepTableAndPauses) {
  Install(3);
  PlaceFonts();
  ui.Answer(app::kStartDialog, kIdOk);
  ui.Answer(app::kMainDialog, kIdOk);
  ui.Answer(app::kNormalEndDialog, kIdCancel);
  EXPECT_TRUE(Run());

  std::vector<std::pair<int, int>> reports;
  std::vector<int> sleeps;
  std::vector<std::string> percentTexts, line1, line2;
  for (int i = 0; i < 3; ++i) {
    const std::string stem = fonts[static_cast<size_t>(i)].stem;
    const std::map<int, std::string> secondLines = {
        {10, stem + "のファイルをオープンしています。"},
        {20, stem + "のファイルを読み込んでいます。"},
        {30, "タグデータを読み込みました。"},
        {40, stem + "のファイルをオープンしています。"},
        {55, stem + "のファイルを読み込んでいます。"},
        {75, stem + "のファイルにチェックサムを再計算しています。"},
        {90, stem + "のファイルを作成しています。"},
        {100, "テンポラリフォルダからファイルをコピーしています。"}};
    for (const auto& [overall, current] : JobReports(i, 3)) {
      reports.emplace_back(overall, current);
      percentTexts.push_back(std::to_string(overall) + "%");
      line1.push_back(FontPath(static_cast<size_t>(i)) + "の改訂をしています。");
      auto it = secondLines.find(current);
      line2.push_back(it == secondLines.end() ? "" : it->second);
      sleeps.push_back(1);
      if (overall == 100 && current == 100) sleeps.push_back(1000);
    }
    sleeps.push_back(300);
  }
  EXPECT_EQ(ui.ProgressReports(), reports);
  EXPECT_EQ(ui.Sleeps(), sleeps);
  EXPECT_EQ(PageTexts(app::kOverallText), percentTexts);
  EXPECT_EQ(PageTexts(app::kProgressLine1), line1);
  std::vector<std::string> shownLine2 = PageTexts(app::kProgressLine2);
  ASSERT_EQ(shownLine2.size(), line2.size());
  for (size_t k = 0; k < line2.size(); ++k) {
    if (!line2[k].empty()) {
      EXPECT_EQ(shownLine2[k], line2[k]) << "report " << k;
    }
  }
  ExpectFonts(3);
}

enum class Fault {
  kFontUnreadable,
  kPatchUndecodable,
  kCopyFails,
  kNoTempFile,
  kReadBackFails,
  kCopyCorrupts
};

struct FailureRow {
  const char* name;
  size_t failing;  // the font whose job fails
  Fault fault;
  int message;
  bool namesPatchFile;  // %s is the patch file's name, not the font's path
};
void PrintTo(const FailureRow& row, std::ostream* os) { *os << row.name; }

class JobFailureTest : public RunFlowTest, public testing::WithParamInterface<FailureRow> {};

TEST_P(JobFailureTest, RevisionStopsAtTheFailingFontWithoutCleanUpOrRestart) {
  const FailureRow& row = GetParam();
  Install(3);
  PlaceFonts();
  const std::vector<std::string> downloads = PlaceDownloads();
  const std::string failing = FontPath(row.failing);
  switch (row.fault) {
    // The search opens each found font once, its job's load a second time; the third open
    // is the read-back after the copy.
    case Fault::kFontUnreadable:
      platform.failOpenNumber[failing] = 2;
      break;
    case Fault::kReadBackFails:
      platform.failOpenNumber[failing] = 3;
      break;
    case Fault::kPatchUndecodable: {
      // The header still matches the installed font; the rest of the patch is missing.
      Bytes header(fonts[row.failing].patch.begin(),
                   fonts[row.failing].patch.begin() + kPatchHeaderSize);
      platform.resources.AddCopy(kPatchResourceType, static_cast<int>(2001 + row.failing), header);
      break;
    }
    case Fault::kCopyFails:
      platform.failingCopies.insert(failing);
      break;
    case Fault::kCopyCorrupts:
      platform.corruptingCopies.insert(failing);
      break;
    case Fault::kNoTempFile:
      for (int r = 0; r < 255; ++r) platform.uncreatable.insert(kJobTempPrefix + std::to_string(r));
      break;
  }
  ui.Answer(app::kStartDialog, kIdOk);
  ui.Answer(app::kMainDialog, kIdOk);
  ui.Answer(app::kEndDialog, kIdOk);
  EXPECT_TRUE(Run());

  const std::string argument = row.namesPatchFile ? fonts[row.failing].stem + ".pa" : failing;
  EXPECT_EQ(Shown(), (Dialogs{{app::kStartDialog, ""},
                              {app::kMainDialog, ""},
                              {app::kEndDialog, Msg(row.message, argument)}}));
  EXPECT_EQ(MainResult(), kIdOk);
  // Fonts before the failing one are revised; the failing one holds its original bytes again;
  // the ones after it were never touched.
  ExpectFonts(row.failing);
  EXPECT_EQ(platform.fontChanges, std::vector<std::vector<std::string>>{FontPaths(row.failing)});
  EXPECT_EQ(SleepsOf(300), static_cast<int>(row.failing));
  EXPECT_EQ(platform.restarts, 0);
  EXPECT_EQ(platform.files.count(kFontCache), 1u);
  for (const std::string& path : downloads) EXPECT_EQ(platform.files.count(path), 1u) << path;
  EXPECT_TRUE(platform.deletedWhileRedirectionOff.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, JobFailureTest,
    testing::Values(FailureRow{"ReadBackFails", 1, Fault::kReadBackFails, 123, false},
                    FailureRow{"FontUnreadable", 1, Fault::kFontUnreadable, 114, false},
                    FailureRow{"PatchUndecodable", 1, Fault::kPatchUndecodable, 113, true},
                    FailureRow{"CopyFails", 1, Fault::kCopyFails, 121, false},
                    FailureRow{"NoTempFile", 0, Fault::kNoTempFile, 122, false},
                    FailureRow{"ReplacedFileDiffers", 2, Fault::kCopyCorrupts, 124, false}),
    [](const testing::TestParamInfo<FailureRow>& info) { return info.param.name; });

struct RevisionStopRow {
  const char* name;
  int report;                // the progress report at which the stop button is pressed
  std::vector<int> answers;  // to each message 102 that follows
  size_t reports;            // progress reports made in all
  size_t revised;
};
void PrintTo(const RevisionStopRow& row, std::ostream* os) { *os << row.name; }

class RevisionStopTest : public RunFlowTest, public testing::WithParamInterface<RevisionStopRow> {};

TEST_P(RevisionStopTest, ConfirmedStopEndsWithMessage106) {
  const RevisionStopRow& row = GetParam();
  Install(2);
  PlaceFonts();
  constexpr int kSearchReports = 1;  // the drive's; fewer than 20 folders
  ui.PressOnPump(app::kProgressDialog, app::kProgressStop, kSearchReports + row.report);
  ui.Answer(app::kStartDialog, kIdOk);
  ui.Answer(app::kMainDialog, kIdOk);
  Dialogs expected = {{app::kStartDialog, ""}, {app::kMainDialog, ""}};
  for (int answer : row.answers) {
    ui.Answer(app::kMessageDialog, answer);
    expected.emplace_back(app::kMessageDialog, Msg(102));
  }
  const bool success = row.revised == fonts.size();
  ui.Answer(success ? app::kNormalEndDialog : app::kEndDialog, kIdOk);
  expected.emplace_back(success ? app::kNormalEndDialog : app::kEndDialog,
                        Msg(success ? 105 : 106));
  EXPECT_TRUE(Run());

  EXPECT_EQ(ui.pumps - static_cast<int>(ui.ProgressReports().size()), kSearchReports);
  EXPECT_EQ(Shown(), expected);
  EXPECT_EQ(ui.ProgressReports().size(), row.reports);
  ExpectFonts(row.revised);
  EXPECT_EQ(platform.restarts, success ? 1 : 0);
  EXPECT_EQ(platform.files.count(kFontCache), success ? 0u : 1u);
  EXPECT_EQ(MainResult(), kIdOk);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RevisionStopTest,
    testing::Values(RevisionStopRow{"WithdrawnJobGoesOn", 2, {kIdCancel}, 18, 2},
                    RevisionStopRow{"ConfirmedWhileLoading", 2, {kIdOk}, 2, 0},
                    RevisionStopRow{"ConfirmedWhileWriting", 8, {kIdOk}, 8, 0},
                    // After the copy the job no longer stops; the confirmed request stays and is
                    // asked again at the next job's first report.
                    RevisionStopRow{"ConfirmedAfterCopyAsksAgain", 9, {kIdOk, kIdOk}, 10, 1},
                    RevisionStopRow{
                        "ConfirmedAfterCopyThenWithdrawn", 9, {kIdOk, kIdCancel}, 18, 2}),
    [](const testing::TestParamInfo<RevisionStopRow>& info) { return info.param.name; });

// --- Application ---

TEST_F(RunFlowTest, SecondCopyShowsNothing) {
  Install(2);
  PlaceFonts();
  platform.otherInstanceRunning = true;
  platform.executableStem = "update";
  EXPECT_FALSE(Run());
  EXPECT_TRUE(ui.transcript.empty());
  EXPECT_EQ(platform.instanceNames, std::vector<std::string>{"update.EXE"});
  EXPECT_TRUE(platform.created.empty());
  EXPECT_TRUE(platform.opened.empty());
  ExpectFonts(0);
}

}  // namespace
}  // namespace refontis
