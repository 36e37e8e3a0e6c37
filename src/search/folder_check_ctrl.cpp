// The font search.
#include "otf/format_text.h"
#include "search/folder_check_ctrl.h"

#include <algorithm>
#include <cstdio>

#include "config/res_file_ctrl.h"
#include "otf/open_type_manager.h"
#include "otf/path_parts.h"
#include "patch/sabun_data.h"
#include "search/multibyte_text.h"

namespace refontis {
namespace {

std::unique_ptr<CFolderCheckCtrl>& Slot() {
  static std::unique_ptr<CFolderCheckCtrl> instance;
  return instance;
}

constexpr int kMaxListedDepth = 7;  // folders deeper below a drive root are not listed
constexpr uint32_t kFolderMessageEvery = 20;

bool Report(FolderSearchCallback callback, OwnerWindow window, const std::string& message) {
  return callback != nullptr && callback(message.c_str(), window) != 0;
}

// The download folders whose product-code files a revision makes obsolete, written with the
// platform's separator.
std::vector<std::string> DownloadFolderPatterns(char separator) {
  std::vector<std::string> patterns;
  for (const char* maker : {"Quillane", "Talmoure"}) {
    std::string p = std::string("\\") + maker + "\\Fonts\\Download\\add\\";
    for (char& c : p) {
      if (c == '\\') c = separator;
    }
    patterns.push_back(p);
  }
  return patterns;
}

// The whole name is one of the product codes (no extension, case-sensitive).
bool IsProductCode(const std::string& name) {
  const auto& codes = ProductCodes();
  return std::find(codes.begin(), codes.end(), name) != codes.end();
}

}  // namespace

CFolderCheckCtrl& CFolderCheckCtrl::Instance(platform::Platform& platform) {
  auto& slot = Slot();
  if (!slot) {
    slot.reset(new CFolderCheckCtrl(platform));
    slot->BuildPatchList();
  }
  return *slot;
}

void CFolderCheckCtrl::DeleteInstance() { Slot().reset(); }

bool CFolderCheckCtrl::HasInstance() { return Slot() != nullptr; }

CFolderCheckCtrl::CFolderCheckCtrl(platform::Platform& platform) : platform_(platform) {}

void CFolderCheckCtrl::BuildPatchList() {
  CResFileCtrl& config = CResFileCtrl::Instance(platform_);
  CMakeSabunData patch(platform_);
  for (int i = 0; i < config.EntryCount(); ++i) {
    const PatchFileEntry& file = config.Entry(i);
    PatchFontName name{};
    uint32_t version = 0;
    if (!patch.ReadHeaderFromResource(static_cast<int>(file.resourceId), &name, &version)) {
      continue;
    }
    auto entry = std::make_unique<PatchEntry>();
    entry->patchFileName = file.patchFileName;
    entry->fontFileName = file.fontFileName;
    size_t n = 0;
    while (n < name.size() && name[n] != 0) ++n;  // a full 32-byte name has no zero byte
    entry->headerFontName.assign(reinterpret_cast<const char*>(name.data()), n);
    entry->stem = SplitPath(file.fontFileName, platform::PathStyle::kWindowsCp932).stem;
    entry->version = version;
    entry->resourceId = file.resourceId;
    patches_.push_back(std::move(entry));
  }
}

bool CFolderCheckCtrl::SearchFonts(FolderSearchCallback callback, OwnerWindow window) {
  if (!CollectFixedDrives(callback, window)) return false;
  for (const auto& [root, type] : drives_) {
    if (!SearchFolder(root, callback, window, 0)) return false;
  }
  return true;
}

bool CFolderCheckCtrl::CollectFixedDrives(FolderSearchCallback callback, OwnerWindow window) {
  const auto roots = platform_.LogicalDriveRoots();
  if (!roots) return false;
  for (const std::string& root : *roots) {
    // A set of drives: a second search must not walk a drive twice.
    const bool known = std::any_of(drives_.begin(), drives_.end(),
                                   [&](const auto& drive) { return drive.first == root; });
    if (!known && platform_.GetDriveType(root) == platform::kDriveFixed) {
      drives_.emplace_back(root, platform::kDriveFixed);
    }
    if (Report(callback, window, FormatText("%sドライブを検索しました。", root))) return false;
  }
  return true;
}

bool CFolderCheckCtrl::SearchFolder(const std::string& folder, FolderSearchCallback callback,
                                    OwnerWindow window, int depth) {
  if (depth + 1 > kMaxListedDepth + 1) return true;
  const auto entries = platform_.ListFolder(folder);
  if (!entries) return true;  // a folder that cannot be listed counts as empty
  const char separator = platform_.Separator();
  for (const platform::FolderEntry& entry : *entries) {
    if ((entry.attributes & platform::kAttributeDirectory) != 0) {
      if (entry.name == "." || entry.name == "..") continue;
      const std::string sub = folder + entry.name + separator;
      ++directoryCounter_;
      if (directoryCounter_ % kFolderMessageEvery == 0 &&
          Report(callback, window, FormatText("%sを検索しています。", sub))) {
        return false;
      }
      if (!SearchFolder(sub, callback, window, depth + 1)) return false;
      continue;
    }
    if ((entry.attributes & platform::kAttributeReadOnly) != 0) continue;
    // Most files are neither: their full path is never formed.
    const bool fontName = entry.name.find(".otf") != std::string::npos;
    const bool codeName = downloadCheck_ == 1 && IsProductCode(entry.name);
    if (!fontName && !codeName) continue;
    const std::string fullPath = folder + entry.name;
    if (fontName) {
      if (const PatchEntry* patch = MatchPatchEntry(fullPath, entry.name)) {
        found_.push_back(
            std::make_unique<FoundFontRecord>(FoundFontRecord{fullPath, patch->version}));
      }
    }
    if (codeName) CheckDownloadFile(fullPath, entry.name);
  }
  return true;
}

void CFolderCheckCtrl::CheckDownloadFile(const std::string& fullPath, const std::string& name) {
  if (!IsProductCode(name)) return;
  constexpr size_t kEarliest = 6;  // past a drive root and a few bytes of the user folder
  for (const std::string& pattern : DownloadFolderPatterns(platform_.Separator())) {
    const size_t at = FindMultibyte(fullPath, pattern, platform_.GetPathStyle());
    if (at != std::string::npos && at >= kEarliest) {
      downloads_.push_back(fullPath);
      return;
    }
  }
}

std::vector<const PatchEntry*> CFolderCheckCtrl::Candidates(const std::string& fileName) const {
  std::vector<const PatchEntry*> candidates;
  const PathParts parts = SplitPath(fileName, platform_.GetPathStyle());
  if (parts.extension != ".otf") return candidates;
  for (const auto& entry : patches_) {
    if (!StartsWithMultibyte(parts.stem, entry->stem, platform_.GetPathStyle())) continue;
    const size_t extra = parts.stem.size() - entry->stem.size();
    if (extra == 0 || extra == 2 || extra == 3) candidates.push_back(entry.get());
  }
  return candidates;
}

const PatchEntry* CFolderCheckCtrl::MatchPatchEntry(const std::string& fullPath,
                                                    const std::string& fileName) {
  for (const PatchEntry* entry : Candidates(fileName)) {
    COpenTypeManager font(platform_);
    uint32_t revision = 0;
    std::string nameText;
    if (font.IdentifyFont(fullPath, &revision, &nameText) && revision == entry->version &&
        nameText == entry->headerFontName) {
      return entry;
    }
  }
  return nullptr;
}

const PatchEntry* CFolderCheckCtrl::FindPatchEntry(const std::string& path,
                                                   uint32_t versionKey) const {
  const PathParts parts = SplitPath(path, platform_.GetPathStyle());
  for (const PatchEntry* entry : Candidates(parts.stem + parts.extension)) {
    if (entry->version == versionKey) return entry;
  }
  return nullptr;
}

}  // namespace refontis
