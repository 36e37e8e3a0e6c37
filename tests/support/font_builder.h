// Composes small OpenType files for tests: tables from tag -> bytes, name and head tables.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace refontis::test {

using Bytes = std::vector<uint8_t>;

struct TableSpec {
  std::string tag;  // four characters
  Bytes bytes;
};

struct FontOptions {
  uint32_t sfntVersion = 0x4F54544F;  // "OTTO"
  bool adjustChecksum = true;         // set head's checkSumAdjustment
  bool padLastTable = true;           // false: the file ends right after the last table
};

// Directory in the order given, tables laid out in the same order right after it, each padded
// with zeros to a multiple of 4; record checksums computed (head with checkSumAdjustment 0).
Bytes BuildFont(const std::vector<TableSpec>& tables, const FontOptions& options = {});

struct NameRecordSpec {
  uint16_t platformID;
  uint16_t encodingID;
  uint16_t languageID;
  uint16_t nameID;
  Bytes text;
};

// A format-0 name table with the records in the order given.
Bytes BuildNameTable(const std::vector<NameRecordSpec>& records);

// A 54-byte head table.
Bytes BuildHeadTable(uint32_t fontRevision, uint32_t checkSumAdjustment = 0);

Bytes Text(const std::string& s);
Bytes Utf16be(const std::string& ascii);

// Macintosh names 0..4 (record 4 = the full name `fullName`), Windows names 1 and 4, and
// both name-ID-13 records, in that order: the shape of the fonts the updater serves.
std::vector<NameRecordSpec> TypicalNameRecords(const std::string& fullName,
                                               const std::string& macLicence,
                                               const std::string& winLicence);

// head + name (+ a small CFF table and cmap) with the typical names.
Bytes TypicalFont(const std::string& fullName, uint32_t fontRevision,
                  const std::string& licence = "Licence text");

uint32_t ReadU32(const Bytes& bytes, size_t offset);
uint16_t ReadU16(const Bytes& bytes, size_t offset);
void PutU32(Bytes& bytes, size_t offset, uint32_t value);
void PutU16(Bytes& bytes, size_t offset, uint16_t value);

// Sum of the big-endian words of `bytes`, a partial last word padded with zeros.
uint32_t SumWords(const Bytes& bytes);

}  // namespace refontis::test
