// The font search over a fake platform: drives, depth, names, revisions, download folders,
// stops and code-page-932 paths.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "search/folder_check_ctrl.h"
#include "search/product_patches.h"

namespace refontis {
namespace {

using test::Bytes;
using test::FakePlatform;

const std::string kStem = "RefontisFixtureSans-W3";
const std::string kFullName = "Refontis Fixture Sans W3";
constexpr uint32_t kRevision = 0x00010000;

std::string DriveMessage(const std::string& root) { return root + "ドライブを検索しました。"; }
std::string FolderMessage(const std::string& folder) { return folder + "を検索しています。"; }
bool IsFolderMessage(const std::string& m) {
  const std::string tail = "を検索しています。";
  return m.size() >= tail.size() && m.compare(m.size() - tail.size(), tail.size(), tail) == 0;
}

// Records every message; asks to stop when `stopWhen` says so.
struct Recorder {
  std::vector<std::string> messages;
  std::function<bool(const std::string&)> stopWhen;
};

int Record(const char* message, OwnerWindow owner) {
  auto* recorder = static_cast<Recorder*>(owner);
  recorder->messages.push_back(message);
  return recorder->stopWhen && recorder->stopWhen(message) ? 1 : 0;
}

class SearchFixture {
 public:
  SearchFixture() { test::ResetSingletons(); }
  virtual ~SearchFixture() { test::ResetSingletons(); }

  void UseStyle(platform::PathStyle style, std::string root) {
    platform.style = style;
    root_ = std::move(root);
    // Outside every searched drive, so the configuration copy is never walked.
    platform.tempFolder = style == platform::PathStyle::kPosix ? "/tmp/" : "T:\\Temp\\";
  }
  char Sep() const { return platform.Separator(); }

  // root + folders + file name, joined with the platform's separator.
  std::string At(std::initializer_list<std::string> parts) const { return Join(root_, parts); }
  std::string Join(const std::string& root, std::initializer_list<std::string> parts) const {
    std::string path = root;
    size_t i = 0;
    for (const std::string& part : parts) {
      path += part;
      if (++i < parts.size()) path += Sep();
    }
    return path;
  }
  std::string Folder(std::initializer_list<std::string> parts) const { return At(parts) + Sep(); }

  // A patch for `stem` that applies to the font FixtureFont(fullName, revision).
  void AddPatch(const std::string& stem, const std::string& fullName, uint32_t revision) {
    const Bytes patch = test::BuildProductPatch(test::FixtureFont(fullName, revision),
                                                test::FixtureFont(fullName, revision + 1, 3));
    ASSERT_FALSE(patch.empty()) << "the builder refused the fixture fonts";
    patches_.push_back({stem + ".pa", patch});
  }

  CFolderCheckCtrl& Ctrl() {
    if (!embedded_) {
      test::EmbedPatches(platform.resources, patches_);
      if (platform.drives.empty()) platform.drives = {{root_, platform::kDriveFixed}};
      embedded_ = true;
    }
    return CFolderCheckCtrl::Instance(platform);
  }

  bool Search() { return Ctrl().SearchFonts(&Record, &recorder); }

  std::vector<std::string> FoundPaths() {
    std::vector<std::string> paths;
    for (size_t i = 0; i < Ctrl().FoundCount(); ++i) paths.push_back(Ctrl().Found(i).path);
    return paths;
  }
  std::vector<std::string> Downloads() {
    std::vector<std::string> paths;
    for (size_t i = 0; i < Ctrl().DownloadCount(); ++i) paths.push_back(Ctrl().Download(i));
    return paths;
  }
  std::vector<std::string> FolderMessages() const {
    std::vector<std::string> out;
    for (const auto& m : recorder.messages) {
      if (IsFolderMessage(m)) out.push_back(m);
    }
    return out;
  }

  FakePlatform platform;
  Recorder recorder;
  const Bytes oldFont = test::FixtureFont(kFullName, kRevision);

 private:
  std::string root_;
  std::vector<test::ConfiguredPatch> patches_;
  bool embedded_ = false;
};

// --- Cases that hold for both path styles ---

struct StyleCase {
  const char* name;
  platform::PathStyle style;
  const char* root;
};

class SearchTest : public ::testing::TestWithParam<StyleCase>, public SearchFixture {
 protected:
  void SetUp() override {
    UseStyle(GetParam().style, GetParam().root);
    AddPatch(kStem, kFullName, kRevision);
  }
};

INSTANTIATE_TEST_SUITE_P(
    Styles, SearchTest,
    ::testing::Values(StyleCase{"Posix", platform::PathStyle::kPosix, "/mnt/fixed/"},
                      StyleCase{"Windows", platform::PathStyle::kWindowsCp932, "C:\\"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_P(SearchTest, FoldersUpToSevenBelowTheRootAreListedAndDeeperOnesOnlyCounted) {
  const std::string seven = At({"1", "2", "3", "4", "5", "6", "7", kStem + ".otf"});
  platform.files[seven] = oldFont;
  platform.files[At({"1", "2", "3", "4", "5", "6", "7", "8", kStem + ".otf"})] = oldFont;
  platform.files[At({"1", "2", "3", "4", "5", "6", "7", "8", "9", kStem + ".otf"})] = oldFont;

  EXPECT_TRUE(Search());
  EXPECT_EQ(FoundPaths(), std::vector<std::string>{seven});
  // Folders 1 to 8 are met; 8 is never listed, so 9 is never met.
  EXPECT_EQ(Ctrl().DirectoryCounter(), 8u);
}

TEST_P(SearchTest, FileNamesFitTheStemWithZeroTwoOrThreeMoreBytesAndExactCase) {
  struct NameCase {
    std::string name;
    bool found;
  };
  std::string lower = kStem, upper = kStem;
  std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
  std::transform(upper.begin(), upper.end(), upper.begin(), ::toupper);
  const std::vector<NameCase> cases = {
      {kStem + ".otf", true},        {kStem + "_0.otf", true},          {kStem + "_12.otf", true},
      {kStem + "-01.otf", true},     {kStem + "0.otf", false},          {kStem + "_123.otf", false},
      {kStem + ".OTF", false},       {kStem + ".Otf", false},           {lower + ".otf", false},
      {upper + ".otf", false},       {kStem + ".otf.bak", false},       {kStem + ".otfx", false},
      {"x" + kStem + ".otf", false}, {kStem.substr(1) + ".otf", false},
  };
  std::vector<std::string> expected;
  for (size_t i = 0; i < cases.size(); ++i) {
    const std::string path = At({"case" + std::to_string(10 + i), cases[i].name});
    platform.files[path] = oldFont;
    if (cases[i].found) expected.push_back(path);
  }

  EXPECT_TRUE(Search());
  EXPECT_EQ(FoundPaths(), expected);
  for (size_t i = 0; i < Ctrl().FoundCount(); ++i) {
    EXPECT_EQ(Ctrl().Found(i).versionKey, kRevision);
  }
  // A file whose name fits no stem is never opened.
  for (size_t i = 0; i < cases.size(); ++i) {
    const std::string path = At({"case" + std::to_string(10 + i), cases[i].name});
    const bool opened = std::count(platform.opened.begin(), platform.opened.end(), path) > 0;
    const bool fits = cases[i].found;  // every fitting name here holds the right font
    EXPECT_EQ(opened, fits) << cases[i].name;
  }
}

TEST_P(SearchTest, ReadOnlyFontsAreNeverFound) {
  const std::string writable = At({"a", kStem + ".otf"});
  const std::string readOnly = At({"b", kStem + ".otf"});
  platform.files[writable] = oldFont;
  platform.files[readOnly] = oldFont;
  platform.readOnly.insert(readOnly);

  EXPECT_TRUE(Search());
  EXPECT_EQ(FoundPaths(), std::vector<std::string>{writable});
  EXPECT_EQ(std::count(platform.opened.begin(), platform.opened.end(), readOnly), 0);
}

TEST_P(SearchTest, OnlyTheFontThePatchWasMadeForIsFound) {
  const std::string right = At({"a", kStem + ".otf"});
  platform.files[right] = oldFont;
  // Already revised; another font under the patch's file name; the right name one revision
  // down; not a font at all.
  platform.files[At({"b", kStem + ".otf"})] = test::FixtureFont(kFullName, kRevision + 1, 3);
  platform.files[At({"c", kStem + ".otf"})] = test::FixtureFont("Refontis Other Sans", kRevision);
  platform.files[At({"d", kStem + ".otf"})] = test::FixtureFont(kFullName, kRevision - 1);
  platform.files[At({"e", kStem + ".otf"})] = test::Text("not a font");

  EXPECT_TRUE(Search());
  EXPECT_EQ(FoundPaths(), std::vector<std::string>{right});
}

TEST_P(SearchTest, TheSameFontReachedTwiceIsRecordedTwice) {
  // Two folder paths holding the same file, as a folder link gives.
  const std::string direct = At({"Fonts", kStem + ".otf"});
  const std::string viaLink = At({"FontsLink", kStem + ".otf"});
  platform.files[direct] = oldFont;
  platform.files[viaLink] = oldFont;

  EXPECT_TRUE(Search());
  EXPECT_EQ(FoundPaths(), (std::vector<std::string>{direct, viaLink}));
  EXPECT_EQ(Ctrl().Found(0).versionKey, Ctrl().Found(1).versionKey);
}

TEST_P(SearchTest, AFolderThatCannotBeListedCountsAsEmpty) {
  platform.files[At({"a", kStem + ".otf"})] = oldFont;
  platform.files[At({"b", kStem + ".otf"})] = oldFont;
  platform.files[At({"c", kStem + ".otf"})] = oldFont;
  platform.unlistable.insert(Folder({"b"}));

  EXPECT_TRUE(Search());
  EXPECT_EQ(FoundPaths(),
            (std::vector<std::string>{At({"a", kStem + ".otf"}), At({"c", kStem + ".otf"})}));
}

TEST_P(SearchTest, AStopEndsTheSearchAtOnceAndKeepsWhatWasFound) {
  // Folder a (the 1st met) holds a font; b01..b30 are the 2nd to 31st; the 20th is b19.
  const std::string first = At({"a", kStem + ".otf"});
  platform.files[first] = oldFont;
  for (int k = 1; k <= 30; ++k) platform.folders.insert(Folder({"b" + std::to_string(k + 10)}));
  platform.files[At({"b29", kStem + ".otf"})] = oldFont;  // the 20th folder, reported first
  platform.files[At({"b40", kStem + ".otf"})] = oldFont;
  const std::string code = ProductCodes().at(0);
  const std::string download = At({"z", "Quillane", "Fonts", "Download", "add", code});
  platform.files[download] = {1, 2, 3};

  struct StopCase {
    const char* name;
    std::function<bool(const std::string&)> stopWhen;
    std::vector<std::string> found;
    size_t messages;
  };
  const std::vector<StopCase> cases = {
      {"at the drive message", [](const std::string&) { return true; }, {}, 1},
      {"at the first folder message", IsFolderMessage, {first}, 2},
  };
  for (const StopCase& c : cases) {
    SCOPED_TRACE(c.name);
    test::ResetSingletons();
    recorder = Recorder{{}, c.stopWhen};
    EXPECT_FALSE(Search());
    EXPECT_EQ(FoundPaths(), c.found);
    EXPECT_EQ(recorder.messages.size(), c.messages);
    if (c.messages == 2) {
      // Reported before it is searched: the font inside it was not looked at.
      EXPECT_EQ(recorder.messages[1], FolderMessage(Folder({"b29"})));
      EXPECT_EQ(
          std::count(platform.opened.begin(), platform.opened.end(), At({"b29", kStem + ".otf"})),
          0);
    }
    EXPECT_TRUE(Downloads().empty());  // z comes after the point of the stop
  }
}

TEST_P(SearchTest, DownloadFilesFoundBeforeAStopStayListed) {
  const std::string code = ProductCodes().at(0);
  const std::string download = At({"Users", "A", "Quillane", "Fonts", "Download", "add", code});
  platform.files[download] = {1, 2, 3};
  for (int k = 0; k < 25; ++k) platform.folders.insert(Folder({"Z" + std::to_string(k + 10)}));
  recorder.stopWhen = IsFolderMessage;

  EXPECT_FALSE(Search());
  EXPECT_EQ(Downloads(), std::vector<std::string>{download});
}

TEST_P(SearchTest, NoDriveListMeansNothingSearched) {
  platform.files[At({"a", kStem + ".otf"})] = oldFont;
  platform.driveListFails = true;

  EXPECT_FALSE(Search());
  EXPECT_TRUE(recorder.messages.empty());
  EXPECT_EQ(Ctrl().FoundCount(), 0u);
  EXPECT_TRUE(Ctrl().DriveSet().empty());
}

// --- Windows drives and code page 932 paths ---

class WindowsSearchTest : public ::testing::Test, public SearchFixture {
 protected:
  void SetUp() override {
    UseStyle(platform::PathStyle::kWindowsCp932, "C:\\");
    AddPatch(kStem, kFullName, kRevision);
  }
};

TEST_F(WindowsSearchTest, EveryRootIsAnnouncedFirstThenTheFixedDrivesAreSearchedInOrder) {
  platform.drives = {{"A:\\", platform::kDriveRemovable},
                     {"C:\\", platform::kDriveFixed},
                     {"D:\\", platform::kDriveFixed},
                     {"E:\\", platform::kDriveCdRom}};
  for (const char* root : {"A:\\", "C:\\", "D:\\", "E:\\"}) {
    platform.files[Join(root, {"Fonts", kStem + ".otf"})] = oldFont;
  }
  for (int k = 0; k < 20; ++k)
    platform.folders.insert(Join("C:\\", {"f" + std::to_string(k + 10)}) + "\\");

  EXPECT_TRUE(Search());
  ASSERT_GE(recorder.messages.size(), 5u);
  EXPECT_EQ(std::vector<std::string>(recorder.messages.begin(), recorder.messages.begin() + 4),
            (std::vector<std::string>{DriveMessage("A:\\"), DriveMessage("C:\\"),
                                      DriveMessage("D:\\"), DriveMessage("E:\\")}));
  EXPECT_TRUE(IsFolderMessage(recorder.messages[4]));
  EXPECT_EQ(recorder.messages[4].rfind("C:\\", 0), 0u);
  EXPECT_EQ(FoundPaths(), (std::vector<std::string>{"C:\\Fonts\\" + kStem + ".otf",
                                                    "D:\\Fonts\\" + kStem + ".otf"}));
  EXPECT_EQ(Ctrl().DriveSet(),
            (std::vector<std::pair<std::string, int>>{{"C:\\", platform::kDriveFixed},
                                                      {"D:\\", platform::kDriveFixed}}));
}

TEST_F(WindowsSearchTest, EveryTwentiethFolderIsReportedCountingOnAcrossDrivesAndRuns) {
  platform.drives = {{"C:\\", platform::kDriveFixed}, {"D:\\", platform::kDriveFixed}};
  // The order the walk meets them: depth first, in listing order.
  std::vector<std::string> met;
  for (int i = 0; i < 10; ++i) {
    const std::string d = "C:\\d" + std::to_string(i + 10) + "\\";
    met.push_back(d);
    for (const char* s : {"s0", "s1"}) {
      platform.folders.insert(d + s + "\\");
      met.push_back(d + s + "\\");
    }
  }
  for (int i = 0; i < 15; ++i) {
    const std::string e = "D:\\e" + std::to_string(i + 10) + "\\";
    platform.folders.insert(e);
    met.push_back(e);
  }
  ASSERT_EQ(met.size(), 45u);

  EXPECT_TRUE(Search());
  EXPECT_EQ(FolderMessages(),
            (std::vector<std::string>{FolderMessage(met[19]), FolderMessage(met[39])}));
  EXPECT_EQ(Ctrl().DirectoryCounter(), 45u);

  // The counter belongs to the program run: a second search goes on from 45, and the drive
  // set does not grow.
  recorder = Recorder{};
  EXPECT_TRUE(Search());
  EXPECT_EQ(FolderMessages(),
            (std::vector<std::string>{FolderMessage(met[14]), FolderMessage(met[34])}));
  EXPECT_EQ(Ctrl().DirectoryCounter(), 90u);
  EXPECT_EQ(Ctrl().DriveSet().size(), 2u);
}

TEST_F(WindowsSearchTest, PathsWithTrailBytesThatLookLikeBackslashesAreWalkedWhole) {
  // ソ (83 5C) and 表 (95 5C) end in the byte of a backslash.
  const std::string soft = "C:\\ソフト\\";
  ASSERT_EQ(static_cast<unsigned char>(soft[4]), 0x5C);
  for (int k = 0; k < 19; ++k) platform.folders.insert("C:\\a" + std::to_string(k + 10) + "\\");
  const std::string twoMore = soft + kStem + "ソ.otf";  // the stem and two more bytes
  const std::string nested = soft + "表示\\" + kStem + ".otf";
  platform.files[twoMore] = oldFont;
  platform.files[nested] = oldFont;

  EXPECT_TRUE(Search());
  EXPECT_EQ(FoundPaths(), (std::vector<std::string>{twoMore, nested}));
  // The 20th folder met is ソフト itself, and 表示 is the only folder inside it.
  EXPECT_EQ(FolderMessages(), std::vector<std::string>{FolderMessage(soft)});
  EXPECT_EQ(Ctrl().DirectoryCounter(), 21u);

  const size_t opensBefore = platform.opened.size();
  const PatchEntry* entry = Ctrl().FindPatchEntry(twoMore, kRevision);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->stem, kStem);
  EXPECT_EQ(platform.opened.size(), opensBefore);
}

TEST_F(WindowsSearchTest, DownloadFolderFilesAreListedByProductCodeAndPlace) {
  const std::vector<std::string>& codes = ProductCodes();
  ASSERT_GE(codes.size(), 9u);
  // Seven folders deep at most: a profile folder as Windows XP lays it out. (Vista's
  // Users\A\AppData\Roaming lies a folder deeper, below what the walk lists.)
  const std::string roaming = "C:\\Documents and Settings\\A\\Application Data\\";
  const std::string quillane = roaming + "Quillane\\Fonts\\Download\\add\\";
  const std::string talmoure = roaming + "Talmoure\\Fonts\\Download\\add\\";
  struct DownloadCase {
    std::string path;
    bool listed;
    bool readOnly = false;
  };
  const std::vector<DownloadCase> cases = {
      {quillane + codes[0], true},
      {talmoure + codes[1], true},
      {"C:\\Users\\A\\Quillane\\Fonts\\Download\\add\\sub\\" + codes[2], true},  // inside the path
      {"C:\\Users\\A\\Documents\\" + codes[0], false},
      {quillane + codes[3], false, true},
      {quillane + codes[0] + ".otf", false},  // the whole name must be the code
      {quillane + "readme", false},
      {roaming + "quillane\\Fonts\\Download\\add\\" + codes[4], false},
      {"C:\\Quillane\\Fonts\\Download\\add\\" + codes[5], false},           // pattern at byte 2
      {"C:\\abc\\Quillane\\Fonts\\Download\\add\\" + codes[6], true},       // at byte 6
      {"C:\\ab\\Quillane\\Fonts\\Download\\add\\" + codes[7], false},       // at byte 5
      {"C:\\Users\\ソQuillane\\Fonts\\Download\\add\\" + codes[8], false},  // inside ソ
      {"C:\\Users\\ソ\\Quillane\\Fonts\\Download\\add\\" + codes[8], true},
  };
  std::vector<std::string> expected;
  for (const DownloadCase& c : cases) {
    platform.files[c.path] = {0x42};
    if (c.readOnly) platform.readOnly.insert(c.path);
    if (c.listed) expected.push_back(c.path);
  }

  EXPECT_TRUE(Search());
  std::vector<std::string> listed = Downloads();
  std::sort(listed.begin(), listed.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(listed, expected);
  EXPECT_EQ(Ctrl().FoundCount(), 0u);
}

TEST_F(WindowsSearchTest, DownloadFilesAreListedInTheOrderTheWalkMeetsThem) {
  const std::string code = ProductCodes().at(0);
  const std::string first = "C:\\Users\\A\\Quillane\\Fonts\\Download\\add\\" + code;
  const std::string second = "C:\\Users\\B\\Talmoure\\Fonts\\Download\\add\\" + code;
  platform.files[first] = {1};
  platform.files[second] = {2};

  EXPECT_TRUE(Search());
  EXPECT_EQ(Downloads(), (std::vector<std::string>{first, second}));
}

TEST(PosixDownloadFolderTest, PatternsUseTheSlashAndStartAtByteSixOrLater) {
  SearchFixture f;
  f.UseStyle(platform::PathStyle::kPosix, "/");
  f.platform.tempFolder = "/var/tmp/";
  const std::vector<std::string>& codes = ProductCodes();
  ASSERT_GE(codes.size(), 4u);
  const std::string listed1 = "/home/a/Quillane/Fonts/Download/add/" + codes[0];
  const std::string listed2 = "/abcde/Talmoure/Fonts/Download/add/" + codes[1];  // at byte 6
  f.platform.files[listed1] = {1};
  f.platform.files[listed2] = {1};
  f.platform.files["/abcd/Quillane/Fonts/Download/add/" + codes[2]] = {1};  // at byte 5
  f.platform.files["/Quillane/Fonts/Download/add/" + codes[3]] = {1};       // at byte 0
  // A folder whose name holds the Windows pattern byte for byte.
  f.platform.files["/home/a/x\\Quillane\\Fonts\\Download\\add\\/" + codes[3]] = {1};

  EXPECT_TRUE(f.Search());
  EXPECT_EQ(f.Downloads(), (std::vector<std::string>{listed2, listed1}));
}

// --- Patch entries by name, without opening ---

class PatchEntryTest : public ::testing::Test, public SearchFixture {
 protected:
  void SetUp() override {
    UseStyle(platform::PathStyle::kWindowsCp932, "C:\\");
    AddPatch(kShort, "Refontis Fixture Sans", 0x00010000);  // patch 1
    AddPatch(kStem, kFullName, 0x00010000);                 // patch 2: kShort + 3 bytes
    AddPatch(kShort, "Refontis Fixture Sans", 0x00020000);  // patch 3: the next revision
  }
  const std::string kShort = "RefontisFixtureSans";
};

TEST_F(PatchEntryTest, TheFirstEntryWhoseStemFitsAndWhoseVersionIsTheKeyWins) {
  ASSERT_EQ(Ctrl().PatchCount(), 3u);
  struct FindCase {
    std::string fileName;
    uint32_t version;
    int patch;  // 1-based index in the list, 0 for none
  };
  const std::vector<FindCase> cases = {
      {kShort + ".otf", 0x00010000, 1},      {kShort + ".otf", 0x00020000, 3},
      {kShort + "_1.otf", 0x00010000, 1},    {kShort + "-01.otf", 0x00020000, 3},
      {kStem + ".otf", 0x00010000, 1},  // patch 1 fits too and comes first
      {kShort + "0.otf", 0x00010000, 0},     {kShort + ".OTF", 0x00010000, 0},
      {kShort + ".otf", 0x00030000, 0},      {kStem + ".otf", 0x00020000, 3},
      {kShort + "_1234.otf", 0x00010000, 0},
  };
  for (const FindCase& c : cases) {
    SCOPED_TRACE(c.fileName);
    const PatchEntry* entry = Ctrl().FindPatchEntry("C:\\nowhere\\" + c.fileName, c.version);
    if (c.patch == 0) {
      EXPECT_EQ(entry, nullptr);
    } else {
      EXPECT_EQ(entry, &Ctrl().Patch(static_cast<size_t>(c.patch - 1)));
    }
  }
  EXPECT_TRUE(platform.opened.empty());  // names and versions only
}

TEST_F(PatchEntryTest, TheSearchIdentifiesEachCandidateUntilOneHoldsItsFont) {
  // kStem.otf fits patch 1 (by three bytes) and patch 2; it holds patch 2's font.
  const std::string path = "C:\\Fonts\\" + kStem + ".otf";
  platform.files[path] = test::FixtureFont(kFullName, 0x00010000);
  platform.files["C:\\Fonts\\" + kShort + ".otf"] =
      test::FixtureFont("Refontis Fixture Sans", 0x00020000);

  EXPECT_TRUE(Search());
  ASSERT_EQ(Ctrl().FoundCount(), 2u);
  EXPECT_EQ(Ctrl().Found(0).path, path);  // "-" lists before "."
  EXPECT_EQ(Ctrl().Found(0).versionKey, 0x00010000u);
  EXPECT_EQ(Ctrl().Found(1).path, "C:\\Fonts\\" + kShort + ".otf");
  EXPECT_EQ(Ctrl().Found(1).versionKey, 0x00020000u);
  // Opened once per candidate entry: patch 1 and patch 2 (patch 3 fits, but is not reached).
  EXPECT_EQ(std::count(platform.opened.begin(), platform.opened.end(), path), 2);
  EXPECT_EQ(Ctrl().MatchPatchEntry(path, kStem + ".otf"), &Ctrl().Patch(1));
}

TEST_F(PatchEntryTest, EntriesCarryTheHeaderNameAndVersionOfTheirPatches) {
  ASSERT_EQ(Ctrl().PatchCount(), 3u);
  const PatchEntry& second = Ctrl().Patch(1);
  EXPECT_EQ(second.patchFileName, kStem + ".pa");
  EXPECT_EQ(second.fontFileName, kStem + ".otf");
  EXPECT_EQ(second.stem, kStem);
  EXPECT_EQ(second.headerFontName, kFullName);
  EXPECT_EQ(second.version, 0x00010000u);
  EXPECT_EQ(second.resourceId, 2002u);
  EXPECT_EQ(Ctrl().Patch(2).version, 0x00020000u);
}

}  // namespace
}  // namespace refontis
