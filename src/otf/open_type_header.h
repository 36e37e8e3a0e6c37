// The offset table at the start of an OpenType file.
#pragma once

#include <cstdint>
#include <span>

#include "otf/open_type_object.h"

namespace refontis {

inline constexpr uint32_t kSfntVersionOtto = 0x4F54544F;  // "OTTO": CFF outlines

class COpenTypeHeader : public COpenTypeObject {
 public:
  // True when the bytes start an OpenType font with CFF outlines and hold its offset table.
  [[nodiscard]] bool ReadOffsetTable(std::span<const uint8_t> fileBytes);

  int32_t flavour = -1;  // 2 once the sfnt version was found to be "OTTO"
  uint32_t sfntVersion = 0;
  uint16_t numTables = 0;
  uint16_t searchRange = 0;
  uint16_t entrySelector = 0;
  uint16_t rangeShift = 0;
};

}  // namespace refontis
