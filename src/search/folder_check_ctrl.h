// The font search: walks the fixed drives for installed fonts that a patch applies to, and
// lists the download-folder files named by a product code. One instance for the program run.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "config/patch_entry.h"
#include "otf/progress.h"
#include "platform/platform.h"

namespace refontis {

// (one message line, owner window); non-zero means stop.
using FolderSearchCallback = int (*)(const char* message, OwnerWindow owner);

struct FoundFontRecord {
  std::string path;         // folder (ending in a separator) and file name
  uint32_t versionKey = 0;  // the version of the patch entry the file matched
};

// The 22 product codes whose files in the download folders are deleted after a revision.
const std::vector<std::string>& ProductCodes();

class CFolderCheckCtrl {
 public:
  // The single instance, created (and the patch list built) on first use.
  static CFolderCheckCtrl& Instance(platform::Platform& platform);
  static void DeleteInstance();
  static bool HasInstance();

  virtual ~CFolderCheckCtrl() = default;

  // True when every fixed drive was searched; false when stopped or without a drive list.
  bool SearchFonts(FolderSearchCallback callback, OwnerWindow window);
  bool CollectFixedDrives(FolderSearchCallback callback, OwnerWindow window);
  bool SearchFolder(const std::string& folder, FolderSearchCallback callback, OwnerWindow window,
                    int depth);
  // The patch entry whose stem fits the file name and whose font the file holds, or none.
  const PatchEntry* MatchPatchEntry(const std::string& fullPath, const std::string& fileName);
  // The entry for a found font by its name and version alone, without opening the file.
  const PatchEntry* FindPatchEntry(const std::string& path, uint32_t versionKey) const;
  void BuildPatchList();

  size_t FoundCount() const { return found_.size(); }
  const FoundFontRecord& Found(size_t i) const { return *found_[i]; }
  size_t DownloadCount() const { return downloads_.size(); }
  const std::string& Download(size_t i) const { return downloads_[i]; }
  size_t PatchCount() const { return patches_.size(); }
  const PatchEntry& Patch(size_t i) const { return *patches_[i]; }
  const std::vector<std::pair<std::string, int>>& DriveSet() const { return drives_; }
  uint32_t DirectoryCounter() const { return directoryCounter_; }

 private:
  explicit CFolderCheckCtrl(platform::Platform& platform);
  // Entries whose stem fits the file name (extension ".otf", stem + 0, 2 or 3 bytes).
  std::vector<const PatchEntry*> Candidates(const std::string& fileName) const;
  void CheckDownloadFile(const std::string& fullPath, const std::string& name);

  platform::Platform& platform_;
  std::vector<std::pair<std::string, int>> drives_;  // root and type, in the system's order
  std::vector<std::unique_ptr<FoundFontRecord>> found_;
  std::vector<std::unique_ptr<PatchEntry>> patches_;
  std::vector<std::string> downloads_;
  uint32_t downloadCheck_ = 1;
  uint32_t directoryCounter_ = 0;  // sub-folders met, across all drives
};

}  // namespace refontis
