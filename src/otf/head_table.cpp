// The head table read as fields.
#include "otf/head_table.h"

#include <algorithm>

#include "otf/byte_reader.h"

namespace refontis {
namespace {

bool ReadI16(BigEndianReader& reader, int16_t* out) {
  uint16_t value = 0;
  if (!reader.ReadU16(&value)) return false;
  *out = static_cast<int16_t>(value);
  return true;
}

bool ReadDate(BigEndianReader& reader, std::array<uint8_t, 8>* out) {
  std::span<const uint8_t> bytes;
  if (!reader.ReadSpan(8, &bytes)) return false;
  std::copy(bytes.begin(), bytes.end(), out->begin());
  return true;
}

}  // namespace

bool CTagHeadObject::ReadHead() {
  BigEndianReader reader(data);
  CHeadInfoObject& h = headInfo;
  return reader.ReadU32(&h.version) && reader.ReadU32(&h.fontRevision) &&
         reader.ReadU32(&h.checkSumAdjustment) && reader.ReadU32(&h.magicNumber) &&
         reader.ReadU16(&h.flags) && reader.ReadU16(&h.unitsPerEm) && ReadDate(reader, &h.created) &&
         ReadDate(reader, &h.modified) && ReadI16(reader, &h.xMin) && ReadI16(reader, &h.yMin) &&
         ReadI16(reader, &h.xMax) && ReadI16(reader, &h.yMax) && reader.ReadU16(&h.macStyle) &&
         reader.ReadU16(&h.lowestRecPPEM) && ReadI16(reader, &h.fontDirectionHint) &&
         ReadI16(reader, &h.indexToLocFormat) && ReadI16(reader, &h.glyphDataFormat);
}

}  // namespace refontis
