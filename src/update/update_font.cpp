// The per-font update job: rebuild an installed font through a temporary file, copy it back
// and verify it; the installed font is never left corrupt.
#include <cstdio>
#include <string>
#include <vector>

#include "otf/checksum.h"
#include "otf/open_type_manager.h"
#include "patch/result_codes.h"
#include "search/folder_check_ctrl.h"

namespace refontis {
namespace {

std::string Format(const char* pattern, const std::string& argument) {
  const int n = std::snprintf(nullptr, 0, pattern, argument.c_str());
  std::string out(static_cast<size_t>(n < 0 ? 0 : n), '\0');
  std::snprintf(out.data(), out.size() + 1, pattern, argument.c_str());
  return out;
}

// The sum of the file's big-endian words over its first length / 4 words; nothing when it
// cannot be read back.
std::optional<uint32_t> ReadBackSum(platform::Platform& platform, const std::string& path) {
  const auto bytes = platform::ReadWholeFile(platform, path, platform::ShareMode::kShared, 0);
  if (!bytes) return std::nullopt;
  return WordSum(*bytes, bytes->size() / 4 * 4);
}

// Puts the original font back over the installed file and checks it byte for byte.
void RestoreOriginal(platform::Platform& platform, const std::string& path,
                     std::span<const uint8_t> original) {
  constexpr int kAttempts = 3;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    if (!platform::WriteWholeFile(platform, path, original, platform::CreateMode::kCreateAlways)) {
      continue;
    }
    const auto back = platform::ReadWholeFile(platform, path, platform::ShareMode::kShared, 0);
    if (back && std::equal(back->begin(), back->end(), original.begin(), original.end())) return;
  }
}

}  // namespace

int COpenTypeManager::UpdateFont(const std::string& path, uint32_t versionKey,
                                 UpdateProgressCallback progress, OwnerWindow ownerWindow,
                                 int count, int index) {
  if (const int loaded = LoadFont(path, progress, ownerWindow, count, index); loaded != 0) {
    return loaded;
  }

  macName13 = EmptyName13Text();
  winName13 = EmptyName13Text();
  bool haveName13 = false;
  for (size_t i = 0; i < header.numTables && !haveName13; ++i) {
    haveName13 = ReadName13(DirectoryRecord(i), &macName13, &winName13);
  }
  if (!haveName13) return kUpdateFontUnusable;

  const PatchEntry* entry = CFolderCheckCtrl::Instance(platform_).FindPatchEntry(path, versionKey);
  if (entry == nullptr) {
    Release();
    return kUpdatePatchUnreadable;  // no patch for this font: nothing can rebuild it
  }

  // The original bytes stay with us until the replaced file has been verified.
  const std::vector<uint8_t> original(FileContent().begin(), FileContent().end());

  // Reserved exclusively: the rebuild then writes into our own new file, never through a link
  // planted in the shared temporary folder.
  const auto tempPath = platform::CreateTempFile(platform_, "", {});
  if (!tempPath) {
    Release();
    return kUpdateCannotCreateTemp;
  }

  int result = BuildNewFont(path, static_cast<int>(entry->resourceId), *tempPath, progress,
                            ownerWindow, count, index);
  if (result == kUpdateOk) {
    if (!platform_.CopyFile(*tempPath, path, false)) {
      result = kUpdateCopyFailed;
    } else {
      (void)ReportProgress(progress, ownerWindow, (index + 1) * 100 / count, 100,
                           Format("%sの改訂をしています。", path).c_str(),
                           "テンポラリフォルダからファイルをコピーしています。");
      const auto sum = ReadBackSum(platform_, path);
      result = !sum ? kUpdateReadBackFailed
                    : (*sum == expectedFileSum ? kUpdateOk : kUpdateSumMismatch);
    }
    if (result != kUpdateOk) RestoreOriginal(platform_, path, original);
  }
  platform_.DeleteFile(*tempPath);
  Release();
  return result;
}

}  // namespace refontis
