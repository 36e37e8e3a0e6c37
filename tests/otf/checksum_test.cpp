// The shared byte-order, rounding and checksum functions.
#include "otf/checksum.h"

#include <gtest/gtest.h>

#include "support/font_builder.h"

namespace refontis {
namespace {

using test::Bytes;

TEST(RoundUp4, RoundsToNextMultipleOfFour) {
  const struct {
    uint32_t in, out;
  } cases[] = {{0, 0}, {1, 4}, {4, 4}, {5, 8}, {7, 8}, {0x7FFFFFFD, 0x80000000}};
  for (const auto& c : cases) EXPECT_EQ(RoundUp4(c.in), c.out) << c.in;
}

TEST(TableChecksum, SumsPaddedBigEndianWords) {
  const Bytes five = {1, 2, 3, 4, 5, 0, 0, 0};
  EXPECT_EQ(TableChecksum(five, 5), 0x06020304u);
  EXPECT_EQ(TableChecksum(five, 0), 0u);
  // A table that ends at the end of its buffer reads its missing padding as zeros.
  const Bytes unpadded = {1, 2, 3, 4, 5};
  EXPECT_EQ(TableChecksum(unpadded, 5), 0x06020304u);
  // Sums wrap modulo 2^32.
  const Bytes wrap = {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 2};
  EXPECT_EQ(TableChecksum(wrap, 8), 1u);
}

TEST(CopyBigEndian, ConvertsBothWays) {
  const uint8_t field[4] = {0x12, 0x34, 0x56, 0x78};
  uint32_t native = 0;
  CopyBigEndian(&native, field, 4);
  EXPECT_EQ(native, 0x12345678u);
  uint8_t back[4] = {};
  CopyBigEndian(back, &native, 4);
  EXPECT_EQ(0, memcmp(back, field, 4));
}

TEST(ChecksumAdjustment, WholeFontSumsToMagicAndHeadRecordMatches) {
  for (const bool padded : {true, false}) {
    // head last and unaligned when not padded: the trailing bytes count as a zero-padded word.
    Bytes font = test::BuildFont({{"name", Bytes(13, 0x41)}, {"head", test::BuildHeadTable(0x10000)},
                                     {"post", Bytes{1, 2, 3}}},
                                    {.adjustChecksum = false, .padLastTable = padded});
    test::PutU32(font, 12 + 16 * 1 + 4, 0xDEADBEEF);  // a stale head checksum
    test::PutU32(font, test::ReadU32(font, 12 + 16 + 8) + 8, 0x12345678);
    ASSERT_TRUE(AdjustFontChecksum(font, static_cast<uint32_t>(font.size()), 3));
    EXPECT_EQ(test::SumWords(font), kFontChecksumMagic) << padded;
    const uint32_t headOffset = test::ReadU32(font, 12 + 16 + 8);
    Bytes head(font.begin() + headOffset, font.begin() + headOffset + 56);
    test::PutU32(head, 8, 0);
    EXPECT_EQ(test::ReadU32(font, 12 + 16 + 4), test::SumWords(head));
  }
}

TEST(ChecksumAdjustment, FontWithoutHeadIsLeftUnchanged) {
  Bytes font = test::BuildFont({{"name", Bytes(8, 1)}});
  const Bytes before = font;
  EXPECT_FALSE(AdjustFontChecksum(font, static_cast<uint32_t>(font.size()), 1));
  EXPECT_EQ(font, before);
}

}  // namespace
}  // namespace refontis
