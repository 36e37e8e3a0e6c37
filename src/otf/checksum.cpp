// Byte order, rounding and the checksums of the OpenType container.
#include "otf/checksum.h"

#include <bit>
#include <cstring>

#include "otf/byte_reader.h"

namespace refontis {

void CopyBigEndian(void* destination, const void* source, size_t n) {
  auto* dst = static_cast<uint8_t*>(destination);
  const auto* src = static_cast<const uint8_t*>(source);
  if constexpr (std::endian::native == std::endian::big) {
    std::memmove(dst, src, n);
  } else {
    uint8_t tmp[16];
    if (n > sizeof tmp) n = sizeof tmp;
    for (size_t k = 0; k < n; ++k) tmp[k] = src[n - 1 - k];
    std::memcpy(dst, tmp, n);
  }
}

uint32_t WordSum(std::span<const uint8_t> bytes, size_t length) {
  uint32_t sum = 0;
  const size_t available = length < bytes.size() ? length : bytes.size();
  const size_t whole = available / 4 * 4;
  const uint8_t* p = bytes.data();
  for (size_t k = 0; k < whole; k += 4) {
    sum += (uint32_t{p[k]} << 24) | (uint32_t{p[k + 1]} << 16) | (uint32_t{p[k + 2]} << 8) |
           uint32_t{p[k + 3]};
  }
  if (whole < available) {
    uint32_t last = 0;
    for (size_t k = 0; k < 4; ++k) {
      last <<= 8;
      if (whole + k < available) last |= p[whole + k];
    }
    sum += last;
  }
  return sum;
}

uint32_t TableChecksum(std::span<const uint8_t> bytes, uint32_t length) {
  return WordSum(bytes, RoundUp4(length));
}

std::optional<size_t> FindDirectoryRecord(std::span<const uint8_t> font, uint16_t numTables,
                                          const char* tagText) {
  for (size_t i = 0; i < numTables; ++i) {
    const size_t at = 12 + 16 * i;
    if (!RangeInside(at, 16, font.size())) return std::nullopt;
    if (std::memcmp(font.data() + at, tagText, 4) == 0) return at;
  }
  return std::nullopt;
}

std::optional<ChecksumAdjustment> PrepareChecksumAdjustment(std::span<uint8_t> font,
                                                            uint32_t fontLength,
                                                            uint16_t numTables) {
  if (fontLength > font.size()) return std::nullopt;
  const auto record = FindDirectoryRecord(font, numTables, "head");
  if (!record) return std::nullopt;
  uint32_t offset = 0, length = 0;
  if (!ReadU32At(font, *record + 8, &offset) || !ReadU32At(font, *record + 12, &length)) {
    return std::nullopt;
  }
  if (!RangeInside(offset, 12, fontLength) || !RangeInside(offset, length, fontLength)) {
    return std::nullopt;
  }
  const size_t field = size_t{offset} + 8;
  if (!WriteU32At(font, field, 0)) return std::nullopt;
  const uint32_t headSum = TableChecksum(font.subspan(offset, fontLength - offset), length);
  if (!WriteU32At(font, *record + 4, headSum)) return std::nullopt;
  const uint32_t sum = WordSum(font, fontLength);
  return ChecksumAdjustment{field, kFontChecksumMagic - sum};
}

void WriteChecksumAdjustment(std::span<uint8_t> font, const ChecksumAdjustment& adjustment) {
  (void)WriteU32At(font, adjustment.fieldOffset, adjustment.value);
}

bool AdjustFontChecksum(std::span<uint8_t> font, uint32_t fontLength, uint16_t numTables) {
  const auto adjustment = PrepareChecksumAdjustment(font, fontLength, numTables);
  if (!adjustment) return false;
  WriteChecksumAdjustment(font, *adjustment);
  return true;
}

}  // namespace refontis
