// Where a three-byte value occurs in a range of the new table: lets the analyses jump straight
// to the next position that passes the three-byte test instead of testing every position.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace refontis {

class CandidateIndex {
 public:
  // Indexes the positions p in [begin, end) whose three bytes lie inside `file`.
  CandidateIndex(std::span<const uint8_t> file, int64_t begin, int64_t end, int bucketBits);

  // The first position p with from <= p <= last whose three bytes equal `key`, or -1.
  int64_t Next(uint32_t key, int64_t from, int64_t last) const;

  // Bucket bits that keep buckets short for a range of this many positions.
  static int BucketBitsFor(int64_t positions);

 private:
  uint32_t Bucket(uint32_t key) const { return (key * 0x9E3779B1u) >> (32 - bits_); }

  std::span<const uint8_t> file_;
  int bits_;
  std::vector<uint32_t> bucketStart_;  // bucket b holds positions_[start[b], start[b + 1])
  std::vector<uint32_t> positions_;    // ascending within each bucket
};

// The same over [0, end), built in segments as a forward-moving window reaches them and
// dropped once the window has passed them, so memory stays small on a large table.
class SlidingCandidateIndex {
 public:
  SlidingCandidateIndex(std::span<const uint8_t> file, int64_t end);
  int64_t Next(uint32_t key, int64_t from, int64_t last);
  // No query will start before `position` again.
  void Forget(int64_t position);

 private:
  // A bucket per four positions: far cheaper to build than one per position, and still short.
  static constexpr int64_t kSegment = int64_t{1} << 15;
  static constexpr int kSegmentBucketBits = 14;
  const CandidateIndex& Segment(int64_t k);

  std::span<const uint8_t> file_;
  int64_t end_;
  std::vector<std::unique_ptr<CandidateIndex>> segments_;
  size_t firstKept_ = 0;
};

}  // namespace refontis
