// Comparing a rebuilt font with the new font table by table.
#include "table_compare.h"

#include <algorithm>
#include <cstring>

#include "otf/byte_reader.h"
#include "patch/update_info_ctrl.h"

namespace refontis::tools {
namespace {

// The bytes of the table with this tag in a font image, or nothing.
std::optional<std::span<const uint8_t>> TableBytes(std::span<const uint8_t> font, const char* tag) {
  uint16_t numTables = 0;
  if (!ReadU16At(font, 4, &numTables)) return std::nullopt;
  for (size_t i = 0; i < numTables; ++i) {
    const size_t at = 12 + 16 * i;
    uint32_t offset = 0, length = 0;
    if (!ReadU32At(font, at + 8, &offset) || !ReadU32At(font, at + 12, &length)) break;
    if (std::memcmp(font.data() + at, tag, 4) != 0) continue;
    if (!RangeInside(offset, length, font.size())) return std::nullopt;
    return font.subspan(offset, length);
  }
  return std::nullopt;
}

// Zeroes what a rebuild replaces on purpose: the name-ID-13 strings and checkSumAdjustment.
void MaskCarriedOver(const char* tag, std::vector<uint8_t>& table) {
  const std::span<uint8_t> t(table);
  if (std::strcmp(tag, "head") == 0) {
    (void)WriteU32At(t, 8, 0);
    return;
  }
  if (std::strcmp(tag, "name") != 0) return;
  uint16_t count = 0, stringOffset = 0;
  if (!ReadU16At(t, 2, &count) || !ReadU16At(t, 4, &stringOffset)) return;
  for (size_t r = 0; r < count; ++r) {
    uint16_t nameID = 0, length = 0, offset = 0;
    const size_t at = 6 + 12 * r;
    if (!ReadU16At(t, at + 6, &nameID) || !ReadU16At(t, at + 8, &length) ||
        !ReadU16At(t, at + 10, &offset)) {
      return;
    }
    if (nameID != 13) continue;
    const size_t start = size_t{stringOffset} + offset;
    if (!RangeInside(start, length, t.size())) continue;
    std::fill_n(table.begin() + static_cast<std::ptrdiff_t>(start), length, 0);
  }
}

}  // namespace

std::vector<TableVerdict> CompareWithNewFont(std::span<const uint8_t> image,
                                             const COpenTypeManager& newFont) {
  std::vector<TableVerdict> verdicts;
  const CUpdateInfoCtrl& settings = CUpdateInfoCtrl::Instance();
  for (const auto& table : newFont.tables) {
    TableVerdict v{table->tagText, false, false, false};
    const auto* entry = settings.Find(table->tagText);
    v.selected = entry != nullptr && entry->flag != 0;
    auto rebuilt = TableBytes(image, table->tagText);
    v.present = rebuilt.has_value();
    if (rebuilt) {
      const auto wanted = table->data.first(table->length);
      if (std::strcmp(table->tagText, "head") == 0 || std::strcmp(table->tagText, "name") == 0) {
        // Small tables: compared as masked copies.
        std::vector<uint8_t> a(wanted.begin(), wanted.end()), b(rebuilt->begin(), rebuilt->end());
        MaskCarriedOver(table->tagText, a);
        MaskCarriedOver(table->tagText, b);
        v.equal = a == b;
      } else {
        v.equal = std::equal(wanted.begin(), wanted.end(), rebuilt->begin(), rebuilt->end());
      }
    }
    verdicts.push_back(v);
  }
  return verdicts;
}

std::string LoadOldFontForRebuild(COpenTypeManager& font, const std::string& path) {
  if (font.LoadFont(path, nullptr, nullptr, 1, 0) != 0) return "the old font cannot be loaded";
  return ReadName13ForRebuild(font);
}

std::string ReadName13ForRebuild(COpenTypeManager& font) {
  font.macName13 = EmptyName13Text();
  font.winName13 = EmptyName13Text();
  for (size_t i = 0; i < font.header.numTables; ++i) {
    if (font.ReadName13(font.DirectoryRecord(i), &font.macName13, &font.winName13)) return {};
  }
  return "the old font lacks the Macintosh or the Windows name-ID-13 record";
}

}  // namespace refontis::tools
