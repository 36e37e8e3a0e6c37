// Where a three-byte value occurs in a range of the new table.
#include "patch/candidate_index.h"

#include <algorithm>

#include "patch/match_length.h"

namespace refontis {

int CandidateIndex::BucketBitsFor(int64_t positions) {
  int bits = 8;
  while (bits < 20 && (int64_t{1} << bits) < positions) ++bits;
  return bits;
}

CandidateIndex::CandidateIndex(std::span<const uint8_t> file, int64_t begin, int64_t end,
                               int bucketBits)
    : file_(file), bits_(bucketBits), bucketStart_((size_t{1} << bucketBits) + 1, 0) {
  const int64_t lastKeyed = static_cast<int64_t>(file.size()) - 3;  // last p with 3 bytes
  begin = std::max<int64_t>(begin, 0);
  end = std::min(end, lastKeyed + 1);
  if (end <= begin) return;
  // Counting sort by bucket; positions stay ascending inside each bucket. The scatter advances
  // each bucket's start to its end, so the starts are shifted back afterwards.
  for (int64_t p = begin; p < end; ++p) ++bucketStart_[Bucket(*ThreeByteKey(file, p)) + 1];
  for (size_t b = 1; b < bucketStart_.size(); ++b) bucketStart_[b] += bucketStart_[b - 1];
  positions_.resize(static_cast<size_t>(end - begin));
  for (int64_t p = begin; p < end; ++p) {
    positions_[bucketStart_[Bucket(*ThreeByteKey(file, p))]++] = static_cast<uint32_t>(p);
  }
  std::copy_backward(bucketStart_.begin(), bucketStart_.end() - 1, bucketStart_.end());
  bucketStart_[0] = 0;
}

int64_t CandidateIndex::Next(uint32_t key, int64_t from, int64_t last) const {
  if (positions_.empty() || from > last) return -1;
  const uint32_t b = Bucket(key);
  const auto first = positions_.begin() + bucketStart_[b];
  const auto stop = positions_.begin() + bucketStart_[b + 1];
  auto it = std::lower_bound(first, stop, static_cast<uint32_t>(std::max<int64_t>(from, 0)));
  for (; it != stop && int64_t{*it} <= last; ++it) {
    const uint8_t* q = file_.data() + *it;
    if (((uint32_t{q[0]} << 16) | (uint32_t{q[1]} << 8) | q[2]) == key) return *it;
  }
  return -1;
}

SlidingCandidateIndex::SlidingCandidateIndex(std::span<const uint8_t> file, int64_t end)
    : file_(file), end_(end) {}

const CandidateIndex& SlidingCandidateIndex::Segment(int64_t k) {
  const auto slot = static_cast<size_t>(k);
  if (segments_.size() <= slot) segments_.resize(slot + 1);
  if (!segments_[slot]) {
    const int64_t begin = k * kSegment;
    segments_[slot] = std::make_unique<CandidateIndex>(
        file_, begin, std::min(end_, begin + kSegment), kSegmentBucketBits);
  }
  return *segments_[slot];
}

int64_t SlidingCandidateIndex::Next(uint32_t key, int64_t from, int64_t last) {
  last = std::min(last, end_ - 1);
  for (int64_t k = std::max<int64_t>(from, 0) / kSegment; k * kSegment <= last; ++k) {
    const int64_t found = Segment(k).Next(key, from, last);
    if (found >= 0) return found;
  }
  return -1;
}

void SlidingCandidateIndex::Forget(int64_t position) {
  const auto wholeBefore = static_cast<size_t>(std::max<int64_t>(position, 0) / kSegment);
  for (; firstKept_ < wholeBefore && firstKept_ < segments_.size(); ++firstKept_) {
    segments_[firstKept_].reset();
  }
}

}  // namespace refontis
