// Reading patches: the header alone, or the whole patch into records and blocks.
#include "patch/sabun_data.h"

#include <algorithm>
#include <cstring>

#include "otf/byte_reader.h"

namespace refontis {

void CSabunTagObject::SetTag(std::span<const uint8_t> tagBytes) {
  std::copy_n(tagBytes.begin(), 4, tag.begin());
  std::copy_n(tagBytes.begin(), 4, tagText);
  tagText[4] = '\0';
}

bool CSabunTagObject::ReadDifference(std::span<const uint8_t> patch, size_t offset) {
  hasDifference = true;
  BigEndianReader reader(patch, offset);
  int32_t copyCount = 0;
  if (!reader.ReadI32(&copyCount)) return false;
  if (copyCount > 0) {
    if (uint64_t{static_cast<uint32_t>(copyCount)} * 12 > reader.Remaining()) return false;
    copyBlocks.reserve(static_cast<size_t>(copyCount));
    for (int32_t k = 0; k < copyCount; ++k) {
      int32_t oldOffset = 0, blockLength = 0, newOffset = 0;
      if (!reader.ReadI32(&oldOffset) || !reader.ReadI32(&blockLength) ||
          !reader.ReadI32(&newOffset)) {
        return false;
      }
      copyBlocks.push_back(std::make_unique<COldTagObject>(oldOffset, blockLength, newOffset));
    }
  }
  int32_t literalCount = 0;
  if (!reader.ReadI32(&literalCount)) return false;
  if (literalCount > 0) {
    if (uint64_t{static_cast<uint32_t>(literalCount)} * 8 > reader.Remaining()) return false;
    literalBlocks.reserve(static_cast<size_t>(literalCount));
    for (int32_t k = 0; k < literalCount; ++k) {
      int32_t newOffset = 0, blockLength = 0;
      std::span<const uint8_t> bytes;
      if (!reader.ReadI32(&newOffset) || !reader.ReadI32(&blockLength) || blockLength < 0 ||
          !reader.ReadSpan(static_cast<size_t>(blockLength), &bytes)) {
        return false;
      }
      literalBlocks.push_back(std::make_unique<CNewTagObject>(newOffset, bytes));
    }
  }
  return true;
}

uint64_t CSabunTagObject::DifferenceSize() const {
  uint64_t size = 8 + 12 * uint64_t{copyBlocks.size()} + 8 * uint64_t{literalBlocks.size()};
  for (const auto& literal : literalBlocks) size += literal->bytes.size();
  return size;
}

CMakeSabunData::CMakeSabunData(platform::Platform& platform) : platform_(platform) {}

CMakeSabunData::~CMakeSabunData() = default;

bool ReadPatchHeader(std::span<const uint8_t> bytes, PatchFontName* fontName, uint32_t* revision) {
  if (bytes.size() < kPatchHeaderSize) return false;
  if (std::memcmp(bytes.data(), kPatchMagic, 4) != 0) return false;
  std::copy_n(bytes.begin() + 4, kPatchFontNameSize, fontName->begin());
  return ReadU32At(bytes, 36, revision);
}

bool CMakeSabunData::ReadHeaderFromResource(int resourceId, PatchFontName* name,
                                            uint32_t* revision) {
  const auto bytes = platform_.FindResource(kPatchResourceType, resourceId);
  if (!bytes || bytes->empty()) return false;
  return ReadPatchHeader(*bytes, name, revision);
}

bool CMakeSabunData::ReadHeaderFromFile(const std::string& path, PatchFontName* name,
                                        uint32_t* revision) {
  const auto bytes = platform::ReadWholeFile(platform_, path, platform::ShareMode::kShared, 0);
  if (!bytes) return false;
  return ReadPatchHeader(*bytes, name, revision);
}

bool CMakeSabunData::LoadFromResource(int resourceId) {
  const auto bytes = platform_.FindResource(kPatchResourceType, resourceId);
  if (!bytes || bytes->empty()) return false;
  return LoadFromBytes(*bytes);
}

bool CMakeSabunData::LoadFromFile(const std::string& path) {
  auto bytes = platform::ReadWholeFile(platform_, path, platform::ShareMode::kShared, 0);
  if (!bytes) return false;
  return LoadFromBuffer(std::move(*bytes));
}

bool CMakeSabunData::LoadFromBytes(std::span<const uint8_t> bytes) {
  if (bytes.empty()) return false;
  platform::ByteBuffer copy = platform::ZeroedBuffer(bytes.size());
  std::copy(bytes.begin(), bytes.end(), copy.begin());
  return LoadFromBuffer(std::move(copy));
}

bool CMakeSabunData::LoadFromBuffer(platform::ByteBuffer bytes) {
  if (bytes.empty()) return false;
  patchBytes = std::move(bytes);
  patchSize = patchBytes.size();
  const std::span<const uint8_t> patch(patchBytes);

  // The magic is not checked here: the search checked it before any rebuild was started.
  BigEndianReader reader(patch);
  std::span<const uint8_t> field;
  if (!reader.ReadSpan(4, &field)) return false;
  std::copy(field.begin(), field.end(), magic.begin());
  if (!reader.ReadSpan(kPatchFontNameSize, &field)) return false;
  std::copy(field.begin(), field.end(), fontName.begin());
  if (!reader.ReadU32(&fontRevision) || !reader.ReadU32(&newFileSize) ||
      !reader.ReadU8(&tableCount) || !reader.ReadSpan(8, &field)) {
    return false;
  }
  std::copy(field.begin(), field.end(), revisionDate.begin());

  for (size_t i = 0; i < tableCount; ++i) {
    auto record = std::make_unique<CSabunTagObject>();
    CSabunTagObject& r = *record;
    if (!reader.ReadSpan(4, &field) || !reader.ReadU8(&r.directoryIndex) ||
        !reader.ReadU8(&r.physicalOrder) || !reader.ReadU32(&r.differenceOffset) ||
        !reader.ReadU32(&r.length) || !reader.ReadU32(&r.offset)) {
      return false;
    }
    r.SetTag(field);
    records.push_back(std::move(record));
    if (r.differenceOffset >= patchSize) return false;
    if (r.differenceOffset != 0 && !r.ReadDifference(patch, r.differenceOffset)) return false;
  }
  return true;
}

CSabunTagObject* CMakeSabunData::FindRecordByIndex(int directoryIndex) const {
  for (const auto& record : records) {
    if (record->directoryIndex == directoryIndex) return record.get();
  }
  return nullptr;
}

CSabunTagObject* CMakeSabunData::FindRecordByTag(const char* tagText) const {
  for (const auto& record : records) {
    if (std::strcmp(record->tagText, tagText) == 0) return record.get();
  }
  return nullptr;
}

}  // namespace refontis
