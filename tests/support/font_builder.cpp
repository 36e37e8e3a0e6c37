// Composes small OpenType files for tests. Written independently of the product's code.
#include "support/font_builder.h"

#include <stdexcept>

namespace refontis::test {

uint32_t ReadU32(const Bytes& b, size_t o) {
  return (uint32_t{b.at(o)} << 24) | (uint32_t{b.at(o + 1)} << 16) | (uint32_t{b.at(o + 2)} << 8) |
         b.at(o + 3);
}
uint16_t ReadU16(const Bytes& b, size_t o) {
  return static_cast<uint16_t>((b.at(o) << 8) | b.at(o + 1));
}
void PutU32(Bytes& b, size_t o, uint32_t v) {
  for (int k = 0; k < 4; ++k) b.at(o + k) = static_cast<uint8_t>(v >> (24 - 8 * k));
}
void PutU16(Bytes& b, size_t o, uint16_t v) {
  b.at(o) = static_cast<uint8_t>(v >> 8);
  b.at(o + 1) = static_cast<uint8_t>(v);
}

static void AppendU16(Bytes& b, uint16_t v) {
  b.push_back(static_cast<uint8_t>(v >> 8));
  b.push_back(static_cast<uint8_t>(v));
}
static void AppendU32(Bytes& b, uint32_t v) {
  AppendU16(b, static_cast<uint16_t>(v >> 16));
  AppendU16(b, static_cast<uint16_t>(v));
}

uint32_t SumWords(const Bytes& bytes) {
  uint32_t sum = 0;
  for (size_t k = 0; k < bytes.size(); k += 4) {
    uint32_t word = 0;
    for (size_t j = 0; j < 4; ++j) word = (word << 8) | (k + j < bytes.size() ? bytes[k + j] : 0);
    sum += word;
  }
  return sum;
}

Bytes BuildFont(const std::vector<TableSpec>& tables, const FontOptions& options) {
  Bytes font;
  const auto n = static_cast<uint16_t>(tables.size());
  AppendU32(font, options.sfntVersion);
  AppendU16(font, n);
  uint16_t power = 1, log2 = 0;
  while (power * 2 <= n) {
    power *= 2;
    ++log2;
  }
  AppendU16(font, static_cast<uint16_t>(n == 0 ? 0 : power * 16));
  AppendU16(font, n == 0 ? 0 : log2);
  AppendU16(font, static_cast<uint16_t>(n * 16 - (n == 0 ? 0 : power * 16)));
  const size_t directory = font.size();
  font.resize(directory + 16 * tables.size(), 0);
  size_t headOffset = 0;
  bool haveHead = false;
  for (size_t i = 0; i < tables.size(); ++i) {
    const TableSpec& t = tables[i];
    if (t.tag.size() != 4) throw std::invalid_argument("tag must have 4 characters");
    const size_t offset = font.size();
    font.insert(font.end(), t.bytes.begin(), t.bytes.end());
    const bool last = i + 1 == tables.size();
    if (!last || options.padLastTable) {
      while (font.size() % 4 != 0) font.push_back(0);
    }
    Bytes padded(t.bytes);
    while (padded.size() % 4 != 0) padded.push_back(0);
    if (t.tag == "head" && padded.size() >= 12) {
      PutU32(padded, 8, 0);
      PutU32(font, offset + 8, 0);
      headOffset = offset;
      haveHead = true;
    }
    const size_t r = directory + 16 * i;
    for (int k = 0; k < 4; ++k) font[r + k] = static_cast<uint8_t>(t.tag[k]);
    PutU32(font, r + 4, SumWords(padded));
    PutU32(font, r + 8, static_cast<uint32_t>(offset));
    PutU32(font, r + 12, static_cast<uint32_t>(t.bytes.size()));
  }
  if (haveHead && options.adjustChecksum) {
    PutU32(font, headOffset + 8, 0xB1B0AFBAu - SumWords(font));
  }
  return font;
}

Bytes BuildNameTable(const std::vector<NameRecordSpec>& records) {
  Bytes table, strings;
  AppendU16(table, 0);
  AppendU16(table, static_cast<uint16_t>(records.size()));
  AppendU16(table, static_cast<uint16_t>(6 + 12 * records.size()));
  for (const auto& r : records) {
    AppendU16(table, r.platformID);
    AppendU16(table, r.encodingID);
    AppendU16(table, r.languageID);
    AppendU16(table, r.nameID);
    AppendU16(table, static_cast<uint16_t>(r.text.size()));
    AppendU16(table, static_cast<uint16_t>(strings.size()));
    strings.insert(strings.end(), r.text.begin(), r.text.end());
  }
  table.insert(table.end(), strings.begin(), strings.end());
  return table;
}

Bytes BuildHeadTable(uint32_t fontRevision, uint32_t checkSumAdjustment) {
  Bytes head;
  AppendU32(head, 0x00010000);
  AppendU32(head, fontRevision);
  AppendU32(head, checkSumAdjustment);
  AppendU32(head, 0x5F0F3CF5);
  AppendU16(head, 0x0003);  // flags
  AppendU16(head, 1000);    // unitsPerEm
  for (int k = 0; k < 8; ++k) head.push_back(static_cast<uint8_t>(0x10 + k));  // created
  for (int k = 0; k < 8; ++k) head.push_back(static_cast<uint8_t>(0x20 + k));  // modified
  AppendU16(head, static_cast<uint16_t>(-100));
  AppendU16(head, static_cast<uint16_t>(-200));
  AppendU16(head, 900);
  AppendU16(head, 800);
  AppendU16(head, 0);  // macStyle
  AppendU16(head, 3);  // lowestRecPPEM
  AppendU16(head, 2);  // fontDirectionHint
  AppendU16(head, 0);
  AppendU16(head, 0);
  return head;
}

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes Utf16be(const std::string& ascii) {
  Bytes out;
  for (const char c : ascii) {
    out.push_back(0);
    out.push_back(static_cast<uint8_t>(c));
  }
  return out;
}

std::vector<NameRecordSpec> TypicalNameRecords(const std::string& fullName,
                                               const std::string& macLicence,
                                               const std::string& winLicence) {
  return {
      {1, 0, 0, 0, Text("Copyright fixture")},
      {1, 0, 0, 1, Text("Fixture")},
      {1, 0, 0, 2, Text("Regular")},
      {1, 0, 0, 3, Text("Fixture-Regular-1")},
      {1, 0, 0, 4, Text(fullName)},
      {1, 0, 0, 13, Text(macLicence)},
      {3, 1, 0x409, 1, Utf16be("Fixture")},
      {3, 1, 0x409, 4, Utf16be(fullName)},
      {3, 1, 0x409, 13, Utf16be(winLicence)},
      {3, 1, 0x409, 14, Utf16be("https://example.invalid/licence")},
  };
}

Bytes TypicalFont(const std::string& fullName, uint32_t fontRevision, const std::string& licence) {
  Bytes cff;
  for (int k = 0; k < 301; ++k) cff.push_back(static_cast<uint8_t>((k * 7 + 3) & 0xFF));
  Bytes cmap(22, 0);
  cmap[1] = 0;
  return BuildFont({
      {"CFF ", cff},
      {"cmap", cmap},
      {"head", BuildHeadTable(fontRevision)},
      {"name", BuildNameTable(TypicalNameRecords(fullName, licence, licence))},
  });
}

}  // namespace refontis::test
