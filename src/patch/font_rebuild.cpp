// Assembling the revised font image from a loaded old font and a patch, and writing it.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>
#include <set>
#include <string>

#include "otf/format_text.h"
#include "otf/byte_reader.h"
#include "otf/checksum.h"
#include "otf/open_type_manager.h"
#include "otf/path_parts.h"
#include "patch/result_codes.h"
#include "patch/sabun_data.h"

namespace refontis {
namespace {

constexpr int kOk = kUpdateOk;
constexpr int kTableMismatch = kUpdateFontUnusable;
constexpr int kStopped = kUpdateStopped;
constexpr int kPatchUnreadable = kUpdatePatchUnreadable;
constexpr int kNoName = kUpdateNoName;
constexpr int kNoHead = kUpdateNoHead;
constexpr int kCannotCreate = kUpdateCannotCreateTemp;

// The progress lines and percentages of one rebuild.
class RebuildReporter {
 public:
  RebuildReporter(const std::string& oldPath, platform::PathStyle style,
                  UpdateProgressCallback progress, OwnerWindow owner, int total, int index)
      : line1_(FormatText("%sの改訂をしています。", oldPath)),
        stem_(SplitPath(oldPath, style).stem),
        progress_(progress),
        owner_(owner),
        total_(total),
        index_(index) {}

  // True when the user asked to stop.
  bool Report(int step, const char* pattern) const {
    const int overall =
        step == 90 ? OverallPercentFloat(index_, total_, step) : OverallPercent(index_, total_, step);
    const std::string line2 = FormatText(pattern, stem_);
    return ReportProgress(progress_, owner_, overall, step, line1_.c_str(), line2.c_str());
  }

 private:
  std::string line1_;
  std::string stem_;
  UpdateProgressCallback progress_;
  OwnerWindow owner_;
  int total_;
  int index_;
};

// Checks what the patch promises against the old font before anything is assembled: one record
// per directory index, distinct tags, each matched to an old table, and every table inside an
// image that holds the directory.
int CheckPatchAgainstFont(const CMakeSabunData& patch, const COpenTypeManager& font) {
  const size_t n = patch.tableCount;
  if (n != font.header.numTables || n != font.tables.size() || patch.records.size() != n) {
    return kTableMismatch;
  }
  const uint64_t imageSize = patch.newFileSize;
  if (imageSize > uint64_t(std::numeric_limits<int32_t>::max()) || imageSize < 12 + 16 * n) {
    return kTableMismatch;
  }
  std::set<std::string> tags;
  for (size_t i = 0; i < n; ++i) {
    const CSabunTagObject* record = patch.FindRecordByIndex(static_cast<int>(i));
    if (record == nullptr || !tags.insert(record->tagText).second) return kTableMismatch;
    const CTagObject* table = font.FindTable(record->tagText);
    if (table == nullptr) return kTableMismatch;
    const uint64_t placed = record->hasDifference ? record->length : table->length;
    if (record->length > imageSize || !RangeInside(record->offset, placed, imageSize)) {
      return kTableMismatch;
    }
  }
  return kOk;
}

}  // namespace

struct COpenTypeManager::PatchSource {
  enum class Kind { kResource, kFile, kLoaded } kind;
  int resourceId = 0;
  std::string path;
  mutable std::unique_ptr<CMakeSabunData> loaded;
};

CMakeSabunData* COpenTypeManager::PatchData() const {
  return static_cast<CMakeSabunData*>(patchData.get());
}

int COpenTypeManager::BuildNewFont(const std::string& oldPath, int resourceId,
                                   const std::string& outPath, UpdateProgressCallback progress,
                                   OwnerWindow ownerWindow, int total, int index) {
  PatchSource source{PatchSource::Kind::kResource, resourceId, {}, nullptr};
  return Rebuild(oldPath, source, RebuildOutput::kFile, outPath, progress, ownerWindow, total,
                 index);
}

int COpenTypeManager::BuildNewFontFromFile(const std::string& oldPath, const std::string& patchPath,
                                           const std::string& outPath,
                                           UpdateProgressCallback progress,
                                           OwnerWindow ownerWindow, int total, int index) {
  PatchSource source{PatchSource::Kind::kFile, 0, patchPath, nullptr};
  return Rebuild(oldPath, source, RebuildOutput::kFile, outPath, progress, ownerWindow, total,
                 index);
}

int COpenTypeManager::BuildNewFontInMemory(const std::string& oldPath,
                                           std::unique_ptr<CMakeSabunData> patch,
                                           UpdateProgressCallback progress,
                                           OwnerWindow ownerWindow, int total, int index) {
  PatchSource source{PatchSource::Kind::kLoaded, 0, {}, std::move(patch)};
  return Rebuild(oldPath, source, RebuildOutput::kMemory, {}, progress, ownerWindow, total, index);
}

int COpenTypeManager::Rebuild(const std::string& oldPath, const PatchSource& source,
                              RebuildOutput output, const std::string& outPath,
                              UpdateProgressCallback progress, OwnerWindow ownerWindow, int total,
                              int index) {
  try {
    return RebuildImage(oldPath, source, output, outPath, progress, ownerWindow, total, index);
  } catch (const std::bad_alloc&) {
    // A patch that asks for more memory than the machine has cannot be applied here.
    newFont = platform::ByteBuffer();
    for (auto& table : tables) table->newData = platform::ByteBuffer();
    return kTableMismatch;
  }
}

int COpenTypeManager::RebuildImage(const std::string& oldPath, const PatchSource& source,
                                   RebuildOutput output, const std::string& outPath,
                                   UpdateProgressCallback progress, OwnerWindow ownerWindow,
                                   int total, int index) {
  const RebuildReporter reporter(oldPath, platform_.GetPathStyle(), progress, ownerWindow, total,
                                 index);
  if (reporter.Report(40, "%sのファイルをオープンしています。")) return kStopped;

  bool loaded = false;
  switch (source.kind) {
    case PatchSource::Kind::kResource:
      patchData = std::make_unique<CMakeSabunData>(platform_);
      loaded = PatchData()->LoadFromResource(source.resourceId);
      break;
    case PatchSource::Kind::kFile:
      patchData = std::make_unique<CMakeSabunData>(platform_);
      loaded = PatchData()->LoadFromFile(source.path);
      break;
    case PatchSource::Kind::kLoaded:
      loaded = source.loaded != nullptr;
      patchData = std::move(source.loaded);
      break;
  }
  if (!loaded) return kPatchUnreadable;

  if (reporter.Report(55, "%sのファイルを読み込んでいます。")) return kStopped;

  const CMakeSabunData& patch = *PatchData();
  if (const int code = CheckPatchAgainstFont(patch, *this); code != kOk) return code;

  // Sized with room for the padded reads of a last table that ends unaligned.
  newFontLength = patch.newFileSize;
  newFont = platform::ZeroedBuffer(size_t{RoundUp4(newFontLength)} + 1);
  const std::span<uint8_t> image(newFont);
  (void)WriteU32At(image, 0, header.sfntVersion);
  (void)WriteU16At(image, 4, header.numTables);
  (void)WriteU16At(image, 6, header.searchRange);
  (void)WriteU16At(image, 8, header.entrySelector);
  (void)WriteU16At(image, 10, header.rangeShift);

  const size_t n = patch.tableCount;
  for (size_t i = 0; i < n; ++i) {
    const CSabunTagObject* record = patch.FindRecordByIndex(static_cast<int>(i));
    CTagObject* table = FindTable(record->tagText);
    if (!table->ApplySabun(*record)) return kTableMismatch;
  }

  for (size_t j = 0; j < n; ++j) {
    const CTagObject& table = *tables[j];
    if (!RangeInside(table.newOffset, table.newLength, newFontLength)) return kTableMismatch;
    const size_t entry = 12 + 16 * static_cast<size_t>(table.directoryIndex);
    std::copy(table.newTag.begin(), table.newTag.end(), image.begin() + entry);
    (void)WriteU32At(image, entry + 4, table.newCheckSum);
    (void)WriteU32At(image, entry + 8, table.newOffset);
    (void)WriteU32At(image, entry + 12, table.newLength);
    std::copy_n(table.newData.begin(), table.newLength, image.begin() + table.newOffset);
  }

  if (const int code = WriteNameId13Texts(oldPath, progress, ownerWindow, total, index);
      code != kOk) {
    return code;
  }
  if (const int code = RecalcCheckSum(oldPath, progress, ownerWindow, total, index); code != kOk) {
    return code;
  }

  int result = kOk;
  if (reporter.Report(90, "%sのファイルを作成しています。")) result = kStopped;

  const std::span<const uint8_t> written(newFont.data(), newFontLength);
  if (output == RebuildOutput::kFile) {
    if (!platform::WriteWholeFile(platform_, outPath, written,
                                  platform::CreateMode::kCreateAlways)) {
      return kCannotCreate;
    }
  }
  expectedFileSum += WordSum(written, newFontLength / 4 * 4);
  if (output == RebuildOutput::kFile) newFont = platform::ByteBuffer();
  return result;
}

int COpenTypeManager::WriteNameId13Texts(const std::string& oldPath,
                                         UpdateProgressCallback progress, OwnerWindow ownerWindow,
                                         int total, int index) {
  const std::span<uint8_t> image(newFont.data(), std::min<size_t>(newFont.size(), newFontLength));
  const auto entry = FindDirectoryRecord(image, header.numTables, "name");
  if (!entry) return kNoName;
  uint32_t tableOffset = 0, tableLength = 0;
  uint16_t format = 0, count = 0, stringOffset = 0;
  if (!ReadU32At(image, *entry + 8, &tableOffset) || !ReadU32At(image, *entry + 12, &tableLength) ||
      !ReadU16At(image, size_t{tableOffset}, &format) ||
      !ReadU16At(image, size_t{tableOffset} + 2, &count) ||
      !ReadU16At(image, size_t{tableOffset} + 4, &stringOffset)) {
    return kTableMismatch;
  }

  const RebuildReporter reporter(oldPath, platform_.GetPathStyle(), progress, ownerWindow, total,
                                 index);
  if (reporter.Report(65, "%sのファイルにライセンス情報を書き込んでいます。")) return kStopped;

  for (size_t r = 0; r < count; ++r) {
    const size_t at = size_t{tableOffset} + 6 + 12 * r;
    uint16_t platformID = 0, nameID = 0, length = 0, offset = 0;
    if (!ReadU16At(image, at, &platformID) || !ReadU16At(image, at + 6, &nameID) ||
        !ReadU16At(image, at + 8, &length) || !ReadU16At(image, at + 10, &offset)) {
      return kTableMismatch;
    }
    if (nameID != 13) continue;
    const uint64_t start = uint64_t{tableOffset} + stringOffset + offset;
    if (!RangeInside(start, length, image.size())) return kTableMismatch;
    // The string keeps the length the patch gave it; a shorter saved text ends in zeros.
    const Name13Text& text = platformID == 1 ? macName13 : winName13;
    auto dst = image.begin() + static_cast<std::ptrdiff_t>(start);
    std::fill_n(dst, length, 0);
    std::copy_n(text.begin(), std::min<size_t>(length, text.size()), dst);
  }

  const auto tableBytes = std::span<const uint8_t>(image).subspan(
      std::min<size_t>(tableOffset, image.size()));
  (void)WriteU32At(image, *entry + 4, TableChecksum(tableBytes, tableLength));
  return kOk;
}

int COpenTypeManager::RecalcCheckSum(const std::string& oldPath, UpdateProgressCallback progress,
                                     OwnerWindow ownerWindow, int total, int index) {
  const std::span<uint8_t> image(newFont);
  const bool hasHead = FindDirectoryRecord(image.first(std::min<size_t>(image.size(),
                                                                        newFontLength)),
                                           header.numTables, "head")
                           .has_value();
  std::optional<ChecksumAdjustment> adjustment;
  if (hasHead) {
    adjustment = PrepareChecksumAdjustment(image, newFontLength, header.numTables);
    if (!adjustment) return kTableMismatch;  // a head table too short or outside the image
  }

  const RebuildReporter reporter(oldPath, platform_.GetPathStyle(), progress, ownerWindow, total,
                                 index);
  if (reporter.Report(75, "%sのファイルにチェックサムを再計算しています。")) return kStopped;
  if (!hasHead) return kNoHead;
  WriteChecksumAdjustment(image, *adjustment);
  return kOk;
}

}  // namespace refontis
