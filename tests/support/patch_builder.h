// Composes patch files for tests, hostile values included. Written independently of the product.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "support/font_builder.h"

namespace refontis::test {

// Copy block fields as raw 32-bit words, so negative or huge values can be written.
struct CopySpec {
  uint32_t oldOffset;
  uint32_t length;
  uint32_t newOffset;
};

struct LiteralSpec {
  uint32_t newOffset;
  Bytes bytes;
  std::optional<uint32_t> declaredLength = std::nullopt;  // written instead of bytes.size()
};

struct DifferenceSpec {
  std::vector<CopySpec> copies = {};
  std::vector<LiteralSpec> literals = {};
  std::optional<uint32_t> copyCount = std::nullopt;     // written instead of copies.size()
  std::optional<uint32_t> literalCount = std::nullopt;  // written instead of literals.size()
};

struct RecordSpec {
  std::string tag;  // four characters
  uint8_t directoryIndex = 0;
  uint8_t physicalOrder = 0;
  uint32_t length = 0;
  uint32_t offset = 0;
  std::optional<DifferenceSpec> difference = std::nullopt;  // none: difference offset 0
  std::optional<uint32_t> differenceOffset =
      std::nullopt;  // written instead of the area's real offset
};

struct PatchSpec {
  std::string magic = "QLTP";
  Bytes fontName = {};  // at most 32 bytes, zero-padded
  uint32_t fontRevision = 0x00010000;
  uint32_t newFileSize = 0;
  std::optional<uint8_t> tableCount = std::nullopt;  // written instead of records.size()
  uint64_t revisionDate = 0;
  std::vector<RecordSpec> records = {};
  Bytes trailing = {};  // appended after the last difference area
};

// Header, records, then the difference areas back to back in record order.
Bytes BuildPatch(const PatchSpec& plan);

// Where the difference area of record i starts in BuildPatch's output (0 when it has none).
uint32_t DifferenceOffsetOf(const PatchSpec& plan, size_t i);

// One directory entry of a font, read by the test side.
struct DirectoryEntry {
  std::string tag;
  uint32_t checkSum;
  uint32_t offset;
  uint32_t length;
};
std::vector<DirectoryEntry> ReadDirectory(const Bytes& font);

// A patch that turns any font with the same tags into `newFont`: one record per table of
// `newFont` in directory order, each table a single whole-table literal.
PatchSpec WholeLiteralPatch(const Bytes& newFont);

// The same records without difference areas: the old tables, placed where `newFont` has its
// tables (their lengths must be the old ones).
PatchSpec CarryOverPatch(const Bytes& newFont);

}  // namespace refontis::test
