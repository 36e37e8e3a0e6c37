// Why a file is not a loadable font.
#include "font_diagnosis.h"

#include <cstring>

#include "cli_support.h"
#include "otf/byte_reader.h"
#include "otf/open_type_header.h"
#include "otf/open_type_manager.h"

namespace refontis::tools {

std::string DiagnoseUnloadableFont(platform::Platform& platform, const std::string& path) {
  auto file = platform.OpenForRead(path, platform::ShareMode::kShared);
  if (!file) return "cannot open " + path;
  const auto bytes = platform::ReadWholeFile(platform, path, platform::ShareMode::kShared, 0);
  if (!bytes) return path + " is empty or cannot be read";
  const std::span<const uint8_t> font(*bytes);
  uint32_t version = 0;
  if (!ReadU32At(font, 0, &version) || version != kSfntVersionOtto) {
    return path + " is not an OpenType/CFF font (sfnt version is not OTTO)";
  }
  COpenTypeHeader header;
  if (!header.ReadOffsetTable(font)) return path + " is too short for its offset table";
  // A cut directory is the root fault: the tables its first records name are then cut off too.
  if (!RangeInside(12, 16 * uint64_t{header.numTables}, font.size())) {
    return path + " is too short for its table directory";
  }
  for (size_t i = 0; i < header.numTables; ++i) {
    const uint64_t at = 12 + 16 * uint64_t{i};
    char tag[5] = {};
    std::memcpy(tag, font.data() + at, 4);
    if (!IsPermittedTable(tag)) {
      return path + ": table '" + TagText(font.subspan(at, 4)) + "' is not permitted";
    }
    uint32_t offset = 0, length = 0;
    if (!ReadU32At(font, at + 8, &offset) || !ReadU32At(font, at + 12, &length) ||
        !RangeInside(offset, length, font.size())) {
      return path + ": table '" + TagText(font.subspan(at, 4)) + "' lies outside the file";
    }
  }
  return path + " cannot be loaded";
}

}  // namespace refontis::tools
