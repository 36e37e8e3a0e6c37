// The per-font update job over a fake platform: every result code, with the installed font
// intact or restored and no temporary file left behind.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "otf/open_type_manager.h"
#include "search/product_patches.h"
#include "support/patch_builder.h"

namespace refontis {
namespace {

using test::Bytes;

const std::string kStem = "RefontisFixtureSans-W3";
const std::string kFullName = "Refontis Fixture Sans W3";
constexpr uint32_t kRevision = 0x00010000;
const std::string kOldLicence = "Licence of the old font A";
const std::string kNewLicence = "Licence of the new font B";  // as long as the old one

struct Report {
  int overall;
  int current;
  std::string line1;
  std::string line2;
};

struct ProgressRecorder {
  std::vector<Report> reports;
  int stopAt = -1;  // the current percentage at which to ask for a stop
  std::vector<int> Steps() const {
    std::vector<int> steps;
    for (const Report& r : reports) steps.push_back(r.current);
    return steps;
  }
};

int RecordProgress(int overall, int current, const char* line1, const char* line2,
                   OwnerWindow owner) {
  auto* recorder = static_cast<ProgressRecorder*>(owner);
  recorder->reports.push_back({overall, current, line1, line2});
  return current == recorder->stopAt ? 1 : 0;
}

class UpdateFontTest : public ::testing::Test {
 protected:
  void SetUp() override { test::ResetSingletons(); }
  void TearDown() override { test::ResetSingletons(); }

  // Embeds `patch` as the only configured patch, creates the search controller (and with it the
  // configuration copy) and installs the old font.
  void Prepare(const Bytes& patch) {
    test::EmbedPatches(platform.resources, {{kStem + ".pa", patch}});
    ASSERT_EQ(CFolderCheckCtrl::Instance(platform).PatchCount(), 1u);
    platform.files[path] = installed;
    tempBefore = TempFiles();
    platform.randomValues = {42};
    platform.randomCalls = 0;
  }
  void Prepare() { Prepare(test::BuildProductPatch(oldFont, newFont)); }

  int Run(int count = 1, int index = 0, uint32_t versionKey = kRevision) {
    return RunOn(path, count, index, versionKey);
  }
  int RunOn(const std::string& fontPath, int count = 1, int index = 0,
            uint32_t versionKey = kRevision) {
    COpenTypeManager font(platform);
    return font.UpdateFont(fontPath, versionKey, &RecordProgress, &progress, count, index);
  }

  // The files of the temporary folder, the configuration copy aside.
  std::set<std::string> TempFiles() {
    std::set<std::string> names;
    const std::string config = CResFileCtrl::Instance(platform).ConfigurationPath();
    for (const auto& [p, bytes] : platform.files) {
      if (!platform.tempFolder.empty() && p.rfind(platform.tempFolder, 0) == 0 && p != config) {
        names.insert(p);
      }
    }
    return names;
  }
  std::string TempPath(int random) const {
    return "/tmp/" + std::to_string(platform.now) + std::to_string(random % 255);
  }
  bool Created(const std::string& p) const {
    return std::count(platform.created.begin(), platform.created.end(), p) > 0;
  }
  // The content the file had when it was deleted, or nothing.
  std::optional<Bytes> DeletedContent(const std::string& p) const {
    for (const auto& [name, bytes] : platform.deletions) {
      if (name == p) return bytes;
    }
    return std::nullopt;
  }

  void ExpectInstalledIntactAndNoTempLeft() {
    ASSERT_EQ(platform.files.count(path), 1u);
    EXPECT_EQ(platform.files[path], installed) << "the installed font was changed";
    EXPECT_EQ(TempFiles(), tempBefore) << "a temporary file was left";
  }

  test::FakePlatform platform;
  ProgressRecorder progress;
  const std::string path = "/usr/share/fonts/fixture/" + kStem + ".otf";
  const Bytes oldFont = test::FixtureFont(kFullName, kRevision, 0, kOldLicence);
  const Bytes newFont = test::FixtureFont(kFullName, kRevision + 1, 3, kNewLicence);
  // The revision as the job must write it: the new font carrying the old licence texts.
  const Bytes revised = test::FixtureFont(kFullName, kRevision + 1, 3, kOldLicence);
  Bytes installed = oldFont;
  std::set<std::string> tempBefore;
};

// --- 0 ---

TEST_F(UpdateFontTest, ASuccessfulJobRevisesTheFontInPlaceWithItsProgressTable) {
  Prepare();
  struct ProgressCase {
    int count;
    int index;
    std::vector<int> overall;  // at 10, 20, 30, 40, 55, 65, 75, 90, 100
  };
  const std::vector<ProgressCase> cases = {
      {1, 0, {10, 20, 30, 40, 55, 65, 75, 90, 100}},
      {3, 1, {36, 39, 43, 46, 51, 54, 58, 63, 66}},
      // 90 in floating point: 14.29 + 12.86 gives 27, where integer steps would give 26.
      {7, 1, {15, 16, 18, 19, 21, 23, 24, 27, 28}},
  };
  const std::string line1 = path + "の改訂をしています。";
  for (const ProgressCase& c : cases) {
    SCOPED_TRACE("count " + std::to_string(c.count) + " index " + std::to_string(c.index));
    platform.files[path] = oldFont;
    progress = ProgressRecorder{};
    const size_t deletionsBefore = platform.deletions.size();

    EXPECT_EQ(Run(c.count, c.index), 0);
    EXPECT_EQ(platform.files[path], revised);
    EXPECT_EQ(TempFiles(), tempBefore);
    ASSERT_EQ(progress.Steps(), (std::vector<int>{10, 20, 30, 40, 55, 65, 75, 90, 100}));
    for (size_t k = 0; k < progress.reports.size(); ++k) {
      EXPECT_EQ(progress.reports[k].overall, c.overall[k]) << "at " << progress.reports[k].current;
      EXPECT_EQ(progress.reports[k].line1, line1);
    }
    EXPECT_EQ(progress.reports[0].line2, kStem + "のファイルをオープンしています。");
    EXPECT_EQ(progress.reports[1].line2, kStem + "のファイルを読み込んでいます。");
    EXPECT_EQ(progress.reports[2].line2, "タグデータを読み込みました。");
    EXPECT_EQ(progress.reports[8].line2, "テンポラリフォルダからファイルをコピーしています。");
    // Built in a temporary file named by time and random number, removed afterwards.
    ASSERT_EQ(platform.deletions.size(), deletionsBefore + 1);
    EXPECT_EQ(platform.deletions.back().first, TempPath(42));
    EXPECT_EQ(platform.deletions.back().second, revised);
  }
}

TEST_F(UpdateFontTest, AFileWhoseLengthIsNoMultipleOfFourIsVerifiedOnItsWholeWords) {
  // The last table ends the file three bytes into a word, and those bytes are not zero.
  auto unpadded = [](int variant, const std::string& licence) {
    Bytes cff(517);
    for (size_t k = 0; k < cff.size(); ++k) cff[k] = static_cast<uint8_t>(k * 5 + variant);
    test::FontOptions options;
    options.padLastTable = false;
    return test::BuildFont(
        {{"CFF ", cff},
         {"head", test::BuildHeadTable(kRevision + variant)},
         {"name", test::BuildNameTable(test::TypicalNameRecords(kFullName, licence, licence))},
         {"post", Bytes(35, 0xA7)}},
        options);
  };
  installed = unpadded(0, kOldLicence);
  const Bytes expected = unpadded(1, kOldLicence);
  ASSERT_NE(expected.size() % 4, 0u);
  Prepare(test::BuildProductPatch(installed, unpadded(1, kNewLicence)));

  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(platform.files[path], expected);
  EXPECT_EQ(TempFiles(), tempBefore);
}

TEST_F(UpdateFontTest, TheLastReportOfEachJobGivesTheShareOfFontsDone) {
  Prepare();
  for (const auto& [index, overall] :
       std::vector<std::pair<int, int>>{{0, 33}, {1, 66}, {2, 100}}) {
    platform.files[path] = oldFont;
    progress = ProgressRecorder{};
    EXPECT_EQ(Run(3, index), 0);
    ASSERT_FALSE(progress.reports.empty());
    EXPECT_EQ(progress.reports.back().current, 100);
    EXPECT_EQ(progress.reports.back().overall, overall);
  }
}

TEST_F(UpdateFontTest, TwoJobsInTheSameSecondWithTheSameRandomNumberBothWork) {
  const std::string second = "/home/a/.fonts/" + kStem + ".otf";
  Prepare();
  platform.files[second] = oldFont;
  platform.randomValues = {42};

  EXPECT_EQ(RunOn(path), 0);
  EXPECT_EQ(RunOn(second, 2, 1), 0);
  EXPECT_EQ(platform.files[path], revised);
  EXPECT_EQ(platform.files[second], revised);
  // Both used the same name, each for its own revised font, and removed it.
  std::vector<Bytes> temporaries;
  for (const auto& [name, bytes] : platform.deletions) {
    if (name == TempPath(42)) temporaries.push_back(bytes);
  }
  EXPECT_EQ(temporaries, (std::vector<Bytes>{revised, revised}));
  EXPECT_EQ(TempFiles(), tempBefore);
}

TEST_F(UpdateFontTest, APlantedFileUnderTheTemporaryNameIsNeverOverwritten) {
  Prepare();
  const Bytes planted = test::Text("planted by someone else");
  platform.files[TempPath(42)] = planted;
  platform.files[TempPath(43)] = planted;
  platform.randomValues = {42, 43, 77};

  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(platform.files[path], revised);
  EXPECT_EQ(platform.files[TempPath(42)], planted);
  EXPECT_EQ(platform.files[TempPath(43)], planted);
  EXPECT_EQ(platform.files.count(TempPath(77)), 0u);
  EXPECT_TRUE(Created(TempPath(77)));
}

TEST_F(UpdateFontTest, WhenEveryTemporaryNameIsTakenTheJobGivesUpWithEleven) {
  Prepare();
  const Bytes planted = test::Text("planted");
  for (int r = 0; r < 255; ++r) platform.files[TempPath(r)] = planted;
  tempBefore = TempFiles();
  platform.randomValues.clear();
  for (int r = 0; r < 1000; ++r) platform.randomValues.push_back(r);

  EXPECT_EQ(Run(), 11);
  ExpectInstalledIntactAndNoTempLeft();
  for (int r = 0; r < 255; ++r) EXPECT_EQ(platform.files[TempPath(r)], planted);
}

// A second path to a font this run already revised (a folder link) must not be revised again.
TEST_F(UpdateFontTest, AFontAlreadyRevisedThroughAnotherPathIsLeftAsItIs) {
  Prepare();
  ASSERT_EQ(Run(), 0);
  ASSERT_EQ(platform.files[path], revised);
  installed = revised;
  tempBefore = TempFiles();

  EXPECT_EQ(Run(), 0);
  ExpectInstalledIntactAndNoTempLeft();
}

// --- 1 ---

TEST_F(UpdateFontTest, AFontThatCannotBeLoadedOrLacksANameId13RecordEndsWithOne) {
  auto withNames = [](std::vector<test::NameRecordSpec> records) {
    return test::BuildFont({{"CFF ", Bytes(64, 7)},
                            {"cmap", Bytes(22, 0)},
                            {"head", test::BuildHeadTable(kRevision)},
                            {"name", test::BuildNameTable(records)}});
  };
  auto without = [](int platformId) {
    auto records = test::TypicalNameRecords(kFullName, kOldLicence, kOldLicence);
    std::erase_if(records,
                  [&](const auto& r) { return r.nameID == 13 && r.platformID == platformId; });
    return records;
  };
  test::FontOptions trueType;
  trueType.sfntVersion = 0x00010000;
  Bytes withDsig = test::BuildFont({{"CFF ", Bytes(64, 7)},
                                    {"DSIG", Bytes(8, 0)},
                                    {"head", test::BuildHeadTable(kRevision)},
                                    {"name", test::BuildNameTable(test::TypicalNameRecords(
                                                 kFullName, kOldLicence, kOldLicence))}});
  struct LoadCase {
    const char* name;
    std::optional<Bytes> file;  // none: no file at all
    bool reportsBeforeFailing;
  };
  const std::vector<LoadCase> cases = {
      {"missing file", std::nullopt, false},
      {"empty file", Bytes{}, false},
      {"TrueType outlines", test::BuildFont({{"head", test::BuildHeadTable(kRevision)}}, trueType),
       true},
      {"a table the model does not know", withDsig, true},
      {"Windows name-ID-13 only", withNames(without(1)), true},
      {"Macintosh name-ID-13 only", withNames(without(3)), true},
      {"no name table",
       test::BuildFont({{"CFF ", Bytes(64, 7)}, {"head", test::BuildHeadTable(kRevision)}}), true},
  };
  Prepare();
  for (const LoadCase& c : cases) {
    SCOPED_TRACE(c.name);
    progress = ProgressRecorder{};
    platform.created.clear();
    if (c.file) {
      platform.files[path] = *c.file;
      installed = *c.file;
    } else {
      platform.files.erase(path);
    }

    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(progress.reports.empty(), !c.reportsBeforeFailing);
    EXPECT_FALSE(Created(TempPath(42))) << "no temporary file before the font is usable";
    if (c.file) {
      ExpectInstalledIntactAndNoTempLeft();
    } else {
      EXPECT_EQ(platform.files.count(path), 0u);
      EXPECT_EQ(TempFiles(), tempBefore);
    }
  }
}

TEST_F(UpdateFontTest, APatchTableThatTheInstalledFontLacksEndsWithOne) {
  // The patch was made for fonts with a post table where the installed one has cmap.
  auto withPost = [](uint32_t revision, int variant) {
    Bytes cff(517);
    for (size_t k = 0; k < cff.size(); ++k) cff[k] = static_cast<uint8_t>(k * 3 + variant);
    return test::BuildFont({{"CFF ", cff},
                            {"head", test::BuildHeadTable(revision)},
                            {"name", test::BuildNameTable(test::TypicalNameRecords(
                                         kFullName, kOldLicence, kOldLicence))},
                            {"post", Bytes(32, 0)}});
  };
  Prepare(test::BuildProductPatch(withPost(kRevision, 0), withPost(kRevision + 1, 1)));

  EXPECT_EQ(Run(), 1);
  ExpectInstalledIntactAndNoTempLeft();
}

// --- 6 ---

TEST_F(UpdateFontTest, AStopAtAnyReportEndsWithSixAndLeavesTheFontUntouched) {
  Prepare();
  for (int step : {10, 20, 30, 40, 55, 65, 75, 90}) {
    SCOPED_TRACE("stop at " + std::to_string(step));
    progress = ProgressRecorder{};
    progress.stopAt = step;
    platform.created.clear();
    platform.deletions.clear();

    EXPECT_EQ(Run(), 6);
    ExpectInstalledIntactAndNoTempLeft();
    ASSERT_FALSE(progress.reports.empty());
    EXPECT_EQ(progress.reports.back().current, step) << "the job went on after the stop";
    if (step <= 30) {
      EXPECT_FALSE(Created(TempPath(42)));
    } else {
      // The name was reserved and is removed again; at 90 the revised font was written first.
      const auto content = DeletedContent(TempPath(42));
      ASSERT_TRUE(content.has_value());
      EXPECT_EQ(*content, step == 90 ? revised : Bytes{});
    }
  }
}

// --- 7 ---

TEST_F(UpdateFontTest, APatchThatIsMissingOrUndecodableEndsWithSeven) {
  const Bytes patch = test::BuildProductPatch(oldFont, newFont);
  ASSERT_GT(patch.size(), 60u);

  {
    SCOPED_TRACE("no patch entry for the version key");
    Prepare(patch);
    EXPECT_EQ(Run(1, 0, kRevision + 7), 7);
    ExpectInstalledIntactAndNoTempLeft();
  }
  {
    SCOPED_TRACE("the resource is gone after the patch list was built");
    platform.resources = platform::ResourceTable();
    EXPECT_EQ(Run(), 7);
    ExpectInstalledIntactAndNoTempLeft();
  }
  {
    SCOPED_TRACE("a readable header over cut-off records");
    test::ResetSingletons();
    platform = test::FakePlatform();
    Prepare(Bytes(patch.begin(), patch.begin() + 60));
    EXPECT_EQ(Run(), 7);
    ExpectInstalledIntactAndNoTempLeft();
  }
}

// --- 9 (8 cannot happen: the old font must have a name table, and every patch record keeps
// the tag of the old table it revises) ---

TEST_F(UpdateFontTest, ARevisedFontWithoutHeadEndsWithNine) {
  auto headless = [](int variant) {
    Bytes cff(300);
    for (size_t k = 0; k < cff.size(); ++k) cff[k] = static_cast<uint8_t>(k + variant);
    return test::BuildFont({{"CFF ", cff},
                            {"cmap", Bytes(22, 0)},
                            {"name", test::BuildNameTable(test::TypicalNameRecords(
                                         kFullName, kOldLicence, kOldLicence))}});
  };
  installed = headless(0);
  test::PatchSpec plan = test::WholeLiteralPatch(headless(1));
  plan.fontName = test::Text(kFullName);
  plan.fontRevision = kRevision;
  Prepare(test::BuildPatch(plan));

  EXPECT_EQ(Run(), 9);
  ExpectInstalledIntactAndNoTempLeft();
}

// --- 10 to 13: the font was replaced, and is put back ---

TEST_F(UpdateFontTest, AFailedCopyBackRestoresTheOriginalAndEndsWithTen) {
  Prepare();
  platform.failingCopies.insert(path);

  EXPECT_EQ(Run(), 10);
  ExpectInstalledIntactAndNoTempLeft();
  EXPECT_NE(progress.Steps().back(), 100) << "no copy, so no copy report";
}

TEST_F(UpdateFontTest, ATemporaryFileThatCannotBeMadeEndsWithEleven) {
  struct TempCase {
    const char* name;
    std::function<void(test::FakePlatform&, const std::string&)> inject;
  };
  const std::vector<TempCase> cases = {
      {"uncreatable", [](auto& p, const std::string& t) { p.uncreatable.insert(t); }},
      {"no temporary folder", [](auto& p, const std::string&) { p.tempFolder.clear(); }},
      {"disk full", [](auto& p, const std::string& t) { p.failingWrites.insert(t); }},
  };
  for (const TempCase& c : cases) {
    SCOPED_TRACE(c.name);
    test::ResetSingletons();
    platform = test::FakePlatform();
    Prepare();
    c.inject(platform, TempPath(42));

    EXPECT_EQ(Run(), 11);
    EXPECT_EQ(platform.files[path], installed);
    platform.tempFolder = "/tmp/";
    EXPECT_EQ(TempFiles(), tempBefore);
  }
}

TEST_F(UpdateFontTest, AReplacedFileThatCannotBeReadBackIsRestoredAndEndsWithTwelve) {
  Prepare();
  platform.failOpenNumber[path] = 2;  // the load is the first open, the read-back the second

  EXPECT_EQ(Run(), 12);
  ExpectInstalledIntactAndNoTempLeft();
  EXPECT_EQ(progress.Steps().back(), 100);
}

TEST_F(UpdateFontTest, AReplacedFileThatDoesNotMatchIsRestoredAndEndsWithThirteen) {
  Prepare();
  platform.corruptingCopies.insert(path);

  EXPECT_EQ(Run(), 13);
  ExpectInstalledIntactAndNoTempLeft();
}

}  // namespace
}  // namespace refontis
