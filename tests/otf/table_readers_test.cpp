// The head and name readers: fields, the fifth record's text and the name-ID-13 strings.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "otf/head_table.h"
#include "otf/name_table.h"
#include "otf/open_type_manager.h"
#include "support/fake_platform.h"
#include "support/font_builder.h"

namespace refontis {
namespace {

using test::Bytes;
using test::NameRecordSpec;
using test::Text;
using test::Utf16be;

const char* const kPath = "/fonts/Reader.otf";

// A loaded font whose records the readers are given.
class ReaderTest : public ::testing::Test {
 protected:
  void Load(const Bytes& bytes) {
    platform.files[kPath] = bytes;
    ASSERT_EQ(font.LoadFont(kPath, nullptr, nullptr, 1, 0), 0);
  }
  void LoadNames(const std::vector<NameRecordSpec>& records) {
    Load(test::BuildFont(
        {{"head", test::BuildHeadTable(0x10000)}, {"name", test::BuildNameTable(records)}}));
  }
  std::span<const uint8_t> RecordOf(const char* tag) {
    const CTagObject* table = font.FindTable(tag);
    EXPECT_NE(table, nullptr) << tag;
    return table ? table->record : std::span<const uint8_t>{};
  }

  test::FakePlatform platform;
  COpenTypeManager font{platform};
};

// `expected` followed only by zeros, in a buffer of at least 255 bytes.
::testing::AssertionResult HoldsText(const Name13Text& buffer, const Bytes& expected) {
  if (buffer.size() < 255) return ::testing::AssertionFailure() << "buffer " << buffer.size();
  if (buffer.size() < expected.size() + 1) {
    return ::testing::AssertionFailure() << "buffer too short for " << expected.size();
  }
  if (!std::equal(expected.begin(), expected.end(), buffer.begin())) {
    return ::testing::AssertionFailure() << "text differs";
  }
  const auto rest = std::find_if(buffer.begin() + static_cast<std::ptrdiff_t>(expected.size()),
                                 buffer.end(), [](uint8_t b) { return b != 0; });
  if (rest != buffer.end()) {
    return ::testing::AssertionFailure() << "non-zero byte at " << (rest - buffer.begin());
  }
  return ::testing::AssertionSuccess();
}

TEST_F(ReaderTest, ReadHeadConvertsEveryFieldFromItsPosition) {
  Bytes head(54);
  for (size_t k = 0; k < head.size(); ++k) head[k] = static_cast<uint8_t>(0xC0 + k);
  Bytes bytes = test::BuildFont({{"head", head}}, {.adjustChecksum = false});
  // The builder zeroes checkSumAdjustment; put the distinct bytes back.
  std::copy(head.begin(), head.end(), bytes.begin() + test::ReadU32(bytes, 12 + 8));
  Load(bytes);
  CTagHeadObject object;
  ASSERT_TRUE(object.AttachRecord(font.FileContent(), 12));
  ASSERT_TRUE(object.ReadHead());
  const CHeadInfoObject& h = object.headInfo;
  EXPECT_EQ(h.version, 0xC0C1C2C3u);
  EXPECT_EQ(h.fontRevision, 0xC4C5C6C7u);
  EXPECT_EQ(h.checkSumAdjustment, 0xC8C9CACBu);
  EXPECT_EQ(h.magicNumber, 0xCCCDCECFu);
  EXPECT_EQ(h.flags, 0xD0D1);
  EXPECT_EQ(h.unitsPerEm, 0xD2D3);
  EXPECT_THAT(h.created, ::testing::ElementsAre(0xD4, 0xD5, 0xD6, 0xD7, 0xD8, 0xD9, 0xDA, 0xDB));
  EXPECT_THAT(h.modified, ::testing::ElementsAre(0xDC, 0xDD, 0xDE, 0xDF, 0xE0, 0xE1, 0xE2, 0xE3));
  EXPECT_EQ(h.xMin, static_cast<int16_t>(0xE4E5));
  EXPECT_EQ(h.yMin, static_cast<int16_t>(0xE6E7));
  EXPECT_EQ(h.xMax, static_cast<int16_t>(0xE8E9));
  EXPECT_EQ(h.yMax, static_cast<int16_t>(0xEAEB));
  EXPECT_EQ(h.macStyle, 0xECED);
  EXPECT_EQ(h.lowestRecPPEM, 0xEEEF);
  EXPECT_EQ(h.fontDirectionHint, static_cast<int16_t>(0xF0F1));
  EXPECT_EQ(h.indexToLocFormat, static_cast<int16_t>(0xF2F3));
  EXPECT_EQ(h.glyphDataFormat, static_cast<int16_t>(0xF4F5));
}

TEST_F(ReaderTest, ReadFontRevisionAnswersOnlyForHead) {
  Load(test::TypicalFont("Sample", 0x00021234));
  uint32_t revision = 0xDEADBEEF;
  EXPECT_FALSE(font.ReadFontRevision(RecordOf("name"), &revision));
  EXPECT_FALSE(font.ReadFontRevision(RecordOf("CFF "), &revision));
  EXPECT_EQ(revision, 0xDEADBEEFu);
  EXPECT_TRUE(font.ReadFontRevision(RecordOf("head"), &revision));
  EXPECT_EQ(revision, 0x00021234u);
}

TEST_F(ReaderTest, HeadCutByTheEndOfTheFileIsNotReadPastIt) {
  const Bytes head = test::BuildHeadTable(0x30000);
  Load(test::BuildFont({{"name", Bytes(8, 0)}, {"head", Bytes(head.begin(), head.begin() + 20)}},
                       {.padLastTable = false}));
  uint32_t revision = 7;
  EXPECT_FALSE(font.ReadFontRevision(RecordOf("head"), &revision));
  EXPECT_EQ(revision, 7u);
}

TEST_F(ReaderTest, ReadName13IgnoresOtherTagsWithoutTouchingTheBuffers) {
  Load(test::TypicalFont("Sample", 0x10000, "Licence"));
  Name13Text mac(255, 0x55), win(255, 0x66);
  EXPECT_FALSE(font.ReadName13(RecordOf("head"), &mac, &win));
  EXPECT_FALSE(font.ReadName13(RecordOf("cmap"), &mac, &win));
  EXPECT_EQ(mac, Name13Text(255, 0x55));
  EXPECT_EQ(win, Name13Text(255, 0x66));
}

TEST_F(ReaderTest, ReadName13FindsTheFirstMacintoshAndWindowsStrings) {
  const std::string longMac(1000, 'L');  // licence texts longer than 255 bytes are kept whole
  const std::string longWin(700, 'W');
  const struct {
    const char* what;
    std::vector<NameRecordSpec> records;
    bool result;
    Bytes mac, win;
  } cases[] = {
      {"both",
       {{1, 0, 0, 13, Text("mac licence")}, {3, 1, 0x409, 13, Utf16be("win licence")}},
       true,
       Text("mac licence"),
       Utf16be("win licence")},
      {"Windows first",
       {{3, 1, 0x409, 13, Utf16be("win")}, {1, 0, 0, 4, Text("x")}, {1, 0, 0, 13, Text("mac")}},
       true,
       Text("mac"),
       Utf16be("win")},
      {"Macintosh only", {{1, 0, 0, 13, Text("mac only")}}, false, Text("mac only"), {}},
      {"Windows only", {{3, 1, 0x409, 13, Utf16be("win only")}}, false, {}, Utf16be("win only")},
      {"two Macintosh records",
       {{1, 0, 0, 13, Text("first")},
        {1, 0, 0, 13, Text("second, longer")},
        {3, 1, 0x409, 13, Utf16be("w1")},
        {3, 1, 0x409, 13, Utf16be("w2 longer")}},
       true,
       Text("first"),
       Utf16be("w1")},
      {"other encodings and languages do not count",
       {{1, 1, 0, 13, Text("mac enc 1")},
        {1, 0, 11, 13, Text("mac lang 11")},
        {3, 1, 0x411, 13, Utf16be("ja")},
        {3, 10, 0x409, 13, Utf16be("ucs4")},
        {3, 1, 0x409, 14, Utf16be("url")},
        {0, 3, 0, 13, Utf16be("unicode")}},
       false,
       {},
       {}},
      {"empty strings", {{1, 0, 0, 13, {}}, {3, 1, 0x409, 13, {}}}, true, {}, {}},
      {"long licence texts",
       {{1, 0, 0, 13, Text(longMac)}, {3, 1, 0x409, 13, Utf16be(longWin)}},
       true,
       Text(longMac),
       Utf16be(longWin)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    LoadNames(c.records);
    Name13Text mac = EmptyName13Text(), win = EmptyName13Text();
    EXPECT_EQ(font.ReadName13(RecordOf("name"), &mac, &win), c.result);
    EXPECT_TRUE(HoldsText(mac, c.mac));
    EXPECT_TRUE(HoldsText(win, c.win));
  }
}

TEST_F(ReaderTest, ReadFontNameTakesTheFifthRecordAsText) {
  const std::vector<NameRecordSpec> four = {{1, 0, 0, 0, Text("c")},
                                            {1, 0, 0, 1, Text("f")},
                                            {1, 0, 0, 2, Text("s")},
                                            {1, 0, 0, 3, Text("u")}};
  auto withFifth = [&](NameRecordSpec fifth) {
    auto records = four;
    records.push_back(std::move(fifth));
    records.push_back({1, 0, 0, 4, Text("sixth")});
    return records;
  };
  const struct {
    const char* what;
    std::vector<NameRecordSpec> records;
    bool result;
    std::string text;
  } cases[] = {
      {"Macintosh full name", withFifth({1, 0, 0, 4, Text("Sample Gothic W3")}), true,
       "Sample Gothic W3"},
      // Whatever the record is, it is the fifth that counts.
      {"any name ID", withFifth({1, 0, 0, 6, Text("PostScriptName")}), true, "PostScriptName"},
      {"Windows Latin text reads as empty", withFifth({3, 1, 0x409, 4, Utf16be("Sample")}), false,
       ""},
      {"Windows text not starting with a zero byte",
       withFifth({3, 1, 0x411, 4, Bytes{0x30, 0xB5, 0x30, 0xF3, 0x00, 0x41}}), true,
       "\x30\xB5\x30\xF3"},
      {"empty record", withFifth({1, 0, 0, 4, {}}), false, ""},
      {"text ends at an embedded zero", withFifth({1, 0, 0, 4, Bytes{'A', 'b', 0, 'c', 'd'}}), true,
       "Ab"},
      {"cut to 254 characters", withFifth({1, 0, 0, 4, Text(std::string(300, 'N'))}), true,
       std::string(254, 'N')},
      {"exactly 254 characters", withFifth({1, 0, 0, 4, Text(std::string(254, 'M'))}), true,
       std::string(254, 'M')},
      {"only four records", four, false, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    LoadNames(c.records);
    std::string text = "untouched";
    EXPECT_EQ(font.ReadFontName(RecordOf("name"), &text), c.result);
    EXPECT_EQ(text, c.result ? c.text : "untouched");
    EXPECT_FALSE(font.ReadFontName(RecordOf("head"), &text));
  }
}

TEST_F(ReaderTest, NameRecordsKeepTheirFieldsAndRawBytes) {
  const std::vector<NameRecordSpec> records = {
      {1, 0, 0, 4, Text("Mac name")},
      {3, 1, 0x409, 4, Utf16be("Win")},
      {1, 0, 0, 7, {}},  // length 0
  };
  LoadNames(records);
  CTagNameObject name;
  ASSERT_TRUE(name.AttachRecord(font.FileContent(), 12 + 16));
  ASSERT_TRUE(name.ReadNameTable());
  EXPECT_EQ(name.nameTable.format, 0);
  EXPECT_EQ(name.nameTable.count, 3);
  EXPECT_EQ(name.nameTable.stringOffset, 6 + 12 * 3);
  ASSERT_EQ(name.nameTable.records.size(), 3u);
  for (size_t i = 0; i < records.size(); ++i) {
    SCOPED_TRACE(i);
    const CNameRecordObject& r = *name.nameTable.records[i];
    EXPECT_EQ(r.platformID, records[i].platformID);
    EXPECT_EQ(r.encodingID, records[i].encodingID);
    EXPECT_EQ(r.languageID, records[i].languageID);
    EXPECT_EQ(r.nameID, records[i].nameID);
    EXPECT_EQ(r.length, records[i].text.size());
    EXPECT_GE(r.rawText.size(), 260u);
    EXPECT_TRUE(HoldsText(r.rawText, records[i].text));
  }
}

TEST_F(ReaderTest, StringsRunningPastTheNameTableAreCutAtItsEnd) {
  // The name table is followed by a table of 0xEE bytes: any byte of it in a string shows a read
  // outside the name table.
  std::vector<NameRecordSpec> records = {
      {1, 0, 0, 13, Text("mac licence")},
      {3, 1, 0x409, 13, Utf16be("win licence")},
  };
  while (test::BuildNameTable(records).size() % 4 != 0) records[1].text.push_back('!');
  const Bytes nameTable = test::BuildNameTable(records);
  const Bytes winText = records[1].text;
  const size_t lastRecord = 6 + 12 * 1;
  for (const uint16_t extra : {1, 3, 4, 20, 60000}) {
    SCOPED_TRACE(extra);
    Bytes bytes = test::BuildFont({{"name", nameTable}, {"post", Bytes(64, 0xEE)}});
    const uint32_t nameOffset = test::ReadU32(bytes, 12 + 8);
    // The last string ends at the table's end; make it claim more.
    test::PutU16(bytes, nameOffset + lastRecord + 8,
                 static_cast<uint16_t>(std::min<size_t>(winText.size() + extra, 0xFFFF)));
    Load(bytes);
    Name13Text mac = EmptyName13Text(), win = EmptyName13Text();
    EXPECT_TRUE(font.ReadName13(RecordOf("name"), &mac, &win));
    EXPECT_TRUE(HoldsText(mac, Text("mac licence")));
    EXPECT_TRUE(HoldsText(win, winText));
  }
  // A string that starts past the table reads as empty.
  Bytes bytes = test::BuildFont({{"name", nameTable}, {"post", Bytes(64, 0xEE)}});
  const uint32_t nameOffset = test::ReadU32(bytes, 12 + 8);
  test::PutU16(bytes, nameOffset + lastRecord + 10, static_cast<uint16_t>(nameTable.size()));
  Load(bytes);
  Name13Text mac = EmptyName13Text(), win = EmptyName13Text();
  EXPECT_TRUE(font.ReadName13(RecordOf("name"), &mac, &win));
  EXPECT_TRUE(HoldsText(win, {}));
}

TEST_F(ReaderTest, NameTableCutByTheEndOfTheFileReadsNothingPastIt) {
  // The name table is last and unpadded; its record count claims far more records than it holds.
  Bytes nameTable = test::BuildNameTable(test::TypicalNameRecords("Sample", "L", "L"));
  test::PutU16(nameTable, 2, 0xFFFF);
  Load(test::BuildFont({{"head", test::BuildHeadTable(0x10000)}, {"name", nameTable}},
                       {.padLastTable = false}));
  Name13Text mac = EmptyName13Text(), win = EmptyName13Text();
  std::string text = "untouched";
  EXPECT_FALSE(font.ReadName13(RecordOf("name"), &mac, &win));
  EXPECT_FALSE(font.ReadFontName(RecordOf("name"), &text));
  EXPECT_EQ(text, "untouched");
}

}  // namespace
}  // namespace refontis
