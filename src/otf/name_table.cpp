// The name table read as records.
#include "otf/name_table.h"

#include <algorithm>
#include <cstring>

#include "otf/byte_reader.h"

namespace refontis {

Name13Text EmptyName13Text() { return Name13Text(kName13BufferSize, 0); }

bool CTagNameObject::ReadNameTable() {
  // A private zero-padded copy of the table, so every record and string read stays inside it.
  std::vector<uint8_t> tableCopy(size_t{paddedLength} + 1, 0);
  const size_t available = std::min<size_t>(paddedLength, data.size());
  std::copy_n(data.begin(), available, tableCopy.begin());
  const std::span<const uint8_t> table(tableCopy.data(), paddedLength);

  BigEndianReader reader(table);
  if (!reader.ReadU16(&nameTable.format) || !reader.ReadU16(&nameTable.count) ||
      !reader.ReadU16(&nameTable.stringOffset)) {
    return false;
  }
  nameTable.records.clear();
  for (uint16_t i = 0; i < nameTable.count; ++i) {
    auto rec = std::make_unique<CNameRecordObject>();
    if (!reader.ReadU16(&rec->platformID) || !reader.ReadU16(&rec->encodingID) ||
        !reader.ReadU16(&rec->languageID) || !reader.ReadU16(&rec->nameID) ||
        !reader.ReadU16(&rec->length) || !reader.ReadU16(&rec->offset)) {
      return false;
    }
    rec->rawText.assign(std::max<size_t>(kRawTextSize, size_t{rec->length} + 1), 0);
    // Only the part of the string that lies inside the table is taken; the rest stays zero.
    const size_t start = size_t{nameTable.stringOffset} + rec->offset;
    if (start < table.size()) {
      const size_t n = std::min<size_t>(rec->length, table.size() - start);
      std::copy_n(table.begin() + static_cast<std::ptrdiff_t>(start), n, rec->rawText.begin());
    }
    nameTable.records.push_back(std::move(rec));
  }
  return true;
}

bool CTagNameObject::ReadFifthNameText(std::string* text) const {
  if (nameTable.records.size() < 5) return false;
  const std::vector<uint8_t>& raw = nameTable.records[4]->rawText;
  const auto* chars = reinterpret_cast<const char*>(raw.data());
  const size_t n = strnlen(chars, std::min(raw.size(), kFifthNameTextMax));
  if (n == 0) return false;
  text->assign(chars, n);
  return true;
}

namespace {

void CopyName13(const CNameRecordObject& rec, Name13Text* out) {
  const size_t n = rec.length;
  if (out->size() < n + 1) out->resize(std::max(n + 1, kName13BufferSize), 0);
  std::copy_n(rec.rawText.begin(), n, out->begin());
}

}  // namespace

bool CTagNameObject::FindName13(Name13Text* macName13, Name13Text* winName13) const {
  bool mac = false, win = false;
  for (const auto& rec : nameTable.records) {
    if (rec->nameID != 13) continue;
    if (!mac && rec->platformID == 1 && rec->encodingID == 0 && rec->languageID == 0) {
      CopyName13(*rec, macName13);
      mac = true;
    } else if (!win && rec->platformID == 3 && rec->encodingID == 1 && rec->languageID == 0x409) {
      CopyName13(*rec, winName13);
      win = true;
    }
  }
  return mac && win;
}

}  // namespace refontis
