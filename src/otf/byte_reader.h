// Bounds-checked big-endian reading and writing over byte spans: every file parser uses these.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace refontis {

// Reads big-endian fields in sequence; every read fails (and reads nothing) when the bytes run
// out, so a parse is a chain of reads with one refusal.
class BigEndianReader {
 public:
  explicit BigEndianReader(std::span<const uint8_t> bytes, size_t offset = 0)
      : bytes_(bytes), offset_(offset) {}

  [[nodiscard]] bool ReadU8(uint8_t* out) { return ReadUnsigned(1, out); }
  [[nodiscard]] bool ReadU16(uint16_t* out) { return ReadUnsigned(2, out); }
  [[nodiscard]] bool ReadU32(uint32_t* out) { return ReadUnsigned(4, out); }
  [[nodiscard]] bool ReadU64(uint64_t* out) { return ReadUnsigned(8, out); }
  [[nodiscard]] bool ReadI32(int32_t* out) {
    uint32_t value = 0;
    if (!ReadU32(&value)) return false;
    *out = static_cast<int32_t>(value);
    return true;
  }
  // A view of the next n bytes, without copying.
  [[nodiscard]] bool ReadSpan(size_t n, std::span<const uint8_t>* out) {
    if (!Has(n)) return false;
    *out = bytes_.subspan(offset_, n);
    offset_ += n;
    return true;
  }
  [[nodiscard]] bool Skip(size_t n) {
    if (!Has(n)) return false;
    offset_ += n;
    return true;
  }
  [[nodiscard]] bool Seek(size_t offset) {
    if (offset > bytes_.size()) return false;
    offset_ = offset;
    return true;
  }
  size_t Offset() const { return offset_; }
  size_t Remaining() const { return offset_ <= bytes_.size() ? bytes_.size() - offset_ : 0; }
  bool Has(size_t n) const { return offset_ <= bytes_.size() && n <= bytes_.size() - offset_; }

 private:
  template <typename T>
  bool ReadUnsigned(size_t n, T* out) {
    if (!Has(n)) return false;
    T value = 0;
    for (size_t k = 0; k < n; ++k) value = static_cast<T>((value << 8) | bytes_[offset_ + k]);
    offset_ += n;
    *out = value;
    return true;
  }

  std::span<const uint8_t> bytes_;
  size_t offset_;
};

// True when [offset, offset + length) lies inside a buffer of `size` bytes; overflow-safe.
constexpr bool RangeInside(uint64_t offset, uint64_t length, uint64_t size) {
  return offset <= size && length <= size - offset;
}

// Fixed-position reads and writes; false, touching nothing, when the field is outside the span.
[[nodiscard]] bool ReadU16At(std::span<const uint8_t> bytes, size_t offset, uint16_t* out);
[[nodiscard]] bool ReadU32At(std::span<const uint8_t> bytes, size_t offset, uint32_t* out);
[[nodiscard]] bool WriteU16At(std::span<uint8_t> bytes, size_t offset, uint16_t value);
[[nodiscard]] bool WriteU32At(std::span<uint8_t> bytes, size_t offset, uint32_t value);
[[nodiscard]] bool WriteU64At(std::span<uint8_t> bytes, size_t offset, uint64_t value);

}  // namespace refontis
