// A patch in memory: header, table records, and each record's copy and literal blocks.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "otf/open_type_manager.h"
#include "otf/open_type_object.h"
#include "platform/platform.h"

namespace refontis {

inline constexpr char kPatchMagic[4] = {'Q', 'L', 'T', 'P'};
inline constexpr char kPatchResourceType[] = "FONT_PA";
inline constexpr size_t kPatchHeaderSize = 53;
inline constexpr size_t kPatchRecordSize = 18;
inline constexpr size_t kPatchFontNameSize = 32;

using PatchFontName = std::array<uint8_t, kPatchFontNameSize>;

// Copy block: old table bytes [oldOffset, oldOffset + length) go to [newOffset, ...) of the new.
class COldTagObject : public COpenTypeObject {
 public:
  COldTagObject(int32_t oldOffset_, int32_t length_, int32_t newOffset_)
      : oldOffset(oldOffset_), length(length_), newOffset(newOffset_) {}
  int32_t oldOffset;
  int32_t length;
  int32_t newOffset;
};

// Literal block: bytes carried in the patch. The bytes are a view into data that the owning
// CMakeSabunData keeps (its patch bytes, or the new font it was built from).
class CNewTagObject : public COpenTypeObject {
 public:
  CNewTagObject(int32_t newOffset_, std::span<const uint8_t> bytes_)
      : newOffset(newOffset_), length(static_cast<int32_t>(bytes_.size())), bytes(bytes_) {}
  int32_t newOffset;
  int32_t length;
  std::span<const uint8_t> bytes;
};

// Reports of the analyses: (overall, current, message, owner); the result is ignored.
using BuilderProgressCallback = int (*)(int overall, int current, const char* message,
                                        OwnerWindow owner);

// Where an analysis stands within a build, for its progress reports.
struct AnalysisProgress {
  std::string fontName;
  BuilderProgressCallback callback = nullptr;
  OwnerWindow owner = nullptr;
  int total = 1;
  int index = 0;
  int tableCount = 1;
  int tablePosition = 0;
};

class CSabunTagObject : public COpenTypeObject {
 public:
  // Decodes the difference area at `offset` of the patch; false when any part of it runs past
  // the end of the patch.
  [[nodiscard]] bool ReadDifference(std::span<const uint8_t> patch, size_t offset);

  // Size in bytes of the encoded difference area for the current blocks.
  uint64_t DifferenceSize() const;

  // --- Analysis (builder) ---
  bool AnalyseByLongestMatch(const CTagObject& oldTable, const CTagObject& newTable,
                             const AnalysisProgress& progress);
  bool AnalyseByWindowScan(const CTagObject& oldTable, const CTagObject& newTable,
                           const AnalysisProgress& progress);
  void MakeLiteralBlocks(const CTagObject& newTable);
  void EncodeDifference();
  // Takes tag, directory index, physical order, length and offset from the new table and
  // starts an empty difference.
  void SetFromNewTable(const CTagObject& newTable);
  void AddCopyBlock(int64_t oldOffset, int64_t length, int64_t newOffset);
  // With the copy blocks in ascending new offset: cuts each at the table's length and where it
  // starts inside the previous block, dropping blocks left empty, so the literals fill real gaps.
  void TrimCopyBlocks();

  void SetTag(std::span<const uint8_t> tagBytes);

  char tagText[5] = {};
  std::array<uint8_t, 4> tag{};
  uint8_t directoryIndex = 0;
  uint8_t physicalOrder = 0;
  uint32_t differenceOffset = 0;
  uint32_t length = 0;
  uint32_t offset = 0;
  bool hasDifference = false;
  std::vector<std::unique_ptr<COldTagObject>> copyBlocks;
  std::vector<std::unique_ptr<CNewTagObject>> literalBlocks;
  std::vector<uint8_t> encodedDifference;  // builder only
};

class CMakeSabunData : public COpenTypeObject {
 public:
  explicit CMakeSabunData(platform::Platform& platform);
  ~CMakeSabunData() override;

  // The header alone, with the magic checked; nothing is kept in the object.
  bool ReadHeaderFromResource(int resourceId, PatchFontName* fontName, uint32_t* revision);
  bool ReadHeaderFromFile(const std::string& path, PatchFontName* fontName, uint32_t* revision);
  // The whole patch, once, on a fresh object.
  bool LoadFromResource(int resourceId);
  bool LoadFromFile(const std::string& path);
  bool LoadFromBytes(std::span<const uint8_t> bytes);
  // The same, taking the bytes over.
  bool LoadFromBuffer(platform::ByteBuffer bytes);

  CSabunTagObject* FindRecordByIndex(int directoryIndex) const;
  CSabunTagObject* FindRecordByTag(const char* tagText) const;

  // --- Builder ---
  // Loads both fonts and checks that they carry the same name (the fifth name record).
  bool LoadFonts(const std::string& oldPath, const std::string& newPath,
                 UpdateProgressCallback progress, OwnerWindow ownerWindow);
  // One record per table of the old font, by the update settings; then the patch file.
  bool MakeSabun(const std::string& outPath, BuilderProgressCallback progress,
                 OwnerWindow ownerWindow, int total, int index);
  bool WritePatchFile(const std::string& path);

  std::array<uint8_t, 4> magic{};
  PatchFontName fontName{};
  uint32_t fontRevision = 0;
  uint32_t newFileSize = 0;
  uint8_t tableCount = 0;
  std::array<uint8_t, 8> revisionDate{};
  size_t patchSize = 0;
  platform::ByteBuffer patchBytes;
  std::vector<std::unique_ptr<CSabunTagObject>> records;

  std::unique_ptr<COpenTypeManager> oldFont;  // builder only
  std::unique_ptr<COpenTypeManager> newFont;

 private:
  platform::Platform& platform_;
};

// The header of a patch held in `bytes`: false when it is shorter than the header or its magic
// is not "QLTP".
bool ReadPatchHeader(std::span<const uint8_t> bytes, PatchFontName* fontName, uint32_t* revision);

}  // namespace refontis
