// Turning one old table into its revised table: ApplySabun on a loaded font and a loaded patch.
#include <gtest/gtest.h>

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
using test::RecordSpec;

constexpr size_t kCffLength = 301;

Bytes CffBytes() {
  Bytes cff;
  for (size_t k = 0; k < kCffLength; ++k) cff.push_back(static_cast<uint8_t>((k * 7 + 3) & 0xFF));
  return cff;
}

// An old font whose "CFF " table (first, 301 bytes) is followed by non-zero padding bytes, so
// that a carried-over table shows whether the old file's padding came along.
Bytes OldFont() {
  Bytes font = test::BuildFont(
      {{"CFF ", CffBytes()}, {"head", test::BuildHeadTable(0x10000)}, {"cmap", Bytes(22, 0x5A)}});
  const uint32_t cff = test::ReadU32(font, 12 + 8);
  font[cff + 301] = 0xE1;
  font[cff + 302] = 0xE2;
  font[cff + 303] = 0xE3;
  return font;
}

uint32_t Sum(const Bytes& bytes) { return test::SumWords(bytes); }

Bytes Slice(std::span<const uint8_t> b, size_t from, size_t n) {
  return Bytes(b.begin() + static_cast<std::ptrdiff_t>(from),
               b.begin() + static_cast<std::ptrdiff_t>(from + n));
}

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

class TableApplyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    file = OldFont();
    platform.files["/fonts/old.otf"] = file;
    ASSERT_EQ(font.LoadFont("/fonts/old.otf", nullptr, nullptr, 1, 0), 0);
    cff = font.FindTable("CFF ");
    ASSERT_NE(cff, nullptr);
    cffOffset = test::ReadU32(file, 12 + 8);
    old = Slice(file, cffOffset, file.size() - cffOffset);  // the table and all that follows
  }

  // Loads a one-record patch and gives its record.
  const CSabunTagObject& Record(const RecordSpec& plan) {
    test::PatchSpec patchSpec;
    patchSpec.records = {plan};
    auto loaded = std::make_unique<CMakeSabunData>(platform);
    EXPECT_TRUE(loaded->LoadFromBytes(test::BuildPatch(patchSpec)));
    patches.push_back(std::move(loaded));
    return *patches.back()->records.at(0);
  }

  // The revised table's bytes that count in the checksum.
  Bytes Revised() const { return Slice(cff->newData, 0, cff->paddedLength); }

  test::FakePlatform platform;
  COpenTypeManager font{platform};
  CTagObject* cff = nullptr;
  Bytes file, old;
  uint32_t cffOffset = 0;
  std::vector<std::unique_ptr<CMakeSabunData>> patches;
};

TEST_F(TableApplyTest, RecordWithoutDifferenceCarriesOldTableWithOldPadding) {
  // The record states another length; the old one is kept.
  ASSERT_TRUE(cff->ApplySabun(Record({"CFF ", 2, 1, 304, 5000, std::nullopt, std::nullopt})));
  const Bytes expected = Slice(file, cffOffset, 304);  // 301 bytes + the three padding bytes
  EXPECT_EQ(Revised(), expected);
  EXPECT_EQ(cff->paddedLength, 304u);
  EXPECT_EQ(cff->newLength, kCffLength);
  EXPECT_EQ(cff->newOffset, 5000u);
  EXPECT_EQ(cff->directoryIndex, 2);
  EXPECT_EQ(cff->offsetIndex, 1);
  EXPECT_EQ(cff->newTag, cff->tag);
  EXPECT_EQ(cff->newCheckSum, Sum(expected));  // the padding counts
  EXPECT_NE(cff->newCheckSum, Sum(CffBytes()));
}

TEST_F(TableApplyTest, BlocksAssembleTheRevisedTable) {
  const struct {
    const char* what;
    uint32_t length;
    DifferenceSpec difference;
    std::function<Bytes(const Bytes&)> expected;  // the first RoundUp4(length) bytes
  } cases[] = {
      {"one literal of the full length",
       10,
       {{}, {{0, test::Text("0123456789"), std::nullopt}}},
       [](const Bytes&) {
         return Cat({test::Text("0123456789"), Bytes(2, 0)});
       }},
      {"copies only: uncovered gaps stay zero",
       24,
       {{{0, 4, 0}, {100, 4, 8}, {200, 8, 16}}, {}},
       [](const Bytes& o) {
         return Cat({Slice(o, 0, 4), Bytes(4, 0), Slice(o, 100, 4), Bytes(4, 0), Slice(o, 200, 8)});
       }},
      {"copies only: touching runs, no gap",
       16,
       {{{0, 8, 0}, {50, 8, 8}}, {}},
       [](const Bytes& o) {
         return Cat({Slice(o, 0, 8), Slice(o, 50, 8)});
       }},
      {"a literal over a copy wins",
       16,
       {{{0, 16, 0}}, {{4, test::Text("ABCD"), std::nullopt}}},
       [](const Bytes& o) {
         return Cat({Slice(o, 0, 4), test::Text("ABCD"), Slice(o, 8, 8)});
       }},
      {"a literal of length 0 changes nothing",
       8,
       {{{0, 8, 0}}, {{4, {}, std::nullopt}}},
       [](const Bytes& o) { return Slice(o, 0, 8); }},
      {"copies read past the old table into what follows it",
       20,
       {{{290, 20, 0}}, {}},
       [](const Bytes& o) { return Slice(o, 290, 20); }},
      {"a copy ending one byte past an unaligned length writes into the padding",
       7,
       {{{0, 8, 0}}, {}},
       [](const Bytes& o) { return Slice(o, 0, 8); }},
      {"copies and literals in any order of new offset",
       12,
       {{{40, 4, 8}, {0, 4, 0}}, {{4, test::Text("ABCD"), std::nullopt}}},
       [](const Bytes& o) {
         return Cat({Slice(o, 0, 4), test::Text("ABCD"), Slice(o, 40, 4)});
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(cff->ApplySabun(Record({"CFF ", 3, 2, c.length, 640, c.difference, std::nullopt})));
    const Bytes expected = c.expected(old);
    EXPECT_EQ(cff->paddedLength, (c.length + 3) / 4 * 4);
    EXPECT_EQ(Revised(), expected);
    EXPECT_EQ(cff->newData.size(), cff->paddedLength + 1u);
    EXPECT_EQ(cff->newData.back(), 0);
    EXPECT_EQ(cff->newLength, c.length);
    EXPECT_EQ(cff->newOffset, 640u);
    EXPECT_EQ(cff->directoryIndex, 3);
    EXPECT_EQ(cff->offsetIndex, 2);
    EXPECT_EQ(cff->newTag, cff->tag);
    EXPECT_EQ(cff->newCheckSum, Sum(expected));
  }
}

TEST_F(TableApplyTest, OneByteOverrunPastAlignedLengthStaysOutOfTheChecksum) {
  ASSERT_TRUE(cff->ApplySabun(
      Record({"CFF ", 0, 0, 8, 100, DifferenceSpec{{{0, 9, 0}}, {}}, std::nullopt})));
  EXPECT_EQ(cff->paddedLength, 8u);
  ASSERT_EQ(cff->newData.size(), 9u);
  EXPECT_EQ(Slice(cff->newData, 0, 9), Slice(old, 0, 9));
  EXPECT_EQ(cff->newCheckSum, Sum(Slice(old, 0, 8)));
  // The literal form of the same overrun.
  ASSERT_TRUE(cff->ApplySabun(Record(
      {"CFF ", 0, 0, 8, 100, DifferenceSpec{{}, {{8, {0x77}, std::nullopt}}}, std::nullopt})));
  EXPECT_EQ(Bytes(cff->newData.begin(), cff->newData.end()), Cat({Bytes(8, 0), Bytes{0x77}}));
  EXPECT_EQ(cff->newCheckSum, 0u);
}

TEST_F(TableApplyTest, ApplyingTwiceGivesTheSameResult) {
  const RecordSpec big{"CFF ", 1, 1, 40, 64, DifferenceSpec{{{0, 40, 0}}, {}}, std::nullopt};
  const RecordSpec small{
      "CFF ",      0,   3,
      6,           128, DifferenceSpec{{{10, 4, 0}}, {{4, test::Text("xy"), std::nullopt}}},
      std::nullopt};
  ASSERT_TRUE(cff->ApplySabun(Record(big)));
  ASSERT_TRUE(cff->ApplySabun(Record(small)));
  const Bytes first(cff->newData.begin(), cff->newData.end());
  const uint32_t firstSum = cff->newCheckSum;
  ASSERT_TRUE(cff->ApplySabun(Record(small)));
  EXPECT_EQ(Bytes(cff->newData.begin(), cff->newData.end()), first);
  EXPECT_EQ(cff->newCheckSum, firstSum);
  // Nothing of the larger first result is left.
  EXPECT_EQ(Bytes(cff->newData.begin(), cff->newData.end()), Cat({Slice(old, 10, 4), test::Text("xy"), Bytes(3, 0)}));
  EXPECT_EQ(cff->newLength, 6u);
  EXPECT_EQ(cff->newOffset, 128u);
  EXPECT_EQ(cff->directoryIndex, 0);
  EXPECT_EQ(cff->offsetIndex, 3);
}

TEST_F(TableApplyTest, RefusesBlocksOutsideTheBuffers) {
  // What lies after the "CFF " table's start in the old file; a copy may read exactly up to it.
  const uint32_t rest = static_cast<uint32_t>(old.size());
  const struct {
    const char* what;
    uint32_t length;
    std::optional<DifferenceSpec> difference;
    bool accepted;
  } cases[] = {
      {"copy reading up to the end of the old file", 8, DifferenceSpec{{{rest - 8, 8, 0}}, {}},
       true},
      {"copy reading one byte past the old file", 8, DifferenceSpec{{{rest - 7, 8, 0}}, {}}, false},
      {"copy ending at paddedLength + 1", 8, DifferenceSpec{{{0, 9, 0}}, {}}, true},
      {"copy ending at paddedLength + 2", 8, DifferenceSpec{{{0, 10, 0}}, {}}, false},
      {"copy placed at paddedLength + 2", 8, DifferenceSpec{{{0, 0, 10}}, {}}, false},
      {"literal ending at paddedLength + 2", 8,
       DifferenceSpec{{}, {{7, Bytes(3, 1), std::nullopt}}}, false},
      {"negative copy old offset", 8, DifferenceSpec{{{0xFFFFFFFCu, 4, 0}}, {}}, false},
      {"negative copy length", 8, DifferenceSpec{{{4, 0xFFFFFFFFu, 0}}, {}}, false},
      {"negative copy new offset", 8, DifferenceSpec{{{0, 4, 0xFFFFFFF8u}}, {}}, false},
      {"negative literal new offset", 8,
       DifferenceSpec{{}, {{0xFFFFFFFFu, Bytes(2, 1), std::nullopt}}}, false},
      {"copy old offset + length beyond 2^31", 8,
       DifferenceSpec{{{0x7FFFFFF0u, 0x7FFFFFF0u, 0}}, {}}, false},
      {"copy new offset + length beyond 2^31", 8, DifferenceSpec{{{0, 0x20, 0x7FFFFFF0u}}, {}},
       false},
      {"literal new offset near 2^31", 8,
       DifferenceSpec{{}, {{0x7FFFFFFFu, Bytes(2, 1), std::nullopt}}}, false},
      // Without a difference area the old table (304 padded) goes into a record-sized buffer.
      {"old table fits record buffer + 1", 301, std::nullopt, true},
      {"old table one byte too long for the record buffer", 300, std::nullopt, false},
      {"record length 0 for a non-empty old table", 0, std::nullopt, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(cff->ApplySabun(Record({"CFF ", 0, 0, c.length, 0, c.difference, std::nullopt})),
              c.accepted);
  }
}

}  // namespace
}  // namespace refontis
