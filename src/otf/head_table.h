// The head table read as fields, for the font's revision.
#pragma once

#include <array>
#include <cstdint>

#include "otf/tag_object.h"

namespace refontis {

class CHeadInfoObject : public COpenTypeObject {
 public:
  uint32_t version = 0;
  uint32_t fontRevision = 0;  // 16.16 fixed point
  uint32_t checkSumAdjustment = 0;
  uint32_t magicNumber = 0;
  uint16_t flags = 0;
  uint16_t unitsPerEm = 0;
  std::array<uint8_t, 8> created{};  // as stored
  std::array<uint8_t, 8> modified{};
  int16_t xMin = 0, yMin = 0, xMax = 0, yMax = 0;
  uint16_t macStyle = 0;
  uint16_t lowestRecPPEM = 0;
  int16_t fontDirectionHint = 0;
  int16_t indexToLocFormat = 0;
  int16_t glyphDataFormat = 0;
};

inline constexpr size_t kHeadTableSize = 54;

class CTagHeadObject : public CTagObject {
 public:
  // Fills headInfo from the 54 bytes at the table's start; false when the file ends before them.
  [[nodiscard]] bool ReadHead();

  CHeadInfoObject headInfo;
};

}  // namespace refontis
