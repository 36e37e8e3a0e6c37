// Fixed-position big-endian field access.
#include "otf/byte_reader.h"

namespace refontis {
namespace {

template <typename T>
bool WriteAt(std::span<uint8_t> bytes, size_t offset, T value) {
  constexpr size_t n = sizeof(T);
  if (!RangeInside(offset, n, bytes.size())) return false;
  for (size_t k = 0; k < n; ++k) bytes[offset + k] = static_cast<uint8_t>(value >> (8 * (n - 1 - k)));
  return true;
}

}  // namespace

bool ReadU16At(std::span<const uint8_t> bytes, size_t offset, uint16_t* out) {
  BigEndianReader reader(bytes, 0);
  return reader.Seek(offset) && reader.ReadU16(out);
}

bool ReadU32At(std::span<const uint8_t> bytes, size_t offset, uint32_t* out) {
  BigEndianReader reader(bytes, 0);
  return reader.Seek(offset) && reader.ReadU32(out);
}

bool WriteU16At(std::span<uint8_t> bytes, size_t offset, uint16_t value) {
  return WriteAt(bytes, offset, value);
}
bool WriteU32At(std::span<uint8_t> bytes, size_t offset, uint32_t value) {
  return WriteAt(bytes, offset, value);
}
bool WriteU64At(std::span<uint8_t> bytes, size_t offset, uint64_t value) {
  return WriteAt(bytes, offset, value);
}

}  // namespace refontis
