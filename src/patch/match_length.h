// The byte comparisons of the difference analysis, over views that end where the file ends.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>

namespace refontis {

enum class MatchLimit { kSmaller, kLarger };

// The bytes from `position` to the end of the file, or nothing when it lies past the end.
inline std::span<const uint8_t> Tail(std::span<const uint8_t> file, int64_t position) {
  if (position < 0 || static_cast<uint64_t>(position) >= file.size()) return {};
  return file.subspan(static_cast<size_t>(position));
}

// The three bytes at `position` as one number, or nothing when they run past the end of the file.
inline std::optional<uint32_t> ThreeByteKey(std::span<const uint8_t> file, int64_t position) {
  if (position < 0 || static_cast<uint64_t>(position) + 3 > file.size()) return std::nullopt;
  const uint8_t* p = file.data() + position;
  return (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
}

// Equal leading bytes of a and b, counted up to the smaller or the larger of the two remaining
// lengths (signed: a limit of zero or less gives 0); the end of either view ends the count.
inline int64_t MatchLength(std::span<const uint8_t> a, int64_t lengthA, std::span<const uint8_t> b,
                           int64_t lengthB, MatchLimit choice) {
  int64_t limit = choice == MatchLimit::kSmaller ? (lengthA < lengthB ? lengthA : lengthB)
                                                 : (lengthA > lengthB ? lengthA : lengthB);
  if (limit <= 0) return 0;
  const uint64_t available = a.size() < b.size() ? a.size() : b.size();
  const size_t n = static_cast<uint64_t>(limit) < available ? static_cast<size_t>(limit)
                                                            : static_cast<size_t>(available);
  size_t k = 0;
  while (k + 8 <= n) {
    uint64_t x = 0, y = 0;
    std::memcpy(&x, a.data() + k, 8);
    std::memcpy(&y, b.data() + k, 8);
    if (x != y) {
      // Little-endian loads: the first differing byte is the lowest set byte of x ^ y.
      if constexpr (std::endian::native == std::endian::little) {
        return static_cast<int64_t>(k + static_cast<size_t>(__builtin_ctzll(x ^ y) / 8));
      }
      break;
    }
    k += 8;
  }
  while (k < n && a[k] == b[k]) ++k;
  return static_cast<int64_t>(k);
}

}  // namespace refontis
