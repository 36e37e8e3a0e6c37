// Building a patch file from an old font and its revised version.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "otf/format_text.h"
#include "otf/byte_reader.h"
#include "patch/sabun_data.h"
#include "patch/update_info_ctrl.h"

namespace refontis {
namespace {

constexpr size_t kFifthRecord = 6 + 4 * 12;  // offset of name record index 4

struct FifthName {
  bool enoughRecords = true;  // false: fewer than 10 name records
  uint16_t length = 0;
  std::vector<uint8_t> bytes;  // the string's bytes that lie inside the file
};

// The fifth name record's string of the font's first name table; no name table gives an empty
// string with enoughRecords set.
FifthName ReadFifthName(const COpenTypeManager& font) {
  FifthName name;
  const CTagObject* table = font.FindTable("name");
  if (table == nullptr) return name;
  uint16_t count = 0, stringOffset = 0, offset = 0;
  if (!ReadU16At(table->data, 2, &count) || !ReadU16At(table->data, 4, &stringOffset) ||
      count < 10 || !ReadU16At(table->data, kFifthRecord + 8, &name.length) ||
      !ReadU16At(table->data, kFifthRecord + 10, &offset)) {
    name.enoughRecords = false;
    return name;
  }
  const size_t start = size_t{stringOffset} + offset;
  if (start < table->data.size()) {
    const size_t n = std::min<size_t>(name.length, table->data.size() - start);
    name.bytes.assign(table->data.begin() + static_cast<std::ptrdiff_t>(start),
                      table->data.begin() + static_cast<std::ptrdiff_t>(start + n));
  }
  return name;
}

// The name as a text of at most 259 characters, as a zero-filled 260-byte buffer holds it.
std::string AsText(const FifthName& name) {
  std::string text(name.bytes.begin(), name.bytes.end());
  text = text.substr(0, std::min<size_t>(text.find('\0'), 259));
  return text;
}

bool TablesEqual(const CTagObject& a, const CTagObject& b) {
  return a.checkSum == b.checkSum && a.length == b.length &&
         std::equal(a.data.begin(), a.data.begin() + a.length, b.data.begin());
}

}  // namespace

bool CMakeSabunData::LoadFonts(const std::string& oldPath, const std::string& newPath,
                               UpdateProgressCallback progress, OwnerWindow ownerWindow) {
  oldFont = std::make_unique<COpenTypeManager>(platform_);
  newFont = std::make_unique<COpenTypeManager>(platform_);
  if (oldFont->LoadFont(oldPath, progress, ownerWindow, 1, 0) != 0) {
    platform_.ShowMessage(FormatText("旧フォントを読み込めません（%s）", oldPath));
    return false;
  }
  if (newFont->LoadFont(newPath, progress, ownerWindow, 1, 0) != 0) {
    platform_.ShowMessage(FormatText("新フォントを読み込めません（%s）", newPath));
    return false;
  }
  const FifthName oldName = ReadFifthName(*oldFont);
  if (!oldName.enoughRecords) {
    platform_.ShowMessage("旧フォントのフォント名取得に失敗しました");
    return false;
  }
  const FifthName newName = ReadFifthName(*newFont);
  if (!newName.enoughRecords) {
    platform_.ShowMessage("新フォントのフォント名取得に失敗しました");
    return false;
  }
  if (AsText(oldName) != AsText(newName)) {
    platform_.ShowMessage("旧フォントと新フォントの名前が一致しません");
    return false;
  }
  return true;
}

bool CMakeSabunData::MakeSabun(const std::string& outPath, BuilderProgressCallback progress,
                               OwnerWindow ownerWindow, int total, int index) {
  if (!oldFont || !newFont) return false;
  const CUpdateInfoCtrl& settings = CUpdateInfoCtrl::Instance();
  const size_t n = oldFont->tables.size();
  const std::string& fontNameText = oldFont->fileName;
  for (size_t t = 0; t < n; ++t) {
    const CTagObject& oldTable = *oldFont->tables[t];
    const CTagObject* newTable = newFont->FindTable(oldTable.tagText);
    if (newTable == nullptr) {
      platform_.ShowMessage("新しいタグデータと一致しません");
      return false;
    }
    const CUpdateInfoCtrl::Entry* entry = settings.Find(newTable->tagText);
    if (entry == nullptr) return false;

    auto record = std::make_unique<CSabunTagObject>();
    const bool unchanged = TablesEqual(oldTable, *newTable);
    if (unchanged || entry->flag == 0) {
      // An unchanged table is placed as the new font has it; a changed one kept by flag 0
      // takes the old table's length and offset.
      const CTagObject& placed = unchanged ? *newTable : oldTable;
      record->SetFromNewTable(*newTable);
      record->hasDifference = false;
      record->length = placed.length;
      record->offset = placed.offset;
    } else {
      AnalysisProgress context{fontNameText, progress, ownerWindow, total, index,
                               static_cast<int>(n), static_cast<int>(t)};
      if (std::strcmp(newTable->tagText, "CFF ") == 0) {
        record->AnalyseByWindowScan(oldTable, *newTable, context);
      } else {
        record->AnalyseByLongestMatch(oldTable, *newTable, context);
      }
    }
    records.push_back(std::move(record));

    if (ownerWindow != nullptr && progress != nullptr) {
      const int current = static_cast<int>((t + 1) * 100 / n);
      progress(index * 100 / total + current / total, current,
               FormatText("%sのフォントの%sのタグを解析中です", fontNameText, newTable->tagText).c_str(),
               ownerWindow);
    }
  }
  if (!WritePatchFile(outPath)) {
    platform_.ShowMessage(FormatText("差分データ作成に失敗（%s）", outPath));
    return false;
  }
  if (ownerWindow != nullptr && progress != nullptr) {
    const int overall = static_cast<int>(index * 100.0 / total + 100.0 / total);
    progress(overall, 100, FormatText("%sのフォントのパッチファイルを作成しました。", fontNameText).c_str(),
             ownerWindow);
  }
  return true;
}

bool CMakeSabunData::WritePatchFile(const std::string& path) {
  if (!oldFont || !newFont) return false;
  const CTagObject* head = oldFont->FindTable("head");
  uint32_t revision = 0;
  if (head == nullptr || !ReadU32At(head->data, 4, &revision)) {
    platform_.ShowMessage("バージョン情報取得に失敗");
    return false;
  }
  PatchFontName name{};
  if (oldFont->FindTable("name") != nullptr) {
    const FifthName fifth = ReadFifthName(*oldFont);
    if (!fifth.enoughRecords || fifth.length > kPatchFontNameSize) {
      platform_.ShowMessage("フォント名取得に失敗");
      return false;
    }
    std::copy(fifth.bytes.begin(), fifth.bytes.end(), name.begin());
  }
  const size_t k = newFont->tables.size();
  if (k > 255) return false;

  // Sized from the areas this loop really writes: a tag repeated in the new font writes its
  // area once per table.
  uint64_t size = kPatchHeaderSize + kPatchRecordSize * k;
  for (size_t i = 0; i < k; ++i) {
    const CSabunTagObject* record = FindRecordByTag(newFont->tables[i]->tagText);
    if (record != nullptr && !record->encodedDifference.empty()) {
      size += record->encodedDifference.size();
    }
  }
  if (size > uint64_t{0xFFFFFFFF}) return false;

  std::vector<uint8_t> bytes(static_cast<size_t>(size), 0);
  const std::span<uint8_t> out(bytes);
  std::copy_n(kPatchMagic, 4, bytes.begin());
  std::copy(name.begin(), name.end(), bytes.begin() + 4);
  const uint64_t date = CUpdateInfoCtrl::Instance().revisionDate;
  const auto newSize = static_cast<uint32_t>(newFont->fileLength);
  (void)WriteU32At(out, 36, revision);
  (void)WriteU32At(out, 40, newSize);
  bytes[44] = static_cast<uint8_t>(k);
  (void)WriteU64At(out, 45, date);
  std::copy_n(kPatchMagic, 4, magic.begin());
  fontName = name;
  fontRevision = revision;
  newFileSize = newSize;
  tableCount = static_cast<uint8_t>(k);
  std::copy_n(bytes.begin() + 45, 8, revisionDate.begin());

  size_t r = kPatchHeaderSize + kPatchRecordSize * k;
  for (size_t i = 0; i < k; ++i) {
    const CTagObject& table = *newFont->tables[i];
    const size_t at = kPatchHeaderSize + kPatchRecordSize * i;
    std::copy(table.tag.begin(), table.tag.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
    bytes[at + 4] = static_cast<uint8_t>(i);
    bytes[at + 5] = static_cast<uint8_t>(table.offsetIndex);
    uint32_t differenceOffset = 0;
    CSabunTagObject* record = FindRecordByTag(table.tagText);
    if (record != nullptr && !record->encodedDifference.empty()) {
      std::copy(record->encodedDifference.begin(), record->encodedDifference.end(),
                bytes.begin() + static_cast<std::ptrdiff_t>(r));
      differenceOffset = static_cast<uint32_t>(r);
      record->differenceOffset = differenceOffset;
      r += record->encodedDifference.size();
    }
    (void)WriteU32At(out, at + 6, differenceOffset);
    (void)WriteU32At(out, at + 10, table.length);
    (void)WriteU32At(out, at + 14, table.offset);
  }
  patchSize = bytes.size();
  return platform::WriteWholeFile(platform_, path, bytes, platform::CreateMode::kCreateAlways);
}

}  // namespace refontis
