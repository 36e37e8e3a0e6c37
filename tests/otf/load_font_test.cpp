// LoadFont: progress steps, the table lists, and the refusal of bad or unreadable files.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "otf/checksum.h"
#include "otf/open_type_manager.h"
#include "support/fake_platform.h"
#include "support/font_builder.h"

namespace refontis {
namespace {

using test::Bytes;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

struct Report {
  int overall;
  int current;
  std::string line1;
  std::string line2;
};

// The owner window handed to LoadFont is the recorder itself, so the callback needs no global.
struct Recorder {
  std::vector<Report> reports;
  int stopAt = -1;  // the step at which the "user" asks to stop
  std::vector<int> Steps() const {
    std::vector<int> steps;
    for (const auto& r : reports) steps.push_back(r.current);
    return steps;
  }
};

int callsWithoutOwner = 0;

int RecordProgress(int overall, int current, const char* line1, const char* line2,
                   OwnerWindow owner) {
  auto* recorder = static_cast<Recorder*>(owner);
  if (recorder == nullptr) {
    ++callsWithoutOwner;
    return 0;
  }
  recorder->reports.push_back({overall, current, line1, line2});
  return current == recorder->stopAt ? 1 : 0;
}

const char* const kPath = "/fonts/Sample-W3.otf";

class LoadFontTest : public ::testing::Test {
 protected:
  int Load(const Bytes& bytes, int fontCount = 1, int fontIndex = 0) {
    platform.files[kPath] = bytes;
    return font.LoadFont(kPath, RecordProgress, &recorder, fontCount, fontIndex);
  }

  test::FakePlatform platform;
  COpenTypeManager font{platform};
  Recorder recorder;
};

Bytes TrueTypeFont() {
  return test::BuildFont({{"head", test::BuildHeadTable(0x10000)}, {"name", Bytes(8, 0)}},
                         {.sfntVersion = 0x00010000});
}

// Directory record i of a built font: offset and length fields.
size_t OffsetField(size_t i) { return 12 + 16 * i + 8; }
size_t LengthField(size_t i) { return 12 + 16 * i + 12; }

TEST_F(LoadFontTest, ReportsTheThreeLoadingStepsWithTheirTexts) {
  const struct {
    platform::PathStyle style;
    std::string path;
    std::string stem;  // the name the second lines carry
    std::string fileName;
  } cases[] = {
      {platform::PathStyle::kPosix, "/usr/share/fonts/Sample-W3.otf", "Sample-W3", "Sample-W3.otf"},
      // 0x83 0x5C is one two-byte character whose trail byte is a backslash.
      {platform::PathStyle::kWindowsCp932, "C:\\Fonts\\\x83\x5C\x83\x74\x83\x67.otf",
       "\x83\x5C\x83\x74\x83\x67", "\x83\x5C\x83\x74\x83\x67.otf"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    test::FakePlatform fake;
    fake.style = c.style;
    fake.files[c.path] = test::TypicalFont("Sample", 0x10000);
    COpenTypeManager manager(fake);
    Recorder rec;
    ASSERT_EQ(manager.LoadFont(c.path, RecordProgress, &rec, 1, 0), 0);
    const std::string line1 = c.path + "の改訂をしています。";
    ASSERT_EQ(rec.reports.size(), 3u);
    EXPECT_EQ(rec.reports[0].current, 10);
    EXPECT_EQ(rec.reports[0].overall, 10);
    EXPECT_EQ(rec.reports[0].line2, c.stem + "のファイルをオープンしています。");
    EXPECT_EQ(rec.reports[1].current, 20);
    EXPECT_EQ(rec.reports[1].overall, 20);
    EXPECT_EQ(rec.reports[1].line2, c.stem + "のファイルを読み込んでいます。");
    EXPECT_EQ(rec.reports[2].current, 30);
    EXPECT_EQ(rec.reports[2].overall, 30);
    EXPECT_EQ(rec.reports[2].line2, "タグデータを読み込みました。");
    for (const auto& r : rec.reports) EXPECT_EQ(r.line1, line1);
    EXPECT_EQ(manager.fileName, c.fileName);
  }
}

TEST_F(LoadFontTest, OverallPercentageCountsTheFontsBefore) {
  const struct {
    int count, index;
    std::vector<int> overall;  // for steps 10, 20, 30
  } cases[] = {
      {1, 0, {10, 20, 30}},   {3, 1, {36, 39, 43}},  // 33 + 3, 33 + 6, 33 + 10
      {3, 2, {69, 72, 76}},   {7, 6, {86, 87, 89}},
      {40, 39, {97, 97, 97}},  // the step share truncates to 0
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.count << "/" << c.index);
    Recorder rec;
    platform.files[kPath] = test::TypicalFont("Sample", 0x10000);
    ASSERT_EQ(font.LoadFont(kPath, RecordProgress, &rec, c.count, c.index), 0);
    std::vector<int> overall;
    for (const auto& r : rec.reports) overall.push_back(r.overall);
    EXPECT_EQ(overall, c.overall);
    EXPECT_THAT(rec.Steps(), ElementsAre(10, 20, 30));
  }
}

TEST_F(LoadFontTest, TrueTypeFontReportsStepsTenAndThirtyAndIsRefused) {
  EXPECT_EQ(Load(TrueTypeFont()), 1);
  EXPECT_THAT(recorder.Steps(), ElementsAre(10, 30));
  EXPECT_TRUE(font.tables.empty());
}

TEST_F(LoadFontTest, TableOutsideThePermittedListIsRefusedBeforeStepThirty) {
  // Comparison is exact: case, trailing space and a NUL in place of the space all matter.
  for (const std::string& bad : std::vector<std::string>{"DSIG", "glyf", "cff ", "Head", "NAME",
                                                         "LTSH", std::string("CFF\0", 4)}) {
    SCOPED_TRACE(bad);
    Recorder rec;
    platform.files[kPath] = test::BuildFont({{"head", test::BuildHeadTable(0x10000)},
                                             {"name", Bytes(8, 0)},
                                             {bad, Bytes(4, 1)},
                                             {"cmap", Bytes(4, 2)}});
    EXPECT_EQ(font.LoadFont(kPath, RecordProgress, &rec, 1, 0), 1);
    EXPECT_THAT(rec.Steps(), ElementsAre(10, 20));
    // The records before the refused one keep their objects until the next Release.
    ASSERT_EQ(font.tables.size(), 2u);
    EXPECT_STREQ(font.tables[0]->tagText, "head");
    EXPECT_STREQ(font.tables[1]->tagText, "name");
  }
}

TEST_F(LoadFontTest, EveryPermittedTableLoadsAndFindTableMatchesExactly) {
  const char* const permitted[] = {"BASE", "CFF ", "GPOS", "GSUB", "OS/2", "VORG",
                                   "cmap", "head", "hhea", "hmtx", "maxp", "name",
                                   "post", "vhea", "vmtx", "EBDT", "EBLC"};
  std::vector<test::TableSpec> plans;
  for (const char* tag : permitted) plans.push_back({tag, Bytes(6, static_cast<uint8_t>(tag[0]))});
  plans.push_back({"name", Bytes(4, 9)});  // a second "name": FindTable gives the first
  ASSERT_EQ(Load(test::BuildFont(plans)), 0);
  ASSERT_EQ(font.tables.size(), plans.size());
  for (const char* tag : permitted) {
    const CTagObject* found = font.FindTable(tag);
    ASSERT_NE(found, nullptr) << tag;
    EXPECT_STREQ(found->tagText, tag);
  }
  EXPECT_EQ(font.FindTable("name")->directoryIndex, 11);
  EXPECT_EQ(font.FindTable("CFF"), nullptr);
  EXPECT_EQ(font.FindTable("cff "), nullptr);
  EXPECT_EQ(font.FindTable("DSIG"), nullptr);
}

TEST_F(LoadFontTest, AttachesEveryRecordWithoutCopyingTheTable) {
  const Bytes bytes = test::BuildFont(
      {{"CFF ", Bytes(301, 7)},
       {"head", test::BuildHeadTable(0x20000)},
       {"name", test::BuildNameTable(test::TypicalNameRecords("Sample", "Licence", "Licence"))},
       {"post", Bytes{1, 2, 3}}});
  ASSERT_EQ(Load(bytes), 0);
  EXPECT_EQ(font.header.sfntVersion, 0x4F54544Fu);
  EXPECT_EQ(font.header.flavour, 2);
  EXPECT_EQ(font.header.numTables, 4);
  EXPECT_EQ(font.header.searchRange, test::ReadU16(bytes, 6));
  EXPECT_EQ(font.header.entrySelector, test::ReadU16(bytes, 8));
  EXPECT_EQ(font.header.rangeShift, test::ReadU16(bytes, 10));
  EXPECT_EQ(font.fileLength, static_cast<int32_t>(bytes.size()));
  ASSERT_EQ(font.tables.size(), 4u);
  for (size_t i = 0; i < font.tables.size(); ++i) {
    const CTagObject& t = *font.tables[i];
    SCOPED_TRACE(t.tagText);
    const size_t r = 12 + 16 * i;
    EXPECT_EQ(0, std::memcmp(t.tag.data(), &bytes[r], 4));
    EXPECT_EQ(0, std::memcmp(t.tagText, &bytes[r], 4));
    EXPECT_EQ(t.tagText[4], '\0');
    EXPECT_EQ(t.checkSum, test::ReadU32(bytes, r + 4));
    EXPECT_EQ(t.offset, test::ReadU32(bytes, r + 8));
    EXPECT_EQ(t.length, test::ReadU32(bytes, r + 12));
    EXPECT_EQ(t.paddedLength, (t.length + 3) / 4 * 4);
    EXPECT_EQ(t.directoryIndex, static_cast<int32_t>(i));
    // Views into the loaded bytes, not copies.
    EXPECT_EQ(t.record.data(), font.fileBytes.data() + r);
    EXPECT_EQ(t.data.data(), font.fileBytes.data() + t.offset);
    EXPECT_TRUE(t.newData.empty());
    if (std::string(t.tagText) != "head") {
      EXPECT_EQ(TableChecksum(t.data, t.length), t.checkSum);
    }
  }
}

TEST_F(LoadFontTest, EmptyDirectoryLoads) {
  EXPECT_EQ(Load(test::BuildFont({})), 0);
  EXPECT_THAT(recorder.Steps(), ElementsAre(10, 20, 30));
  EXPECT_TRUE(font.tables.empty());
  EXPECT_EQ(font.tablesByOffset.GetSize(), 0u);
}

TEST_F(LoadFontTest, UnreadableFilesAreRefusedWithoutAnyReport) {
  const Bytes good = test::TypicalFont("Sample", 0x10000);
  const struct {
    const char* what;
    void (*prepare)(test::FakePlatform&, const Bytes&);
  } cases[] = {
      {"missing", [](test::FakePlatform&, const Bytes&) {}},
      {"empty", [](test::FakePlatform& p, const Bytes&) { p.files[kPath] = {}; }},
      {"unopenable",
       [](test::FakePlatform& p, const Bytes& b) {
         p.files[kPath] = b;
         p.unopenable.insert(kPath);
       }},
      {"short read",
       [](test::FakePlatform& p, const Bytes& b) {
         p.files[kPath] = b;
         p.shortRead[kPath] = b.size() / 2;
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::FakePlatform fake;
    c.prepare(fake, good);
    COpenTypeManager manager(fake);
    Recorder rec;
    EXPECT_EQ(manager.LoadFont(kPath, RecordProgress, &rec, 1, 0), 1);
    EXPECT_TRUE(rec.reports.empty());
    EXPECT_TRUE(manager.tables.empty());
  }
}

TEST_F(LoadFontTest, WithoutOwnerWindowNothingIsReportedAndTheResultIsTheSame) {
  Bytes refused = test::TypicalFont("Sample", 0x10000);
  std::memcpy(&refused[12], "DSIG", 4);
  for (const Bytes& bytes : {test::TypicalFont("Sample", 0x10000), TrueTypeFont(), refused}) {
    platform.files[kPath] = bytes;
    Recorder rec;
    const int withOwner = font.LoadFont(kPath, RecordProgress, &rec, 1, 0);
    EXPECT_FALSE(rec.reports.empty());
    callsWithoutOwner = 0;
    EXPECT_EQ(font.LoadFont(kPath, RecordProgress, nullptr, 1, 0), withOwner);
    EXPECT_EQ(callsWithoutOwner, 0);
    // A stop request cannot arrive without an owner either.
    EXPECT_EQ(font.LoadFont(
                  kPath, [](int, int, const char*, const char*, OwnerWindow) { return 1; }, nullptr,
                  1, 0),
              withOwner);
  }
}

TEST_F(LoadFontTest, StopAtEachStepGivesSixAndKeepsTheBytes) {
  const struct {
    bool trueType;
    int stopAt;
    int result;
    std::vector<int> steps;
  } cases[] = {
      {false, 10, 6, {10}},    {false, 20, 6, {10, 20}}, {false, 30, 6, {10, 20, 30}},
      {true, 30, 6, {10, 30}}, {true, 20, 1, {10, 30}},  // a TrueType load never reaches step 20
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.stopAt << (c.trueType ? " TrueType" : ""));
    Recorder rec;
    rec.stopAt = c.stopAt;
    const Bytes bytes = c.trueType ? TrueTypeFont() : test::TypicalFont("Sample", 0x10000);
    platform.files[kPath] = bytes;
    EXPECT_EQ(font.LoadFont(kPath, RecordProgress, &rec, 1, 0), c.result);
    EXPECT_EQ(rec.Steps(), c.steps);
    ASSERT_GE(font.fileBytes.size(), bytes.size());
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), font.fileBytes.begin()));
    font.Release();
    EXPECT_TRUE(font.fileBytes.empty());
    EXPECT_TRUE(font.tables.empty());
  }
}

TEST_F(LoadFontTest, TablesByOffsetAscendAndEqualOffsetsKeepDirectoryOrder) {
  // Seventeen tables, enough that a sort which does not keep equal elements in place would show.
  const char* const tags[] = {"vmtx", "BASE", "hmtx", "cmap", "CFF ", "GPOS",
                              "EBDT", "OS/2", "VORG", "head", "hhea", "GSUB",
                              "maxp", "name", "post", "vhea", "EBLC"};
  constexpr size_t n = std::size(tags);
  std::vector<test::TableSpec> plans;
  for (size_t i = 0; i < n; ++i) plans.push_back({tags[i], Bytes(8, static_cast<uint8_t>(i))});
  Bytes bytes = test::BuildFont(plans);
  // Point every record at one of four tables, chosen so that groups interleave in the directory.
  const size_t targets[] = {9, 2, 16, 5};
  std::vector<uint32_t> offsets;
  for (size_t i = 0; i < n; ++i) {
    const size_t target = targets[(i * 7 + i / 5) % 4];
    offsets.push_back(test::ReadU32(bytes, OffsetField(target)));
    test::PutU32(bytes, OffsetField(i), offsets.back());
  }
  ASSERT_EQ(Load(bytes), 0);

  // Expected: groups by ascending offset, each group in directory order.
  std::vector<uint32_t> distinct(offsets);
  std::sort(distinct.begin(), distinct.end());
  distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
  std::vector<int> expected;
  for (const uint32_t offset : distinct) {
    for (size_t i = 0; i < n; ++i) {
      if (offsets[i] == offset) expected.push_back(static_cast<int>(i));
    }
  }
  std::vector<int> actual;
  for (const CTagObject* t : font.tablesByOffset) actual.push_back(t->directoryIndex);
  EXPECT_THAT(actual, ElementsAreArray(expected));
  for (size_t k = 0; k < font.tablesByOffset.GetSize(); ++k) {
    EXPECT_EQ(font.tablesByOffset[k]->offsetIndex, static_cast<int32_t>(k));
  }
  // The directory list itself is untouched.
  for (size_t i = 0; i < n; ++i) EXPECT_STREQ(font.tables[i]->tagText, tags[i]);
}

TEST_F(LoadFontTest, FileCutAnywhereBeforeTheLastTableEndsIsRefused) {
  const Bytes whole = test::BuildFont(
      {{"CFF ", Bytes(301, 7)},
       {"head", test::BuildHeadTable(0x10000)},
       {"name", test::BuildNameTable(test::TypicalNameRecords("Sample", "Licence", "Licence"))},
       {"post", Bytes{1, 2, 3, 4, 5}}});
  uint64_t contentEnd = 0;
  const uint16_t numTables = test::ReadU16(whole, 4);
  for (size_t i = 0; i < numTables; ++i) {
    contentEnd = std::max<uint64_t>(contentEnd, uint64_t{test::ReadU32(whole, OffsetField(i))} +
                                                    test::ReadU32(whole, LengthField(i)));
  }
  ASSERT_LT(contentEnd, whole.size()) << "the fixture should end with padding";
  for (size_t cut = 1; cut < whole.size(); ++cut) {
    SCOPED_TRACE(cut);
    const Bytes bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
    platform.files[kPath] = bytes;
    Recorder rec;
    const int result = font.LoadFont(kPath, RecordProgress, &rec, 1, 0);
    EXPECT_EQ(result, cut >= contentEnd ? 0 : 1);
  }
}

TEST_F(LoadFontTest, UnpaddedLastTableAtEndOfFileLoadsAndSumsAsZeroPadded) {
  for (const size_t length : {1, 2, 3, 5, 13}) {
    SCOPED_TRACE(length);
    Bytes last;
    for (size_t k = 0; k < length; ++k) last.push_back(static_cast<uint8_t>(0xA0 + k));
    const Bytes bytes = test::BuildFont({{"head", test::BuildHeadTable(0x10000)}, {"post", last}},
                                        {.padLastTable = false});
    ASSERT_EQ(bytes.size() % 4, length % 4);
    ASSERT_EQ(Load(bytes), 0);
    const CTagObject* post = font.FindTable("post");
    ASSERT_NE(post, nullptr);
    EXPECT_EQ(post->offset + post->length, bytes.size());
    EXPECT_EQ(post->paddedLength % 4, 0u);
    // The builder summed the table with zero padding; the loaded view must agree.
    EXPECT_EQ(TableChecksum(post->data, post->length), post->checkSum);
  }
}

TEST_F(LoadFontTest, TableOutsideTheFileIsRefused) {
  const Bytes good = test::TypicalFont("Sample", 0x10000);
  const uint32_t size = static_cast<uint32_t>(good.size());
  const uint32_t cmapOffset = test::ReadU32(good, OffsetField(1));
  const struct {
    uint32_t offset, length;
  } cases[] = {
      {size, 1},
      {size - 1, 2},
      {size + 4, 4},
      {cmapOffset, size},          // starts inside, ends past the end
      {0xFFFFFFFFu, 1},            // wraps to 0 in 32 bits
      {0xFFFFFFFCu, 8},            // wraps to 4
      {cmapOffset, 0xFFFFFFFFu},   // wraps below the offset
      {4, 0xFFFFFFFCu},            // wraps to 0
      {0x80000000u, 0x80000000u},  // wraps to 0
      {0x7FFFFFFFu, 0x7FFFFFFFu},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << std::hex << c.offset << "+" << c.length);
    Bytes bytes = good;
    test::PutU32(bytes, OffsetField(1), c.offset);  // cmap, in the middle of the directory
    test::PutU32(bytes, LengthField(1), c.length);
    Recorder rec;
    platform.files[kPath] = bytes;
    EXPECT_EQ(font.LoadFont(kPath, RecordProgress, &rec, 1, 0), 1);
  }
  // A table that ends exactly at the end of the file is inside it.
  Bytes bytes = good;
  test::PutU32(bytes, OffsetField(1), 0);
  test::PutU32(bytes, LengthField(1), size);
  EXPECT_EQ(Load(bytes), 0);
}

TEST_F(LoadFontTest, DirectoryLongerThanTheFileIsRefused) {
  Bytes bytes = test::TypicalFont("Sample", 0x10000);
  test::PutU16(bytes, 4, 0xFFFF);
  // The records past the real ones read table bytes as tags; make them permitted ones so that
  // only the end of the file can stop the walk.
  for (size_t at = 12 + 16 * 4; at + 16 <= bytes.size(); at += 16) {
    std::memcpy(&bytes[at], "post", 4);
    test::PutU32(bytes, at + 8, 0);
    test::PutU32(bytes, at + 12, 4);
  }
  EXPECT_EQ(Load(bytes), 1);
}

TEST_F(LoadFontTest, ReleaseFreesEverythingButKeepsLengthsNamesAndHeader) {
  ASSERT_EQ(Load(test::TypicalFont("Sample", 0x10000)), 0);
  const int32_t length = font.fileLength;
  font.macName13[0] = 'M';
  font.expectedFileSum = 1234;
  font.Release();
  EXPECT_TRUE(font.fileBytes.empty());
  EXPECT_TRUE(font.tables.empty());
  EXPECT_EQ(font.tablesByOffset.GetSize(), 0u);
  EXPECT_TRUE(font.newFont.empty());
  EXPECT_EQ(font.fileLength, length);
  EXPECT_EQ(font.fileName, "Sample-W3.otf");
  EXPECT_EQ(font.header.numTables, 4);
  EXPECT_EQ(font.macName13[0], 'M');
  EXPECT_EQ(font.expectedFileSum, 1234u);
}

TEST_F(LoadFontTest, ANewLoadStartsFromNothing) {
  ASSERT_EQ(Load(test::TypicalFont("Sample", 0x10000)), 0);
  ASSERT_EQ(Load(test::BuildFont({{"post", Bytes(4, 1)}})), 0);
  ASSERT_EQ(font.tables.size(), 1u);
  EXPECT_EQ(font.tablesByOffset.GetSize(), 1u);
  EXPECT_EQ(font.FindTable("name"), nullptr);
}

}  // namespace
}  // namespace refontis
