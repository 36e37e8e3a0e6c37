// The per-font update job: rebuild an installed font through a temporary file, copy it back
// and verify it; the installed font is never left corrupt.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "otf/format_text.h"
#include "otf/checksum.h"
#include "otf/open_type_manager.h"
#include "patch/result_codes.h"
#include "search/folder_check_ctrl.h"

namespace refontis {
namespace {

// The sum of the file's big-endian words over its first length / 4 words; nothing when it
// cannot be read back whole. Read in pieces: a second copy of a large font in memory would
// cost more than the reading.
std::optional<uint32_t> ReadBackSum(platform::Platform& platform, const std::string& path) {
  auto file = platform.OpenForRead(path, platform::ShareMode::kShared);
  if (!file) return std::nullopt;
  const int64_t length = file->Length();
  if (length <= 0) return std::nullopt;
  std::vector<uint8_t> piece(size_t{1} << 20);  // a multiple of 4: words never straddle pieces
  uint32_t sum = 0;
  int64_t done = 0;
  while (done < length) {
    const size_t want =
        static_cast<size_t>(std::min<int64_t>(length - done, int64_t(piece.size())));
    const int64_t got = file->Read(std::span<uint8_t>(piece.data(), want));
    if (got != static_cast<int64_t>(want)) return std::nullopt;
    sum += WordSum(piece, want / 4 * 4);
    done += got;
  }
  return sum;
}

// Puts the original font back over the installed file and checks it byte for byte.
void RestoreOriginal(platform::Platform& platform, const std::string& path,
                     std::span<const uint8_t> original) {
  constexpr int kAttempts = 3;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    if (!platform::WriteWholeFile(platform, path, original, platform::CreateMode::kCreateAlways,
                                  /*durable=*/true)) {
      continue;
    }
    const auto back = platform::ReadWholeFile(platform, path, platform::ShareMode::kShared, 0);
    if (back && std::equal(back->begin(), back->end(), original.begin(), original.end())) return;
  }
}

// Whether the loaded font identifies (fifth name and head revision) as another font than the
// one the patch was made for.
bool HoldsAnotherFont(COpenTypeManager& font, const PatchEntry& entry) {
  std::string name;
  uint32_t revision = 0;
  bool haveName = false, haveRevision = false;
  for (size_t i = 0; i < font.header.numTables && !haveName; ++i) {
    haveName = font.ReadFontName(font.DirectoryRecord(i), &name);
  }
  for (size_t i = 0; i < font.header.numTables && !haveRevision; ++i) {
    haveRevision = font.ReadFontRevision(font.DirectoryRecord(i), &revision);
  }
  // Unidentified fonts take the usual way, to the code that says what is wrong with them.
  return haveName && haveRevision && (revision != entry.version || name != entry.headerFontName);
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

  // A font reached through a second path (a folder link) was revised by an earlier job of this
  // run; the patch applied to it again would copy bytes out of the revised tables and corrupt
  // it. A font that tells another name or revision than the patch's is left as it is.
  if (HoldsAnotherFont(*this, *entry)) {
    Release();
    return kUpdateOk;
  }

  // The original bytes stay loaded (the rebuild only reads them) until the replaced file has
  // been verified.
  const std::span<const uint8_t> original = FileContent();

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
                           FormatText("%sの改訂をしています。", path).c_str(),
                           "テンポラリフォルダからファイルをコピーしています。");
      const auto sum = ReadBackSum(platform_, path);
      result =
          !sum ? kUpdateReadBackFailed : (*sum == expectedFileSum ? kUpdateOk : kUpdateSumMismatch);
    }
    if (result != kUpdateOk) RestoreOriginal(platform_, path, original);
  }
  platform_.DeleteFile(*tempPath);
  Release();
  return result;
}

}  // namespace refontis
