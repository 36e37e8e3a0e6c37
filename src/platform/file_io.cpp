// Whole-file read and write on top of the platform's file calls.
#include <limits>
#include <new>

#include "platform/platform.h"

namespace refontis::platform {

std::optional<ByteBuffer> ReadWholeFile(Platform& platform, const std::string& path,
                                        ShareMode mode, size_t slack) {
  auto file = platform.OpenForRead(path, mode);
  if (!file) return std::nullopt;
  const int64_t length = file->Length();
  if (length <= 0 || length > std::numeric_limits<int32_t>::max()) return std::nullopt;
  ByteBuffer bytes;
  try {
    bytes = ZeroedBuffer(static_cast<size_t>(length) + slack);
  } catch (const std::bad_alloc&) {
    return std::nullopt;  // too large for this machine: as good as unreadable
  }
  const int64_t got = file->Read(std::span<uint8_t>(bytes.data(), static_cast<size_t>(length)));
  if (got != length) return std::nullopt;
  return bytes;
}

bool WriteWholeFile(Platform& platform, const std::string& path, std::span<const uint8_t> bytes,
                    CreateMode mode, bool durable) {
  auto file = platform.CreateForWrite(path, mode);
  if (!file) return false;
  const bool written = file->Write(bytes) && (!durable || file->Sync());
  const bool closed = file->Close();
  return written && closed;
}

std::optional<std::string> CreateTempFile(Platform& platform, const std::string& suffix,
                                          std::span<const uint8_t> bytes) {
  const std::string folder = platform.TempFolder();
  if (folder.empty()) return std::nullopt;
  constexpr int kAttempts = 64;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const std::string path = folder + std::to_string(platform.Time()) +
                             std::to_string(platform.Rand() % 255) + suffix;
    auto file = platform.CreateForWrite(path, CreateMode::kCreateNew);
    if (!file) {
      if (platform.FileExists(path)) continue;  // taken: draw again
      return std::nullopt;                      // the folder does not take new files
    }
    const bool written = file->Write(bytes);
    const bool closed = file->Close();
    if (written && closed) return path;
    platform.DeleteFile(path);
    return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace refontis::platform
