// The whole rebuild: a loaded old font and a patch resource give the revised font file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <functional>

#include "otf/open_type_manager.h"
#include "patch/sabun_data.h"
#include "support/fake_platform.h"
#include "support/patch_builder.h"

namespace refontis {
namespace {

using test::Bytes;
using test::CopySpec;
using test::DifferenceSpec;
using test::LiteralSpec;
using test::NameRecordSpec;
using test::PatchSpec;
using test::TableSpec;

constexpr char kOldPath[] = "/fonts/OldFont.otf";
constexpr char kOutPath[] = "/out/NewFont.otf";
constexpr int kPatchId = 2001;
constexpr uint32_t kMagic = 0xB1B0AFBA;
constexpr char kFullName[] = "Fixture Full Name";

Bytes Pattern(size_t n, int seed) {
  Bytes b;
  for (size_t k = 0; k < n; ++k) b.push_back(static_cast<uint8_t>((k * 13 + seed * 31 + 5) & 0xFF));
  return b;
}

Bytes Cmap() {
  Bytes cmap(22, 0);
  cmap[3] = 1;
  return cmap;
}

std::vector<TableSpec> FontTables(const Bytes& cff, uint32_t revision,
                                  const std::vector<NameRecordSpec>& names) {
  return {{"CFF ", cff},
          {"cmap", Cmap()},
          {"head", test::BuildHeadTable(revision)},
          {"name", test::BuildNameTable(names)}};
}

const std::string kOldMac = "Old Mac licence";
const std::string kOldWin = "Old Win licence";

std::vector<TableSpec> OldTables() {
  return FontTables(Pattern(301, 1), 0x00010000,
                    test::TypicalNameRecords(kFullName, kOldMac, kOldWin));
}

// The revision: another outline table, a bumped revision and longer licence texts.
std::vector<NameRecordSpec> NewNames() {
  return test::TypicalNameRecords(kFullName, "New Mac licence text", "New Win licence text");
}
std::vector<TableSpec> NewTables(const std::vector<NameRecordSpec>& names = NewNames()) {
  return FontTables(Pattern(333, 2), 0x00010042, names);
}

// The first n bytes of a saved text, zero-filled when it is shorter.
Bytes Fit(const Bytes& saved, size_t n) {
  Bytes out(saved.begin(), saved.begin() + static_cast<std::ptrdiff_t>(std::min(n, saved.size())));
  out.resize(n, 0);
  return out;
}

// What the rebuild must make of the revised name records: every name-ID-13 string keeps its
// length and takes the Macintosh text on platform 1 and the Windows text on any other.
std::vector<NameRecordSpec> Carried(std::vector<NameRecordSpec> names, const Bytes& mac,
                                    const Bytes& win) {
  for (auto& r : names) {
    if (r.nameID == 13) r.text = Fit(r.platformID == 1 ? mac : win, r.text.size());
  }
  return names;
}

std::vector<TableSpec> WithName(std::vector<TableSpec> tables,
                                const std::vector<NameRecordSpec>& names) {
  for (auto& t : tables) {
    if (t.tag == "name") t.bytes = test::BuildNameTable(names);
  }
  return tables;
}

uint32_t FullWordSum(const Bytes& b) {
  return test::SumWords(
      Bytes(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(b.size() / 4 * 4)));
}

struct Report {
  int overall, current;
  std::string line1, line2;
  OwnerWindow owner;
};
std::vector<Report> g_reports;
int g_stopAt = -1;

int RecordProgress(int overall, int current, const char* line1, const char* line2,
                   OwnerWindow owner) {
  g_reports.push_back({overall, current, line1, line2, owner});
  return current == g_stopAt ? 1 : 0;
}

OwnerWindow const kOwner = reinterpret_cast<OwnerWindow>(uintptr_t{0x5A5A});

// An old font loaded as the update job loads it, on a fake platform, ready for a rebuild.
struct Rig {
  explicit Rig(const Bytes& oldFont, bool needName13 = true) {
    g_reports.clear();
    g_stopAt = -1;
    platform.files[kOldPath] = oldFont;
    loaded = font.LoadFont(kOldPath, nullptr, nullptr, 1, 0) == 0;
    bool found = false;
    for (size_t i = 0; loaded && i < font.header.numTables; ++i) {
      found = found || font.ReadName13(font.DirectoryRecord(i), &font.macName13, &font.winName13);
    }
    loaded = loaded && (found || !needName13);
  }

  int Rebuild(const Bytes& patch, OwnerWindow owner = nullptr, int total = 1, int index = 0) {
    platform.resources.AddCopy(kPatchResourceType, kPatchId, patch);
    return font.BuildNewFont(kOldPath, kPatchId, kOutPath, &RecordProgress, owner, total, index);
  }

  bool Wrote() const { return platform.files.count(kOutPath) != 0 || !platform.created.empty(); }
  Bytes Output() const {
    auto it = platform.files.find(kOutPath);
    return it == platform.files.end() ? Bytes{} : it->second;
  }

  test::FakePlatform platform;
  COpenTypeManager font{platform};
  bool loaded = false;
};

TEST(FontRebuild, LiteralPatchGivesRevisedFontWithTheOldLicenceTexts) {
  const std::vector<TableSpec> newTables = NewTables();
  const Bytes newFont = test::BuildFont(newTables);
  PatchSpec plan = test::WholeLiteralPatch(newFont);
  // A stale checkSumAdjustment in the patch: the rebuild must compute its own.
  test::PutU32(plan.records[2].difference->literals[0].bytes, 8, 0x12345678);

  Rig rig(test::BuildFont(OldTables()));
  ASSERT_TRUE(rig.loaded);
  ASSERT_EQ(rig.Rebuild(test::BuildPatch(plan)), 0);

  const Bytes expected = test::BuildFont(
      WithName(newTables, Carried(NewNames(), test::Text(kOldMac), test::Utf16be(kOldWin))));
  const Bytes out = rig.Output();
  EXPECT_EQ(out, expected);
  EXPECT_EQ(test::SumWords(out), kMagic);
  EXPECT_EQ(rig.font.expectedFileSum, test::SumWords(out));
  EXPECT_TRUE(rig.font.newFont.empty());  // freed once written
  ASSERT_NE(rig.font.PatchData(), nullptr);
  EXPECT_EQ(rig.font.PatchData()->records.size(), 4u);
}

TEST(FontRebuild, PatchWithoutDifferenceAreasPlacesOldTablesAtPatchOffsets) {
  // The old tables in reverse order: other offsets and another directory order.
  const std::vector<TableSpec> old = OldTables();
  const std::vector<TableSpec> reversed(old.rbegin(), old.rend());
  const Bytes layout = test::BuildFont(reversed);
  const PatchSpec plan = test::CarryOverPatch(layout);

  Rig rig(test::BuildFont(OldTables()));
  ASSERT_TRUE(rig.loaded);
  // Saved texts other than the font's own show that carried tables get them too.
  const Bytes mac = test::Text("Saved Macintosh licence, longer than the string");
  const Bytes win = test::Utf16be("Saved win");
  rig.font.macName13 = mac;
  rig.font.macName13.resize(255, 0);
  rig.font.winName13 = win;
  rig.font.winName13.resize(255, 0);
  ASSERT_EQ(rig.Rebuild(test::BuildPatch(plan)), 0);

  const auto names = Carried(test::TypicalNameRecords(kFullName, kOldMac, kOldWin), mac, win);
  const Bytes expected = test::BuildFont(WithName(reversed, names));
  EXPECT_EQ(rig.Output(), expected);
  EXPECT_EQ(test::SumWords(rig.Output()), kMagic);
}

TEST(FontRebuild, NameTableWithoutLicenceRecordsKeepsItsBytesButGetsItsChecksum) {
  std::vector<NameRecordSpec> names;
  for (const auto& r : NewNames()) {
    if (r.nameID != 13) names.push_back(r);
  }
  while (test::BuildNameTable(names).size() % 4 != 1) names[0].text.push_back('x');
  const std::vector<TableSpec> newTables = NewTables(names);
  const Bytes newFont = test::BuildFont(newTables);
  PatchSpec plan = test::WholeLiteralPatch(newFont);
  // One byte into the name table's padding: it counts in the table's first checksum, but the
  // image keeps its padding zero, so the directory must carry a recomputed checksum.
  plan.records[3].difference->literals[0].bytes.push_back(0xEE);

  Rig rig(test::BuildFont(OldTables()));
  ASSERT_TRUE(rig.loaded);
  ASSERT_EQ(rig.Rebuild(test::BuildPatch(plan)), 0);
  EXPECT_EQ(rig.Output(), newFont);
}

TEST(FontRebuild, LicenceStringsTakeTheTextOfTheirPlatform) {
  std::vector<NameRecordSpec> names = NewNames();
  names.push_back({0, 3, 0, 13, test::Utf16be("Unicode-platform licence, longer than saved")});
  names.push_back({3, 1, 0x411, 13, test::Utf16be("Japanese-language licence")});
  names.push_back({1, 0, 11, 13, test::Text("Macintosh, another language")});
  names.push_back({3, 1, 0x409, 13, test::Utf16be("ab")});  // shorter than the saved text
  const std::vector<TableSpec> newTables = NewTables(names);

  Rig rig(test::BuildFont(OldTables()));
  ASSERT_TRUE(rig.loaded);
  ASSERT_EQ(rig.Rebuild(test::BuildPatch(test::WholeLiteralPatch(test::BuildFont(newTables)))), 0);

  const Bytes mac = test::Text(kOldMac), win = test::Utf16be(kOldWin);
  EXPECT_EQ(rig.Output(), test::BuildFont(WithName(newTables, Carried(names, mac, win))));
  // Spelled out for one string: the Windows text, then zeros up to the string's length.
  const Bytes out = rig.Output();
  Bytes unicode = win;
  unicode.resize(names[10].text.size(), 0);
  EXPECT_NE(std::search(out.begin(), out.end(), unicode.begin(), unicode.end()), out.end());
}

TEST(FontRebuild, LongLicenceTextsAreCarriedOverWhole) {
  std::string macLong, winLong;
  for (int k = 0; k < 600; ++k) macLong.push_back(static_cast<char>('A' + k % 26));
  for (int k = 0; k < 400; ++k) winLong.push_back(static_cast<char>('a' + k % 26));
  const auto oldNames = test::TypicalNameRecords(kFullName, macLong, winLong);
  std::string macOther(600, 'M'), winOther(400, 'W');
  const auto newNames = test::TypicalNameRecords(kFullName, macOther, winOther);
  const std::vector<TableSpec> newTables = NewTables(newNames);

  Rig rig(test::BuildFont(FontTables(Pattern(301, 1), 0x10000, oldNames)));
  ASSERT_TRUE(rig.loaded);
  ASSERT_EQ(rig.Rebuild(test::BuildPatch(test::WholeLiteralPatch(test::BuildFont(newTables)))), 0);
  // The licence strings hold the old texts whole, beyond 255 bytes.
  EXPECT_EQ(rig.Output(), test::BuildFont(WithName(newTables, oldNames)));
}

TEST(FontRebuild, RevisedLicenceLongerThan255BytesEndsInZerosAfterAShortText) {
  const auto newNames =
      test::TypicalNameRecords(kFullName, std::string(300, 'M'), std::string(200, 'W'));
  const std::vector<TableSpec> newTables = NewTables(newNames);
  Rig rig(test::BuildFont(OldTables()));
  ASSERT_TRUE(rig.loaded);
  ASSERT_EQ(rig.Rebuild(test::BuildPatch(test::WholeLiteralPatch(test::BuildFont(newTables)))), 0);
  EXPECT_EQ(rig.Output(), test::BuildFont(WithName(newTables, Carried(newNames, test::Text(kOldMac),
                                                                      test::Utf16be(kOldWin)))));
}

TEST(FontRebuild, ImageOfUnalignedLengthSumsItsPartialWordAsZeroPadded) {
  std::vector<NameRecordSpec> names = NewNames();
  while (test::BuildNameTable(names).size() % 4 != 3) names[0].text.push_back('y');
  const std::vector<TableSpec> newTables = NewTables(names);  // "name" is the last table
  const Bytes newFont = test::BuildFont(newTables, {.padLastTable = false});
  ASSERT_NE(newFont.size() % 4, 0u);

  Rig rig(test::BuildFont(OldTables()));
  ASSERT_TRUE(rig.loaded);
  ASSERT_EQ(rig.font.expectedFileSum, 0u);
  ASSERT_EQ(rig.Rebuild(test::BuildPatch(test::WholeLiteralPatch(newFont))), 0);

  const Bytes out = rig.Output();
  EXPECT_EQ(out, test::BuildFont(WithName(newTables, Carried(names, test::Text(kOldMac),
                                                             test::Utf16be(kOldWin))),
                                 {.padLastTable = false}));
  EXPECT_EQ(test::SumWords(out), kMagic);
  // The written file's sum counts only its length / 4 whole words.
  EXPECT_EQ(rig.font.expectedFileSum, FullWordSum(out));
  EXPECT_NE(FullWordSum(out), kMagic);
}

TEST(FontRebuild, ReportsFiveStepsWithTheirTextsAndPercentages) {
  const Bytes patch = test::BuildPatch(test::WholeLiteralPatch(test::BuildFont(NewTables())));
  Rig rig(test::BuildFont(OldTables()));
  ASSERT_TRUE(rig.loaded);
  ASSERT_EQ(rig.Rebuild(patch, kOwner, 7, 3), 0);

  // Font 3 of 7: 300/7 + step/7 in integers; step 90 in floating point (42.86 + 12.86 = 55.7).
  const int overall[] = {47, 49, 51, 52, 55};
  const int steps[] = {40, 55, 65, 75, 90};
  ASSERT_EQ(g_reports.size(), 5u);
  for (size_t k = 0; k < 5; ++k) {
    SCOPED_TRACE(steps[k]);
    EXPECT_EQ(g_reports[k].current, steps[k]);
    EXPECT_EQ(g_reports[k].overall, overall[k]);
    EXPECT_EQ(g_reports[k].line1, "/fonts/OldFont.otfの改訂をしています。");
    EXPECT_EQ(g_reports[k].owner, kOwner);
  }
  EXPECT_EQ(g_reports[0].line2, "OldFontのファイルをオープンしています。");
  EXPECT_EQ(g_reports[1].line2, "OldFontのファイルを読み込んでいます。");
  EXPECT_NE(g_reports[2].line2.find("OldFont"), std::string::npos);
  EXPECT_EQ(g_reports[3].line2, "OldFontのファイルにチェックサムを再計算しています。");
  EXPECT_EQ(g_reports[4].line2, "OldFontのファイルを作成しています。");

  // Without an owner nothing is reported and the result is the same.
  Rig quiet(test::BuildFont(OldTables()));
  ASSERT_TRUE(quiet.loaded);
  EXPECT_EQ(quiet.Rebuild(patch, nullptr, 7, 3), 0);
  EXPECT_TRUE(g_reports.empty());
  EXPECT_EQ(quiet.Output(), rig.Output());
}

TEST(FontRebuild, StopAtEachStep) {
  const std::vector<TableSpec> newTables = NewTables();
  const Bytes patch = test::BuildPatch(test::WholeLiteralPatch(test::BuildFont(newTables)));
  const Bytes complete = test::BuildFont(
      WithName(newTables, Carried(NewNames(), test::Text(kOldMac), test::Utf16be(kOldWin))));
  for (const int step : {40, 55, 65, 75, 90}) {
    SCOPED_TRACE(step);
    Rig rig(test::BuildFont(OldTables()));
    ASSERT_TRUE(rig.loaded);
    g_stopAt = step;
    EXPECT_EQ(rig.Rebuild(patch, kOwner, 1, 0), 6);
    ASSERT_FALSE(g_reports.empty());
    EXPECT_EQ(g_reports.back().current, step);  // nothing reported after the stop
    if (step == 90) {
      // The stop comes too late to keep the file from being written whole.
      EXPECT_EQ(rig.Output(), complete);
      EXPECT_EQ(rig.font.expectedFileSum, kMagic);
    } else {
      EXPECT_FALSE(rig.Wrote());
      EXPECT_EQ(rig.font.expectedFileSum, 0u);
    }
  }
}

TEST(FontRebuild, UncreatableOutputGivesElevenAndNoFile) {
  const Bytes patch = test::BuildPatch(test::WholeLiteralPatch(test::BuildFont(NewTables())));
  Rig rig(test::BuildFont(OldTables()));
  ASSERT_TRUE(rig.loaded);
  rig.platform.uncreatable.insert(kOutPath);
  EXPECT_EQ(rig.Rebuild(patch), 11);
  EXPECT_FALSE(rig.Wrote());
  EXPECT_EQ(rig.font.expectedFileSum, 0u);
}

class TempDir {
 public:
  TempDir() {
    std::random_device random;
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
      const auto candidate = std::filesystem::temp_directory_path() /
                             ("refontis-rebuild-" + std::to_string(random()));
      std::error_code error;
      if (std::filesystem::create_directory(candidate, error)) path_ = candidate.string();
    }
  }
  ~TempDir() {
    if (!path_.empty()) std::filesystem::remove_all(path_);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

void WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(FontRebuild, OnTheRealFileSystemWritesOrRefusesAMissingFolder) {
  TempDir dir;
  ASSERT_FALSE(dir.path().empty());
  const std::vector<TableSpec> newTables = NewTables();
  const std::string oldPath = dir.path() + "/OldFont.otf", patchPath = dir.path() + "/p.pa";
  WriteFile(oldPath, test::BuildFont(OldTables()));
  WriteFile(patchPath, test::BuildPatch(test::WholeLiteralPatch(test::BuildFont(newTables))));

  auto load = [&](COpenTypeManager& font) {
    if (font.LoadFont(oldPath, nullptr, nullptr, 1, 0) != 0) return false;
    for (size_t i = 0; i < font.header.numTables; ++i) {
      if (font.ReadName13(font.DirectoryRecord(i), &font.macName13, &font.winName13)) return true;
    }
    return false;
  };

  COpenTypeManager missing(platform::NativePlatform());
  ASSERT_TRUE(load(missing));
  const std::string missingOut = dir.path() + "/no-such-folder/out.otf";
  EXPECT_EQ(missing.BuildNewFontFromFile(oldPath, patchPath, missingOut, nullptr, nullptr, 1, 0),
            11);
  EXPECT_FALSE(std::filesystem::exists(dir.path() + "/no-such-folder"));
  EXPECT_EQ(missing.expectedFileSum, 0u);

  COpenTypeManager written(platform::NativePlatform());
  ASSERT_TRUE(load(written));
  const std::string out = dir.path() + "/out.otf";
  ASSERT_EQ(written.BuildNewFontFromFile(oldPath, patchPath, out, nullptr, nullptr, 1, 0), 0);
  EXPECT_EQ(ReadFile(out),
            test::BuildFont(WithName(
                newTables, Carried(NewNames(), test::Text(kOldMac), test::Utf16be(kOldWin)))));
}

TEST(FontRebuild, PatchFromFileAndFromResourceGiveTheSameFont) {
  const Bytes patch = test::BuildPatch(test::WholeLiteralPatch(test::BuildFont(NewTables())));
  Rig fromResource(test::BuildFont(OldTables())), fromFile(test::BuildFont(OldTables()));
  ASSERT_TRUE(fromResource.loaded && fromFile.loaded);
  ASSERT_EQ(fromResource.Rebuild(patch), 0);
  fromFile.platform.files["/patches/p.pa"] = patch;
  ASSERT_EQ(fromFile.font.BuildNewFontFromFile(kOldPath, "/patches/p.pa", kOutPath, nullptr,
                                               nullptr, 1, 0),
            0);
  EXPECT_EQ(fromFile.Output(), fromResource.Output());
  EXPECT_FALSE(fromFile.Output().empty());
}

TEST(FontRebuild, RevisedFontWithoutNameOrHeadIsRefused) {
  // The revised directory carries the old font's tags, so the old font decides.
  const struct {
    const char* what;
    std::vector<TableSpec> tables;
    int code;
  } cases[] = {
      {"no head",
       {{"CFF ", Pattern(40, 3)}, {"cmap", Cmap()}, {"name", test::BuildNameTable(NewNames())}},
       9},
      {"no name",
       {{"CFF ", Pattern(40, 3)}, {"cmap", Cmap()}, {"head", test::BuildHeadTable(0x20000)}},
       8},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Bytes font = test::BuildFont(c.tables);
    Rig rig(font, /*needName13=*/false);
    ASSERT_TRUE(rig.loaded);
    EXPECT_EQ(rig.Rebuild(test::BuildPatch(test::WholeLiteralPatch(font))), c.code);
    EXPECT_FALSE(rig.Wrote());
  }
}

// Every patch that does not fit the old font, or cannot be decoded, is refused before the
// output file exists.
TEST(FontRebuild, RefusesBadPatchesBeforeWritingAnything) {
  const Bytes oldFont = test::BuildFont(OldTables());
  const Bytes newFont = test::BuildFont(NewTables());
  const uint32_t newSize = static_cast<uint32_t>(newFont.size());
  const uint32_t oldCffOffset = test::ReadU32(oldFont, 12 + 8);
  const uint32_t afterOldCff = static_cast<uint32_t>(oldFont.size()) - oldCffOffset;
  const uint32_t cffPadded = (333 + 3) / 4 * 4;
  auto copies = [](std::vector<CopySpec> c) { return DifferenceSpec{std::move(c), {}}; };
  using SpecEdit = std::function<void(PatchSpec&)>;
  using BytesEdit = std::function<void(Bytes&)>;
  const BytesEdit same = [](Bytes&) {};
  const struct {
    const char* what;
    SpecEdit edit;
    BytesEdit bytesEdit;
    int code;
  } cases[] = {
      {"a directory index without a record", [](PatchSpec& s) { s.records[2].directoryIndex = 9; },
       same, 1},
      {"two records for one index", [](PatchSpec& s) { s.records[2].directoryIndex = 1; }, same, 1},
      {"two records with the same tag", [](PatchSpec& s) { s.records[1].tag = "CFF "; }, same, 1},
      {"a tag the old font lacks", [](PatchSpec& s) { s.records[1].tag = "post"; }, same, 1},
      {"fewer records than old tables", [](PatchSpec& s) { s.records.pop_back(); }, same, 1},
      {"more records than old tables",
       [](PatchSpec& s) {
         auto extra = s.records[1];
         extra.directoryIndex = 4;
         extra.tag = "GSUB";
         s.records.push_back(extra);
       },
       same, 1},
      {"a copy block reading one byte past the old file",
       [&](PatchSpec& s) {
         s.records[0].difference = copies({{afterOldCff - 3, 4, 0}});
       },
       same, 1},
      {"a copy block ending at paddedLength + 2",
       [&](PatchSpec& s) {
         s.records[0].difference = copies({{0, cffPadded + 2, 0}});
       },
       same, 1},
      {"a literal block ending at paddedLength + 2",
       [&](PatchSpec& s) {
         s.records[0].difference = DifferenceSpec{{}, {{cffPadded - 1, Bytes(3, 7), std::nullopt}}};
       },
       same, 1},
      {"an old table longer than its record's buffer",
       [](PatchSpec& s) {
         s.records[0].difference.reset();
         s.records[0].length = 296;  // old "CFF " is 301 bytes
       },
       same, 1},
      {"a table ending one byte past the image",
       [&](PatchSpec& s) { s.records[3].offset = newSize - s.records[3].length + 1; }, same, 1},
      {"a carried table whose old length runs past the image",
       [&](PatchSpec& s) {
         s.records[1].difference.reset();  // old "cmap" is 22 bytes
         s.records[1].length = 21;
         s.records[1].offset = newSize - 21;
       },
       same, 1},
      {"a table offset near 2^32", [](PatchSpec& s) { s.records[3].offset = 0xFFFFFFF0u; }, same,
       1},
      {"a record length near 2^32", [](PatchSpec& s) { s.records[0].length = 0xFFFFFFFDu; }, same,
       1},
      {"a new file size near 2^32", [](PatchSpec& s) { s.newFileSize = 0xFFFFFFFFu; }, same, 1},
      {"an image too small for its directory",
       [](PatchSpec& s) {
         s.newFileSize = 12 + 16 * 4 - 1;
         for (auto& r : s.records) {
           r.offset = 0;
           r.length = 0;
           r.difference = DifferenceSpec{};
         }
       },
       same, 1},
      {"a name-ID-13 string outside the image",
       [](PatchSpec& s) {
         // Record 5 of the typical names is the Macintosh licence; its offset field.
         test::PutU16(s.records[3].difference->literals[0].bytes, 6 + 12 * 5 + 10, 0xFF00);
       },
       same, 1},
      {"name records running past the image",
       [](PatchSpec& s) { test::PutU16(s.records[3].difference->literals[0].bytes, 2, 0xFFFF); },
       same, 1},
      {"a negative copy old offset",
       [&](PatchSpec& s) {
         s.records[0].difference = copies({{0xFFFFFFFCu, 4, 0}});
       },
       same, 1},
      {"a negative copy length",
       [&](PatchSpec& s) {
         s.records[0].difference = copies({{0, 0xFFFFFFFFu, 0}});
       },
       same, 1},
      {"a negative copy new offset",
       [&](PatchSpec& s) {
         s.records[0].difference = copies({{0, 4, 0xFFFFFFFCu}});
       },
       same, 1},
      {"a negative literal new offset",
       [](PatchSpec& s) { s.records[0].difference->literals[0].newOffset = 0xFFFFFFFFu; }, same, 1},
      {"copy offset + length near 2^32",
       [&](PatchSpec& s) {
         s.records[0].difference = copies({{0x7FFFFFFFu, 0x7FFFFFFFu, 0}});
       },
       same, 1},
      {"literal offset + length past 2^31",
       [](PatchSpec& s) { s.records[0].difference->literals[0].newOffset = 0x7FFFFFFFu; }, same, 1},
      // Patches that cannot be decoded.
      {"an empty resource", [](PatchSpec&) {}, [](Bytes& b) { b.clear(); }, 7},
      {"a literal cut short", [](PatchSpec&) {}, [](Bytes& b) { b.pop_back(); }, 7},
      {"a difference offset at the patch size",
       [](PatchSpec& s) {
         s.records[3].differenceOffset = static_cast<uint32_t>(test::BuildPatch(s).size());
       },
       same, 7},
      {"a negative literal length",
       [](PatchSpec& s) { s.records[0].difference->literals[0].declaredLength = 0xFFFFFFFFu; },
       same, 7},
      {"a copy count that cannot fit",
       [](PatchSpec& s) { s.records[0].difference->copyCount = 0x7FFFFFFF; }, same, 7},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    PatchSpec plan = test::WholeLiteralPatch(newFont);
    c.edit(plan);
    Bytes bytes = test::BuildPatch(plan);
    c.bytesEdit(bytes);
    Rig rig(oldFont);
    ASSERT_TRUE(rig.loaded);
    EXPECT_EQ(rig.Rebuild(bytes), c.code);
    EXPECT_FALSE(rig.Wrote());
    EXPECT_EQ(rig.font.expectedFileSum, 0u);
  }

  // No patch resource under the id.
  Rig rig(oldFont);
  ASSERT_TRUE(rig.loaded);
  rig.platform.resources.AddCopy(kPatchResourceType, kPatchId + 1,
                                 test::BuildPatch(test::WholeLiteralPatch(newFont)));
  EXPECT_EQ(rig.font.BuildNewFont(kOldPath, kPatchId, kOutPath, nullptr, nullptr, 1, 0), 7);
  EXPECT_FALSE(rig.Wrote());
}

}  // namespace
}  // namespace refontis
