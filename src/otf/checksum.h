// Byte order, rounding and the checksums of the OpenType container.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace refontis {

// Copies n bytes, turning a big-endian field into a native integer or back (the same call).
void CopyBigEndian(void* destination, const void* source, size_t n);

constexpr uint32_t RoundUp4(uint32_t n) { return (n + 3u) & ~3u; }
constexpr uint64_t RoundUp4(uint64_t n) { return (n + 3u) & ~uint64_t{3}; }

// Sum of the big-endian words of the first RoundUp4(length) bytes; bytes the span does not
// hold count as zero, so a table that ends at the end of its file is summed as if padded.
uint32_t TableChecksum(std::span<const uint8_t> bytes, uint32_t length);

// Sum of the big-endian words of the first `length` bytes; a partial last word counts with its
// missing low-order bytes as zero.
uint32_t WordSum(std::span<const uint8_t> bytes, size_t length);

inline constexpr uint32_t kFontChecksumMagic = 0xB1B0AFBA;

// The whole-font checksum adjustment, in two halves so that a caller can stop in between.
// Prepare zeroes head's checkSumAdjustment, refreshes the head record's checksum and returns
// the value to store, or nothing when the directory has no usable "head" entry.
struct ChecksumAdjustment {
  size_t fieldOffset;  // where checkSumAdjustment lies in the font
  uint32_t value;
};
std::optional<ChecksumAdjustment> PrepareChecksumAdjustment(std::span<uint8_t> font,
                                                            uint32_t fontLength,
                                                            uint16_t numTables);
void WriteChecksumAdjustment(std::span<uint8_t> font, const ChecksumAdjustment& adjustment);

// Both halves at once; false when the font has no usable "head" entry.
bool AdjustFontChecksum(std::span<uint8_t> font, uint32_t fontLength, uint16_t numTables);

// Where the directory record with this tag text lies, among the first numTables records.
std::optional<size_t> FindDirectoryRecord(std::span<const uint8_t> font, uint16_t numTables,
                                          const char* tagText);

}  // namespace refontis
