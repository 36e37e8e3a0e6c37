// One OpenType/CFF font file held in memory for one job: load, look up, identify, rebuild.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "otf/name_table.h"
#include "otf/open_type_header.h"
#include "otf/progress.h"
#include "otf/sort_array.h"
#include "otf/tag_object.h"
#include "platform/platform.h"

namespace refontis {

class CMakeSabunData;

// The 17 table tags a font may carry; any other table makes it unloadable.
bool IsPermittedTable(const char* tagText);

class COpenTypeManager : public COpenTypeObject {
 public:
  explicit COpenTypeManager(platform::Platform& platform);
  ~COpenTypeManager() override;

  // Frees the file, the tables, the patch and the revised image; lengths, names, header fields,
  // the name-ID-13 texts and expectedFileSum keep their values.
  void Release();

  // 0 loaded, 1 not loaded, 6 stopped through the progress callback (steps 10, 20, 30).
  int LoadFont(const std::string& path, UpdateProgressCallback progress, OwnerWindow ownerWindow,
               int fontCount, int fontIndex);

  // The first table whose tag text equals `tagText` exactly, or none.
  CTagObject* FindTable(const char* tagText) const;

  // Readers over one directory record of the loaded file; false at once for another tag.
  bool ReadName13(std::span<const uint8_t> record, Name13Text* macName, Name13Text* winName);
  bool ReadFontName(std::span<const uint8_t> record, std::string* nameText);
  bool ReadFontRevision(std::span<const uint8_t> record, uint32_t* revision);

  // Reads a font file's identification: the fifth name record's text and head's fontRevision.
  bool IdentifyFont(const std::string& path, uint32_t* revision, std::string* nameText);

  // The directory record i of the loaded file (empty when outside it).
  std::span<const uint8_t> DirectoryRecord(size_t i) const;

  // --- Rebuild (defined by the patch engine) ---
  // Codes 0, 1, 6, 7, 8, 9, 11.
  int BuildNewFont(const std::string& oldPath, int resourceId, const std::string& outPath,
                   UpdateProgressCallback progress, OwnerWindow ownerWindow, int total, int index);
  // The same rebuild, with the patch read from a file.
  int BuildNewFontFromFile(const std::string& oldPath, const std::string& patchPath,
                           const std::string& outPath, UpdateProgressCallback progress,
                           OwnerWindow ownerWindow, int total, int index);
  // The same rebuild with a patch already loaded (taken over by the manager), into memory:
  // on 0 the image is kept in newFont.
  int BuildNewFontInMemory(const std::string& oldPath, std::unique_ptr<CMakeSabunData> patch,
                           UpdateProgressCallback progress, OwnerWindow ownerWindow, int total,
                           int index);
  int WriteNameId13Texts(const std::string& oldPath, UpdateProgressCallback progress,
                         OwnerWindow ownerWindow, int total, int index);
  int RecalcCheckSum(const std::string& oldPath, UpdateProgressCallback progress,
                     OwnerWindow ownerWindow, int total, int index);

  // --- The per-font update job (defined by the update subsystem) ---
  // Revises the installed font at `path` in place; a result code of 0, 1, 6-13.
  int UpdateFont(const std::string& path, uint32_t versionKey, UpdateProgressCallback progress,
                 OwnerWindow ownerWindow, int count, int index);

  CMakeSabunData* PatchData() const;
  std::span<const uint8_t> NewFontImage() const {
    return std::span<const uint8_t>(newFont).first(newFont.empty() ? 0 : newFontLength);
  }
  std::span<const uint8_t> FileContent() const {
    return std::span<const uint8_t>(fileBytes).first(fileBytes.empty() ? 0 : size_t(fileLength));
  }
  platform::Platform& GetPlatform() const { return platform_; }

  int32_t fileLength = 0;
  platform::ByteBuffer fileBytes;  // fileLength + 1 bytes
  std::string fileName;            // name and extension, no folder
  COpenTypeHeader header;
  platform::ByteBuffer newFont;  // the revised image being assembled
  uint32_t newFontLength = 0;
  Name13Text macName13 = EmptyName13Text();
  Name13Text winName13 = EmptyName13Text();
  std::vector<std::unique_ptr<CTagObject>> tables;  // directory order
  CSortArray<CTagObject> tablesByOffset;            // the same objects by ascending offset
  std::unique_ptr<COpenTypeObject> patchData;       // a CMakeSabunData
  uint32_t expectedFileSum = 0;

 private:
  enum class RebuildOutput { kFile, kMemory };
  struct PatchSource;
  int Rebuild(const std::string& oldPath, const PatchSource& source, RebuildOutput output,
              const std::string& outPath, UpdateProgressCallback progress,
              OwnerWindow ownerWindow, int total, int index);
  int RebuildImage(const std::string& oldPath, const PatchSource& source, RebuildOutput output,
                   const std::string& outPath, UpdateProgressCallback progress,
                   OwnerWindow ownerWindow, int total, int index);

  platform::Platform& platform_;
};

}  // namespace refontis
