// One directory record of a loaded font and the table it describes, old and rebuilt.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "otf/open_type_object.h"
#include "platform/byte_buffer.h"

namespace refontis {

class CSabunTagObject;

class CTagObject : public COpenTypeObject {
 public:
  // Fills the object from the 16-byte record at `recordOffset` of the file. False, leaving the
  // object unusable, when the record or its table does not lie inside the file.
  [[nodiscard]] bool AttachRecord(std::span<const uint8_t> fileBytes, size_t recordOffset);

  // Turns the old table into the revised one by a patch's table record (see the patch engine).
  // False when the record would read or write outside a buffer.
  [[nodiscard]] bool ApplySabun(const CSabunTagObject& sabun);

  // The revised table's bytes that count in its checksum.
  std::span<const uint8_t> NewTableBytes() const {
    return std::span<const uint8_t>(newData).first(newData.empty() ? 0 : newData.size() - 1);
  }

  std::array<uint8_t, 4> tag{};
  uint32_t checkSum = 0;
  uint32_t offset = 0;
  uint32_t length = 0;
  char tagText[5] = {};
  uint32_t paddedLength = 0;
  std::span<const uint8_t> record;  // the directory record inside the file
  std::span<const uint8_t> data;    // from the table's first byte to the end of the file
  int32_t directoryIndex = 0;
  int32_t offsetIndex = 0;

  platform::ByteBuffer newData;  // paddedLength + 1 bytes once rebuilt
  std::array<uint8_t, 4> newTag{};
  uint32_t newCheckSum = 0;
  uint32_t newOffset = 0;
  uint32_t newLength = 0;
};

}  // namespace refontis
