// Loading a font file into tables, and the readers over its records.
#include "otf/format_text.h"
#include "otf/open_type_manager.h"

#include <cstdio>
#include <cstring>
#include <optional>

#include "otf/byte_reader.h"
#include "otf/head_table.h"
#include "otf/path_parts.h"

namespace refontis {

namespace {

constexpr const char* kPermittedTables[] = {"BASE", "CFF ", "GPOS", "GSUB", "OS/2", "VORG",
                                            "cmap", "head", "hhea", "hmtx", "maxp", "name",
                                            "post", "vhea", "vmtx", "EBDT", "EBLC"};

bool RecordHasTag(std::span<const uint8_t> record, const char* tagText) {
  return record.size() >= 16 && std::memcmp(record.data(), tagText, 4) == 0;
}

// Where a record view lies in the file; nothing when it is not a view into the file's bytes.
std::optional<size_t> OffsetInFile(std::span<const uint8_t> file, std::span<const uint8_t> record) {
  const auto begin = reinterpret_cast<uintptr_t>(file.data());
  const auto at = reinterpret_cast<uintptr_t>(record.data());
  if (at < begin || at - begin > file.size() || record.size() > file.size() - (at - begin)) {
    return std::nullopt;
  }
  return static_cast<size_t>(at - begin);
}

// True when the directory and every table it lists lie inside the file: the same bounds LoadFont
// holds a font to, so that a file the search identifies is one the update can load.
bool DirectoryInsideFile(std::span<const uint8_t> file, uint16_t numTables) {
  for (size_t i = 0; i < numTables; ++i) {
    const uint64_t at = 12 + 16 * uint64_t{i};
    uint32_t offset = 0, length = 0;
    if (!RangeInside(at, 16, file.size()) || !ReadU32At(file, at + 8, &offset) ||
        !ReadU32At(file, at + 12, &length) || !RangeInside(offset, length, file.size())) {
      return false;
    }
  }
  return true;
}

}  // namespace

bool IsPermittedTable(const char* tagText) {
  for (const char* permitted : kPermittedTables) {
    if (std::memcmp(permitted, tagText, 5) == 0) return true;
  }
  return false;
}

COpenTypeManager::COpenTypeManager(platform::Platform& platform) : platform_(platform) {}

COpenTypeManager::~COpenTypeManager() { Release(); }

void COpenTypeManager::Release() {
  tablesByOffset.RemoveAll();
  tables.clear();
  patchData.reset();
  newFont = platform::ByteBuffer();
  fileBytes = platform::ByteBuffer();
}

std::span<const uint8_t> COpenTypeManager::DirectoryRecord(size_t i) const {
  const auto file = FileContent();
  const uint64_t at = 12 + 16 * uint64_t{i};
  if (!RangeInside(at, 16, file.size())) return {};
  return file.subspan(static_cast<size_t>(at), 16);
}

int COpenTypeManager::LoadFont(const std::string& path, UpdateProgressCallback progress,
                               OwnerWindow ownerWindow, int fontCount, int fontIndex) {
  Release();
  const PathParts parts = SplitPath(path, platform_.GetPathStyle());
  fileName = parts.stem + parts.extension;

  auto bytes = platform::ReadWholeFile(platform_, path, platform::ShareMode::kExclusive, 1);
  if (!bytes) return 1;
  fileBytes = std::move(*bytes);
  fileLength = static_cast<int32_t>(fileBytes.size() - 1);

  const std::string line1 = FormatText("%sの改訂をしています。", path);
  auto report = [&](int step, const std::string& line2) {
    return ReportProgress(progress, ownerWindow, OverallPercent(fontIndex, fontCount, step), step,
                          line1.c_str(), line2.c_str());
  };

  if (report(10, FormatText("%sのファイルをオープンしています。", parts.stem))) return 6;

  const auto file = FileContent();
  const bool isCff = header.ReadOffsetTable(file);
  if (isCff) {
    if (report(20, FormatText("%sのファイルを読み込んでいます。", parts.stem))) return 6;
    for (size_t i = 0; i < header.numTables; ++i) {
      const auto record = DirectoryRecord(i);
      if (record.empty()) return 1;  // the directory runs past the end of the file
      char tagText[5] = {};
      std::memcpy(tagText, record.data(), 4);
      if (!IsPermittedTable(tagText)) return 1;
      auto table = std::make_unique<CTagObject>();
      CTagObject& added = *table;
      tables.push_back(std::move(table));
      if (!added.AttachRecord(file, 12 + 16 * i)) return 1;  // table outside the file
    }
  }

  if (report(30, "タグデータを読み込みました。")) return 6;

  for (size_t i = 0; i < tables.size(); ++i) {
    tables[i]->directoryIndex = static_cast<int32_t>(i);
    tablesByOffset.Add(tables[i].get());
  }
  tablesByOffset.Sort([](const CTagObject* a, const CTagObject* b) { return a->offset < b->offset; });
  for (size_t i = 0; i < tablesByOffset.GetSize(); ++i) {
    tablesByOffset[i]->offsetIndex = static_cast<int32_t>(i);
  }
  return isCff ? 0 : 1;
}

CTagObject* COpenTypeManager::FindTable(const char* tagText) const {
  for (const auto& table : tables) {
    if (std::strcmp(table->tagText, tagText) == 0) return table.get();
  }
  return nullptr;
}

bool COpenTypeManager::ReadName13(std::span<const uint8_t> record, Name13Text* macName,
                                  Name13Text* winName) {
  if (!RecordHasTag(record, "name")) return false;
  CTagNameObject name;
  const auto at = OffsetInFile(FileContent(), record);
  if (!at || !name.AttachRecord(FileContent(), *at) || !name.ReadNameTable()) return false;
  return name.FindName13(macName, winName);
}

bool COpenTypeManager::ReadFontName(std::span<const uint8_t> record, std::string* nameText) {
  if (!RecordHasTag(record, "name")) return false;
  CTagNameObject name;
  const auto at = OffsetInFile(FileContent(), record);
  if (!at || !name.AttachRecord(FileContent(), *at) || !name.ReadNameTable()) return false;
  std::string text;
  if (!name.ReadFifthNameText(&text)) return false;
  *nameText = text;
  return true;
}

bool COpenTypeManager::ReadFontRevision(std::span<const uint8_t> record, uint32_t* revision) {
  if (!RecordHasTag(record, "head")) return false;
  CTagHeadObject head;
  const auto at = OffsetInFile(FileContent(), record);
  if (!at || !head.AttachRecord(FileContent(), *at) || !head.ReadHead()) return false;
  *revision = head.headInfo.fontRevision;
  return true;
}

bool COpenTypeManager::IdentifyFont(const std::string& path, uint32_t* revision,
                                    std::string* nameText) {
  Release();
  auto bytes = platform::ReadWholeFile(platform_, path, platform::ShareMode::kExclusive, 1);
  if (!bytes) return false;
  fileBytes = std::move(*bytes);
  fileLength = static_cast<int32_t>(fileBytes.size() - 1);

  bool result = false;
  if (header.ReadOffsetTable(FileContent()) &&
      DirectoryInsideFile(FileContent(), header.numTables)) {
    bool haveName = false, haveRevision = false;
    for (size_t i = 0; i < header.numTables && !haveName; ++i) {
      const auto record = DirectoryRecord(i);
      if (record.empty()) break;
      haveName = ReadFontName(record, nameText);
    }
    for (size_t i = 0; i < header.numTables && !haveRevision; ++i) {
      const auto record = DirectoryRecord(i);
      if (record.empty()) break;
      haveRevision = ReadFontRevision(record, revision);
    }
    result = haveName && haveRevision;
  }
  fileBytes = platform::ByteBuffer();
  return result;
}

}  // namespace refontis
