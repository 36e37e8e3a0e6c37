// Whole-file read and write on top of the platform's file calls.
#include <limits>

#include "platform/platform.h"

namespace refontis::platform {

std::optional<std::vector<uint8_t>> ReadWholeFile(Platform& platform, const std::string& path,
                                                  ShareMode mode, size_t slack) {
  auto file = platform.OpenForRead(path, mode);
  if (!file) return std::nullopt;
  const int64_t length = file->Length();
  if (length <= 0 || length > std::numeric_limits<int32_t>::max()) return std::nullopt;
  std::vector<uint8_t> bytes(static_cast<size_t>(length) + slack, 0);
  const int64_t got = file->Read(std::span<uint8_t>(bytes.data(), static_cast<size_t>(length)));
  if (got != length) return std::nullopt;
  return bytes;
}

bool WriteWholeFile(Platform& platform, const std::string& path, std::span<const uint8_t> bytes,
                    CreateMode mode) {
  auto file = platform.CreateForWrite(path, mode);
  if (!file) return false;
  const bool written = file->Write(bytes);
  const bool closed = file->Close();
  return written && closed;
}

}  // namespace refontis::platform
