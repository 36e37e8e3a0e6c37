// The offset table at the start of an OpenType file.
#include "otf/open_type_header.h"

#include "otf/byte_reader.h"

namespace refontis {

bool COpenTypeHeader::ReadOffsetTable(std::span<const uint8_t> fileBytes) {
  BigEndianReader reader(fileBytes);
  uint32_t version = 0;
  uint16_t tables = 0, range = 0, selector = 0, shift = 0;
  if (!reader.ReadU32(&version) || version != kSfntVersionOtto) return false;
  if (!reader.ReadU16(&tables) || !reader.ReadU16(&range) || !reader.ReadU16(&selector) ||
      !reader.ReadU16(&shift)) {
    return false;
  }
  flavour = 2;
  sfntVersion = version;
  numTables = tables;
  searchRange = range;
  entrySelector = selector;
  rangeShift = shift;
  return true;
}

}  // namespace refontis
