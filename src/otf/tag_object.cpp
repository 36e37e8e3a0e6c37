// One directory record of a loaded font and the table it describes.
#include "otf/tag_object.h"

#include <algorithm>

#include "otf/byte_reader.h"
#include "otf/checksum.h"

namespace refontis {

bool CTagObject::AttachRecord(std::span<const uint8_t> fileBytes, size_t recordOffset) {
  BigEndianReader reader(fileBytes, recordOffset);
  std::span<const uint8_t> tagBytes;
  if (!reader.Has(16)) return false;
  record = fileBytes.subspan(recordOffset, 16);
  if (!reader.ReadSpan(4, &tagBytes) || !reader.ReadU32(&checkSum) || !reader.ReadU32(&offset) ||
      !reader.ReadU32(&length)) {
    return false;
  }
  std::copy(tagBytes.begin(), tagBytes.end(), tag.begin());
  std::copy(tagBytes.begin(), tagBytes.end(), tagText);
  tagText[4] = '\0';
  paddedLength = RoundUp4(length);
  if (!RangeInside(offset, length, fileBytes.size())) {
    data = {};
    return false;
  }
  data = fileBytes.subspan(offset);
  return true;
}

}  // namespace refontis
