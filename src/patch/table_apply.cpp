// Turning one old table into its revised table by the copy and literal blocks of a record.
#include <algorithm>

#include "otf/byte_reader.h"
#include "otf/checksum.h"
#include "otf/tag_object.h"
#include "patch/sabun_data.h"

namespace refontis {
namespace {

// Every block must read inside the old file and end inside the revised table's buffer
// (paddedLength + 1: patches contain a one-byte overrun past the table).
bool BlocksFit(const CSabunTagObject& sabun, std::span<const uint8_t> oldData,
               uint64_t bufferSize) {
  for (const auto& block : sabun.copyBlocks) {
    if (block->oldOffset < 0 || block->length < 0 || block->newOffset < 0) return false;
    if (!RangeInside(uint64_t(block->oldOffset), uint64_t(block->length), oldData.size())) {
      return false;
    }
    if (!RangeInside(uint64_t(block->newOffset), uint64_t(block->length), bufferSize)) {
      return false;
    }
  }
  for (const auto& block : sabun.literalBlocks) {
    if (block->newOffset < 0) return false;
    if (!RangeInside(uint64_t(block->newOffset), block->bytes.size(), bufferSize)) return false;
  }
  return true;
}

}  // namespace

bool CTagObject::ApplySabun(const CSabunTagObject& sabun) {
  newData = platform::ByteBuffer();
  newTag = {};
  newCheckSum = 0;
  newOffset = 0;
  newLength = 0;

  directoryIndex = sabun.directoryIndex;
  offsetIndex = sabun.physicalOrder;

  const uint64_t recordPadded = RoundUp4(uint64_t{sabun.length});
  const uint64_t bufferSize = recordPadded + 1;
  uint64_t checkedLength = recordPadded;
  if (!sabun.hasDifference) {
    // The old table, with the old file's padding, goes into a buffer sized from the record.
    checkedLength = RoundUp4(uint64_t{length});
    if (checkedLength > bufferSize) return false;
  } else if (!BlocksFit(sabun, data, bufferSize)) {
    return false;
  }

  newData = platform::ZeroedBuffer(static_cast<size_t>(bufferSize));
  paddedLength = static_cast<uint32_t>(checkedLength);
  if (!sabun.hasDifference) {
    // Padding bytes past the end of the file read as zero.
    const size_t available = std::min<size_t>(paddedLength, data.size());
    std::copy_n(data.begin(), available, newData.begin());
    newLength = length;
  } else {
    for (const auto& block : sabun.copyBlocks) {
      std::copy_n(data.begin() + block->oldOffset, block->length,
                  newData.begin() + block->newOffset);
    }
    // Literals come last: where one overlaps a copy, the literal's bytes stay.
    for (const auto& block : sabun.literalBlocks) {
      std::copy(block->bytes.begin(), block->bytes.end(), newData.begin() + block->newOffset);
    }
    newLength = sabun.length;
  }
  newTag = tag;
  newOffset = sabun.offset;
  newCheckSum = TableChecksum(newData, paddedLength);
  return true;
}

}  // namespace refontis
