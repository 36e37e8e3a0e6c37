// The patch builder over in-memory files: records, header, refusals, progress, and patches that
// rebuild the new font.
#include "support/patch_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>

#include "otf/open_type_manager.h"
#include "patch/sabun_data.h"
#include "patch/update_info_ctrl.h"
#include "support/fake_platform.h"
#include "support/font_builder.h"

namespace refontis {
namespace {

using test::Bytes;
using test::TableSpec;

constexpr char kOld[] = "/fonts/old.otf";
constexpr char kNew[] = "/fonts/new.otf";
constexpr char kOut[] = "/out/x.pa";
constexpr char kFullName[] = "Fixture Regular Full Name";

struct Report {
  int overall;
  int current;
  std::string message;
  bool operator==(const Report&) const = default;
};
std::vector<Report>* g_reports = nullptr;

int RecordReport(int overall, int current, const char* message, OwnerWindow) {
  if (g_reports != nullptr) g_reports->push_back({overall, current, message});
  return 0;
}

// One record of a patch file, read by the test.
struct PatchRecord {
  std::string tag;
  int directoryIndex, physicalOrder;
  uint32_t differenceOffset, length, offset;
};

std::vector<PatchRecord> ReadRecords(const Bytes& patch) {
  std::vector<PatchRecord> records;
  for (size_t i = 0; i < patch.at(44); ++i) {
    const size_t at = 53 + 18 * i;
    records.push_back({std::string(patch.begin() + static_cast<std::ptrdiff_t>(at),
                                   patch.begin() + static_cast<std::ptrdiff_t>(at + 4)),
                       patch.at(at + 4), patch.at(at + 5), test::ReadU32(patch, at + 6),
                       test::ReadU32(patch, at + 10), test::ReadU32(patch, at + 14)});
  }
  return records;
}

// Copy count and literal count of the difference area at `offset`.
std::pair<uint32_t, uint32_t> BlockCounts(const Bytes& patch, uint32_t offset) {
  const uint32_t copies = test::ReadU32(patch, offset);
  return {copies, test::ReadU32(patch, offset + 4 + 12 * copies)};
}

Bytes TableBytes(const Bytes& font, const std::string& tag) {
  for (const auto& e : test::ReadDirectory(font)) {
    if (e.tag == tag) {
      return Bytes(font.begin() + e.offset, font.begin() + e.offset + e.length);
    }
  }
  ADD_FAILURE() << "no table " << tag;
  return {};
}

Bytes Pseudorandom(size_t n, uint32_t seed) {
  std::mt19937 rng(seed);
  Bytes b(n);
  for (auto& x : b) x = static_cast<uint8_t>(rng());
  return b;
}

Bytes NameTable(const std::string& fullName, const std::string& version = "Fixture-Regular-1") {
  auto records = test::TypicalNameRecords(fullName, "Licence text", "Licence text");
  records[3].text = test::Text(version);
  return test::BuildNameTable(records);
}

// CFF, GSUB, cmap, head, name: the shape of the served fonts, with a table large enough that a
// window scan reports its progress.
std::vector<TableSpec> Tables(uint32_t revision = 0x00010000) {
  return {{"CFF ", Pseudorandom(2400, 1)},
          {"GSUB", Pseudorandom(300, 2)},
          {"cmap", Pseudorandom(40, 3)},
          {"head", test::BuildHeadTable(revision)},
          {"name", NameTable(kFullName)}};
}

TableSpec& Find(std::vector<TableSpec>& tables, const std::string& tag) {
  return *std::find_if(tables.begin(), tables.end(), [&](const auto& t) { return t.tag == tag; });
}

class PatchBuilderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CUpdateInfoCtrl::Reset();
    g_reports = &reports;
  }
  void TearDown() override {
    CUpdateInfoCtrl::Reset();
    g_reports = nullptr;
  }

  // Every tag of `font` with `flag`, as the settings name them (no trailing space).
  static void SelectAll(const Bytes& font, int32_t flag = 1) {
    for (const auto& e : test::ReadDirectory(font)) {
      std::string tag = e.tag;
      if (tag.back() == ' ') tag.pop_back();
      if (CUpdateInfoCtrl::Instance().Find(e.tag.c_str()) == nullptr) {
        CUpdateInfoCtrl::Instance().AddEntry(tag, flag);
      }
    }
  }

  bool Load(const Bytes& oldFont, const Bytes& newFont) {
    platform.files[kOld] = oldFont;
    platform.files[kNew] = newFont;
    return builder.LoadFonts(kOld, kNew, nullptr, nullptr);
  }

  bool Make(OwnerWindow owner = nullptr, int total = 1, int index = 0) {
    return builder.MakeSabun(kOut, RecordReport, owner, total, index);
  }

  // Loads OLD as the update job does and rebuilds it with `patch` from a file or a resource;
  // the image, or nothing with the code in `code`.
  std::optional<Bytes> Rebuild(const Bytes& patch, bool fromResource, int* code = nullptr) {
    COpenTypeManager font(platform);
    int result = font.LoadFont(kOld, nullptr, nullptr, 1, 0);
    bool names = false;
    for (size_t i = 0; result == 0 && i < font.header.numTables; ++i) {
      names = names || font.ReadName13(font.DirectoryRecord(i), &font.macName13, &font.winName13);
    }
    if (result == 0 && !names) result = -1;
    if (result == 0) {
      if (fromResource) {
        platform.resources.AddCopy("FONT_PA", 2001, patch);
        result = font.BuildNewFont(kOld, 2001, "/out/rebuilt.otf", nullptr, nullptr, 1, 0);
      } else {
        platform.files["/out/rebuilt.pa"] = patch;
        result = font.BuildNewFontFromFile(kOld, "/out/rebuilt.pa", "/out/rebuilt.otf", nullptr,
                                           nullptr, 1, 0);
      }
    }
    if (code != nullptr) *code = result;
    if (result != 0) return std::nullopt;
    return platform.files.at("/out/rebuilt.otf");
  }

  const Bytes& Patch() { return platform.files.at(kOut); }

  const CSabunTagObject* MadeRecord(const std::string& tag) {
    for (const auto& r : builder.records) {
      if (r->tagText == tag) return r.get();
    }
    return nullptr;
  }

  test::FakePlatform platform;
  CMakeSabunData builder{platform};
  std::vector<Report> reports;
};

TEST_F(PatchBuilderTest, IdenticalFontsGiveOnlyHeaderAndRecords) {
  const Bytes font = test::BuildFont(Tables(0x00020000));
  CUpdateInfoCtrl::Instance().revisionDate = 0xDD965E00;
  SelectAll(font);
  ASSERT_TRUE(Load(font, font));
  ASSERT_TRUE(Make());
  const Bytes& patch = Patch();
  const auto directory = test::ReadDirectory(font);
  ASSERT_EQ(patch.size(), 53 + 18 * directory.size());
  EXPECT_EQ(Bytes(patch.begin(), patch.begin() + 4), test::Text("QLTP"));
  Bytes name = test::Text(kFullName);
  name.resize(32, 0);
  EXPECT_EQ(Bytes(patch.begin() + 4, patch.begin() + 36), name);
  EXPECT_EQ(test::ReadU32(patch, 36), 0x00020000u);
  EXPECT_EQ(test::ReadU32(patch, 40), font.size());
  EXPECT_EQ(patch[44], directory.size());
  EXPECT_EQ(Bytes(patch.begin() + 45, patch.end() - 18 * 5),
            (Bytes{0, 0, 0, 0, 0xDD, 0x96, 0x5E, 0x00}));
  const auto records = ReadRecords(patch);
  for (size_t i = 0; i < directory.size(); ++i) {
    SCOPED_TRACE(directory[i].tag);
    EXPECT_EQ(records[i].tag, directory[i].tag);
    EXPECT_EQ(records[i].directoryIndex, static_cast<int>(i));
    EXPECT_EQ(records[i].physicalOrder, static_cast<int>(i));  // laid out in directory order
    EXPECT_EQ(records[i].differenceOffset, 0u);
    EXPECT_EQ(records[i].length, directory[i].length);
    EXPECT_EQ(records[i].offset, directory[i].offset);
  }
  EXPECT_TRUE(reports.empty());  // nothing was analysed
  EXPECT_EQ(Rebuild(patch, false), font);
}

// Two aligned words swapped keep the directory checksum: the table is still analysed, and
// the unchanged tables are not, though their flags are set.
TEST_F(PatchBuilderTest, OnlyChangedTablesAreAnalysedEvenWithAnUnchangedChecksum) {
  for (const std::string swapped : {"CFF ", "GSUB"}) {
    SCOPED_TRACE(swapped);
    CUpdateInfoCtrl::Reset();
    reports.clear();
    platform = test::FakePlatform();
    builder.records.clear();
    auto newTables = Tables();
    Bytes& bytes = Find(newTables, swapped).bytes;
    std::swap_ranges(bytes.begin() + 40, bytes.begin() + 44, bytes.begin() + 200);
    const Bytes oldFont = test::BuildFont(Tables()), newFont = test::BuildFont(newTables);
    const auto oldDirectory = test::ReadDirectory(oldFont);
    const auto newDirectory = test::ReadDirectory(newFont);
    for (size_t i = 0; i < oldDirectory.size(); ++i) {
      ASSERT_EQ(oldDirectory[i].checkSum, newDirectory[i].checkSum) << oldDirectory[i].tag;
    }
    SelectAll(newFont);
    ASSERT_TRUE(Load(oldFont, newFont));
    ASSERT_TRUE(Make());
    for (const auto& r : ReadRecords(Patch())) {
      EXPECT_EQ(r.differenceOffset != 0, r.tag == swapped) << r.tag;
      EXPECT_EQ(MadeRecord(r.tag)->hasDifference, r.tag == swapped) << r.tag;
    }
    // The window scan always reports the end of its table; only for a CFF that changed.
    const bool cffReported = std::any_of(reports.begin(), reports.end(), [](const Report& r) {
      return r.message.find("CFF ") != std::string::npos;
    });
    EXPECT_EQ(cffReported, swapped == "CFF ");
    for (const auto& r : reports) EXPECT_NE(r.message.find(swapped), std::string::npos);
    EXPECT_EQ(Rebuild(Patch(), false), newFont);
  }
}

// The CFF table goes to the window scan, which makes no block at new offset 0; any other tag
// goes to the longest match, which does.
TEST_F(PatchBuilderTest, CffIsScannedInAWindowOtherTablesByLongestMatch) {
  auto newTables = Tables();
  Find(newTables, "CFF ").bytes.back() ^= 1;
  Find(newTables, "GSUB").bytes.back() ^= 1;
  const Bytes oldFont = test::BuildFont(Tables()), newFont = test::BuildFont(newTables);
  SelectAll(newFont);
  ASSERT_TRUE(Load(oldFont, newFont));
  ASSERT_TRUE(Make());
  for (const auto& r : ReadRecords(Patch())) {
    if (r.tag == "CFF ") {
      EXPECT_EQ(BlockCounts(Patch(), r.differenceOffset), std::make_pair(0u, 1u));
    } else if (r.tag == "GSUB") {
      ASSERT_NE(r.differenceOffset, 0u);
      EXPECT_EQ(BlockCounts(Patch(), r.differenceOffset), std::make_pair(1u, 1u));
      EXPECT_EQ(test::ReadU32(Patch(), r.differenceOffset + 4), 0u);  // old offset
      EXPECT_EQ(test::ReadU32(Patch(), r.differenceOffset + 8), 299u);
    }
  }
  EXPECT_EQ(Rebuild(Patch(), false), newFont);
}

// A changed table with flag 0: no difference area; the builder's record holds the old table's
// place, the file's record the new one's, and the rebuild carries the old table over.
TEST_F(PatchBuilderTest, FlagZeroKeepsTheOldTable) {
  auto oldTables = Tables(), newTables = Tables(0x00010042);
  Find(oldTables, "CFF ").bytes.resize(2301);
  const Bytes oldFont = test::BuildFont(oldTables), newFont = test::BuildFont(newTables);
  SelectAll(newFont);
  ASSERT_TRUE(CUpdateInfoCtrl::Instance().SetFlag("CFF", 0));
  ASSERT_TRUE(Load(oldFont, newFont));
  ASSERT_TRUE(Make());
  const auto oldCff = test::ReadDirectory(oldFont)[0], newCff = test::ReadDirectory(newFont)[0];
  ASSERT_EQ(oldCff.tag, "CFF ");
  const CSabunTagObject* made = MadeRecord("CFF ");
  EXPECT_FALSE(made->hasDifference);
  EXPECT_EQ(made->length, 2301u);
  EXPECT_EQ(made->offset, oldCff.offset);
  const PatchRecord written = ReadRecords(Patch())[0];
  EXPECT_EQ(written.differenceOffset, 0u);
  EXPECT_EQ(written.length, newCff.length);
  EXPECT_EQ(written.offset, newCff.offset);
  EXPECT_NE(MadeRecord("head")->encodedDifference.size(), 0u);

  const auto rebuilt = Rebuild(Patch(), false);
  ASSERT_TRUE(rebuilt);
  EXPECT_EQ(TableBytes(*rebuilt, "CFF "), Find(oldTables, "CFF ").bytes);
  for (const char* tag : {"GSUB", "cmap", "name"}) {
    EXPECT_EQ(TableBytes(*rebuilt, tag), TableBytes(newFont, tag)) << tag;
  }
  EXPECT_EQ(test::ReadU32(TableBytes(*rebuilt, "head"), 4), 0x00010042u);
}

TEST_F(PatchBuilderTest, MissingSettingsStopAtTheirTableWithoutAFile) {
  auto newTables = Tables(0x00010042);
  Find(newTables, "CFF ").bytes[7] ^= 1;
  const Bytes oldFont = test::BuildFont(Tables()), newFont = test::BuildFont(newTables);
  ASSERT_TRUE(Load(oldFont, newFont));
  EXPECT_FALSE(Make());
  EXPECT_TRUE(builder.records.empty());
  EXPECT_TRUE(reports.empty());  // stopped before analysing the changed first table

  for (const char* tag : {"CFF", "GSUB"}) CUpdateInfoCtrl::Instance().AddEntry(tag, 1);
  EXPECT_FALSE(Make());
  EXPECT_EQ(builder.records.size(), 2u);  // stopped at cmap, the third table
  EXPECT_TRUE(platform.created.empty());
  EXPECT_EQ(platform.files.count(kOut), 0u);
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(PatchBuilderTest, FontNameFieldHoldsAtMostThirtyTwoBytes) {
  for (const size_t length : {size_t{31}, size_t{32}, size_t{33}}) {
    SCOPED_TRACE(length);
    CUpdateInfoCtrl::Reset();
    platform = test::FakePlatform();
    builder.records.clear();
    const std::string name(length, 'N');
    auto tables = Tables();
    Find(tables, "name").bytes = NameTable(name);
    const Bytes font = test::BuildFont(tables);
    SelectAll(font);
    ASSERT_TRUE(Load(font, font));
    if (length <= 32) {
      ASSERT_TRUE(Make());
      Bytes field = test::Text(name);
      field.resize(32, 0);
      EXPECT_EQ(Bytes(Patch().begin() + 4, Patch().begin() + 36), field);
      EXPECT_EQ(builder.fontName[length - 1], 'N');
      EXPECT_TRUE(platform.messages.empty());
    } else {
      EXPECT_FALSE(Make());
      EXPECT_EQ(platform.messages, (std::vector<std::string>{"フォント名取得に失敗",
                                                             "差分データ作成に失敗（/out/x.pa）"}));
      EXPECT_EQ(platform.files.count(kOut), 0u);
    }
  }
}

TEST_F(PatchBuilderTest, LoadFontsRefusesFontsItCannotName) {
  auto nineRecords = test::TypicalNameRecords(kFullName, "a", "b");
  nineRecords.pop_back();
  auto withName = [](Bytes name) {
    auto tables = Tables();
    Find(tables, "name").bytes = std::move(name);
    return test::BuildFont(tables);
  };
  const Bytes typical = test::BuildFont(Tables());
  const Bytes nine = withName(test::BuildNameTable(nineRecords));
  const Bytes other = withName(NameTable("Another Full Name"));
  struct Case {
    const char* label;
    Bytes oldFont, newFont;
    bool loads;
    std::string message;  // the whole message, or for "old not a font" a part of it
  };
  const std::vector<Case> cases = {
      {"old with nine names", nine, typical, false, "旧フォントのフォント名取得に失敗しました"},
      {"new with nine names", typical, nine, false, "新フォントのフォント名取得に失敗しました"},
      {"names differ", typical, other, false, "旧フォントと新フォントの名前が一致しません"},
      {"versions differ", typical, withName(NameTable(kFullName, "v2")), true, ""},
      // Compared as texts: what follows a zero byte does not count.
      {"equal up to a zero", withName(NameTable(std::string("AB\0C", 4))),
       withName(NameTable(std::string("AB\0D", 4))), true, ""},
      {"old not a font", test::Text("not a font at all"), typical, false, kOld},
  };
  for (const auto& c : cases) {
    platform.messages.clear();
    CMakeSabunData fresh(platform);
    platform.files[kOld] = c.oldFont;
    platform.files[kNew] = c.newFont;
    EXPECT_EQ(fresh.LoadFonts(kOld, kNew, nullptr, nullptr), c.loads) << c.label;
    if (c.loads) {
      EXPECT_TRUE(platform.messages.empty()) << c.label;
    } else if (std::string(c.label) == "old not a font") {
      ASSERT_EQ(platform.messages.size(), 1u);
      EXPECT_NE(platform.messages[0].find(c.message), std::string::npos) << platform.messages[0];
    } else {
      EXPECT_EQ(platform.messages, std::vector<std::string>{c.message}) << c.label;
    }
  }
}

TEST_F(PatchBuilderTest, NewFontWithoutATableOfTheOld) {
  auto newTables = Tables();
  newTables.erase(newTables.begin() + 2);  // cmap
  const Bytes oldFont = test::BuildFont(Tables()), newFont = test::BuildFont(newTables);
  SelectAll(oldFont);
  ASSERT_TRUE(Load(oldFont, newFont));
  EXPECT_FALSE(Make());
  EXPECT_EQ(platform.messages, std::vector<std::string>{"新しいタグデータと一致しません"});
  EXPECT_EQ(builder.records.size(), 2u);
  EXPECT_EQ(platform.files.count(kOut), 0u);
}

TEST_F(PatchBuilderTest, OldFontWithoutHead) {
  auto tables = Tables();
  tables.erase(tables.begin() + 3);  // head
  const Bytes font = test::BuildFont(tables);
  SelectAll(font);
  ASSERT_TRUE(Load(font, font));
  EXPECT_FALSE(Make());
  EXPECT_EQ(platform.messages, (std::vector<std::string>{"バージョン情報取得に失敗",
                                                         "差分データ作成に失敗（/out/x.pa）"}));
  EXPECT_EQ(platform.files.count(kOut), 0u);
}

// Each new table with the repeated tag takes the area of the one record for that tag.
TEST_F(PatchBuilderTest, TagRepeatedInTheNewFontGetsItsAreaEachTime) {
  // Without checkSumAdjustment, head stays equal and cmap is the only analysed table.
  const test::FontOptions options{.adjustChecksum = false};
  const Bytes oldFont = test::BuildFont(Tables(), options);
  auto newTables = Tables();
  Find(newTables, "cmap").bytes.assign(40, 0x11);
  newTables.insert(newTables.begin() + 3, {"cmap", Pseudorandom(3000, 9)});
  const Bytes newFont = test::BuildFont(newTables, options);
  SelectAll(newFont);
  ASSERT_TRUE(Load(oldFont, newFont));
  ASSERT_TRUE(Make());
  const size_t area = MadeRecord("cmap")->encodedDifference.size();
  ASSERT_GT(area, 40u);
  EXPECT_EQ(Patch().size(), 53 + 18 * 6 + 2 * area);
  const auto records = ReadRecords(Patch());
  ASSERT_EQ(records[2].tag, "cmap");
  ASSERT_EQ(records[3].tag, "cmap");
  EXPECT_EQ(records[2].differenceOffset, 53u + 18 * 6);
  EXPECT_EQ(records[3].differenceOffset, 53u + 18 * 6 + area);
  EXPECT_TRUE(std::equal(Patch().begin() + records[2].differenceOffset,
                         Patch().begin() + records[3].differenceOffset,
                         Patch().begin() + records[3].differenceOffset));
  CMakeSabunData loaded(platform);
  EXPECT_TRUE(loaded.LoadFromBytes(Patch()));
}

// MakeSabun's own reports: one per table, then the final one in double precision (index 2 of
// 3 reaches 100 where integer arithmetic gives 99).
TEST_F(PatchBuilderTest, ReportsItsProgressWhenGivenAWindow) {
  const Bytes font = test::BuildFont(Tables());
  const auto line = [](const char* tag) {
    return std::string("old.otfのフォントの") + tag + "のタグを解析中です";
  };
  const std::string done = "old.otfのフォントのパッチファイルを作成しました。";
  struct Case {
    int index;
    std::vector<Report> expected;
  };
  const std::vector<Case> cases = {
      {1,
       {{39, 20, line("CFF ")},
        {46, 40, line("GSUB")},
        {53, 60, line("cmap")},
        {59, 80, line("head")},
        {66, 100, line("name")},
        {66, 100, done}}},
      {2,
       {{72, 20, line("CFF ")},
        {79, 40, line("GSUB")},
        {86, 60, line("cmap")},
        {92, 80, line("head")},
        {99, 100, line("name")},
        {100, 100, done}}},
  };
  SelectAll(font);
  ASSERT_TRUE(Load(font, font));
  for (const auto& c : cases) {
    reports.clear();
    builder.records.clear();
    int window = 0;
    ASSERT_TRUE(Make(&window, 3, c.index));
    EXPECT_EQ(reports, c.expected) << c.index;
  }
  reports.clear();
  builder.records.clear();
  ASSERT_TRUE(Make(nullptr, 3, 1));
  EXPECT_TRUE(reports.empty());
}

// The analyses report with the same overall arithmetic, window or not.
TEST_F(PatchBuilderTest, AnalysisReportsPlaceTheTableInTheRun) {
  auto newTables = Tables();
  Find(newTables, "CFF ").bytes[1000] ^= 0xFF;
  const test::FontOptions options{.adjustChecksum = false};  // head unchanged
  const Bytes oldFont = test::BuildFont(Tables(), options);
  const Bytes newFont = test::BuildFont(newTables, options);
  SelectAll(newFont);
  ASSERT_TRUE(Load(oldFont, newFont));
  ASSERT_TRUE(Make(nullptr, 3, 1));
  ASSERT_FALSE(reports.empty());
  for (const auto& r : reports) {
    EXPECT_EQ(r.overall, 33 + r.current / 3);
    EXPECT_EQ(r.message, "old.otfのフォントのCFF のタグを解析中です");
    EXPECT_LE(r.current, 20);
  }
  EXPECT_EQ(reports.back().current, 20);  // (t + 1) * 100 / n for the first of five tables
}

TEST(UpdateInfoCtrlTest, LookupDropsATrailingSpace) {
  CUpdateInfoCtrl::Reset();
  CUpdateInfoCtrl& settings = CUpdateInfoCtrl::Instance();
  settings.AddEntry("CFF", 1);
  settings.AddEntry("head", 2);
  struct Case {
    const char* tag;
    const char* found;  // nullptr: no entry
  };
  for (const Case& c : std::vector<Case>{{"CFF ", "CFF"},
                                         {"CFF", "CFF"},
                                         {"head", "head"},
                                         {"hea ", nullptr},
                                         {"GSUB", nullptr}}) {
    const auto* entry = settings.Find(c.tag);
    if (c.found == nullptr) {
      EXPECT_EQ(entry, nullptr) << c.tag;
    } else {
      ASSERT_NE(entry, nullptr) << c.tag;
      EXPECT_EQ(entry->tagText, c.found) << c.tag;
    }
  }
  EXPECT_TRUE(settings.SetFlag("CFF", 0));
  EXPECT_FALSE(settings.SetFlag("GPOS", 1));
  EXPECT_EQ(settings.Find("CFF ")->flag, 0);
  settings.SetAllFlags(7);
  EXPECT_EQ(settings.Find("CFF ")->flag, 7);
  EXPECT_EQ(settings.Find("head")->flag, 7);
  settings.revisionDate = 5;
  CUpdateInfoCtrl::Reset();
  EXPECT_TRUE(CUpdateInfoCtrl::Instance().Entries().empty());
  EXPECT_EQ(CUpdateInfoCtrl::Instance().revisionDate, 0u);
}

// Generated font pairs: the patch rebuilds the new font file byte for byte (same licence
// texts, so the carried-over name-ID-13 strings are the new font's too).
class GeneratedPairs {
 public:
  explicit GeneratedPairs(uint32_t seed) : rng_(seed) {}
  int Uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

  Bytes Random(size_t n, int alphabet) {
    Bytes b(n);
    for (auto& x : b) x = static_cast<uint8_t>(Uniform(0, alphabet - 1));
    return b;
  }

  Bytes Revise(const Bytes& base, int alphabet) {
    Bytes b = base;
    switch (Uniform(0, 5)) {
      case 0:
        return b;
      case 1:
        return Random(static_cast<size_t>(Uniform(0, 400)), alphabet);
      case 2:
        if (b.size() >= 8) std::swap_ranges(b.begin(), b.begin() + 4, b.end() - 4 - b.size() % 4);
        return b;
      default:
        for (int e = Uniform(1, 4); e > 0; --e) {
          const auto at = static_cast<std::ptrdiff_t>(Uniform(0, static_cast<int>(b.size())));
          if (Uniform(0, 1) == 0) {
            const Bytes ins = Random(static_cast<size_t>(Uniform(1, 60)), alphabet);
            b.insert(b.begin() + at, ins.begin(), ins.end());
          } else {
            b.erase(b.begin() + at,
                    b.begin() + std::min<std::ptrdiff_t>(static_cast<std::ptrdiff_t>(b.size()),
                                                         at + Uniform(1, 80)));
          }
        }
        return b;
    }
  }

  std::pair<Bytes, Bytes> Make() {
    static const char* const kTags[] = {"BASE", "CFF ", "GPOS", "GSUB", "OS/2", "VORG", "cmap",
                                        "hhea", "hmtx", "maxp", "post", "vhea", "vmtx"};
    std::vector<TableSpec> oldTables, newTables;
    for (const char* tag : kTags) {
      if (Uniform(0, 2) != 0) continue;
      const int alphabet = std::array<int, 3>{3, 16, 256}[static_cast<size_t>(Uniform(0, 2))];
      const bool cff = std::string(tag) == "CFF ";
      const Bytes old = Random(static_cast<size_t>(Uniform(0, cff ? 6000 : 500)), alphabet);
      oldTables.push_back({tag, old});
      newTables.push_back({tag, Revise(old, alphabet)});
    }
    const auto revision = static_cast<uint32_t>(Uniform(0x10000, 0x10010));
    oldTables.push_back({"head", test::BuildHeadTable(0x10000)});
    newTables.push_back({"head", test::BuildHeadTable(revision)});
    oldTables.push_back({"name", NameTable(kFullName)});
    newTables.push_back(
        {"name", NameTable(kFullName, Uniform(0, 1) ? "Fixture-2" : "Fixture-Regular-1")});
    if (Uniform(0, 3) == 0) std::shuffle(newTables.begin(), newTables.end(), rng_);
    return {test::BuildFont(oldTables), test::BuildFont(newTables)};
  }

 private:
  std::mt19937 rng_;
};

TEST_F(PatchBuilderTest, BuiltPatchesRebuildGeneratedNewFonts) {
  GeneratedPairs pairs(2024);
  for (int k = 0; k < 60; ++k) {
    SCOPED_TRACE("pair " + std::to_string(k));
    CUpdateInfoCtrl::Reset();
    platform = test::FakePlatform();
    CMakeSabunData fresh(platform);
    const auto [oldFont, newFont] = pairs.Make();
    platform.files[kOld] = oldFont;
    platform.files[kNew] = newFont;
    SelectAll(newFont);
    ASSERT_TRUE(fresh.LoadFonts(kOld, kNew, nullptr, nullptr));
    ASSERT_TRUE(fresh.MakeSabun(kOut, RecordReport, nullptr, 1, 0));
    int code = 0;
    const auto rebuilt = Rebuild(platform.files.at(kOut), k % 3 == 0, &code);
    ASSERT_TRUE(rebuilt) << "code " << code;
    EXPECT_EQ(*rebuilt, newFont);
    if (HasFailure()) return;
  }
}

}  // namespace
}  // namespace refontis
