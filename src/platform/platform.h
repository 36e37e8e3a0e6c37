// The thin layer over the operating system that the font, patch and update code call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace refontis::platform {

enum class ShareMode { kExclusive, kShared };

// How a file for writing is opened: replace whatever is there, or only create a file that does
// not exist yet (never opening an existing file or a planted link).
enum class CreateMode { kCreateAlways, kCreateNew };

// How the platform's paths are written: which bytes separate folders, and whether a byte can lead
// a two-byte character (code page 932 trail bytes include the backslash).
enum class PathStyle { kPosix, kWindowsCp932 };

class ReadableFile {
 public:
  virtual ~ReadableFile() = default;
  // The file's length in bytes, or -1 when it cannot be told.
  virtual int64_t Length() = 0;
  // Reads up to dst.size() bytes from the current position; the count read, or -1 on an error.
  virtual int64_t Read(std::span<uint8_t> dst) = 0;
};

class WritableFile {
 public:
  virtual ~WritableFile() = default;
  [[nodiscard]] virtual bool Write(std::span<const uint8_t> bytes) = 0;
  // Flushes and closes; false when any written byte may not have reached the file.
  [[nodiscard]] virtual bool Close() = 0;
};

class Platform {
 public:
  virtual ~Platform() = default;

  virtual std::unique_ptr<ReadableFile> OpenForRead(const std::string& path, ShareMode mode) = 0;
  virtual std::unique_ptr<WritableFile> CreateForWrite(const std::string& path,
                                                       CreateMode mode) = 0;
  virtual bool DeleteFile(const std::string& path) = 0;

  // A resource of the program's own module, by type name and integer id: its bytes as the
  // module holds them, or nothing when there is no such resource.
  virtual std::optional<std::span<const uint8_t>> FindResource(std::string_view type, int id) = 0;

  virtual PathStyle GetPathStyle() const = 0;

  // Shows a message to the user and waits until it was acknowledged (a message box with an OK
  // button on Windows; a line on stderr for the command-line tools).
  virtual void ShowMessage(const std::string& text) = 0;
};

// The platform the program runs on; it lives as long as the process.
Platform& NativePlatform();

// Reads a whole file. `slack` zero bytes are appended after the content (readers of padded
// tables rely on them). Nothing when the file cannot be opened, is empty, or is 2 GiB or more.
std::optional<std::vector<uint8_t>> ReadWholeFile(Platform& platform, const std::string& path,
                                                  ShareMode mode, size_t slack);

// Creates `path` and writes `bytes` into it; false when any step fails.
bool WriteWholeFile(Platform& platform, const std::string& path, std::span<const uint8_t> bytes,
                    CreateMode mode);

}  // namespace refontis::platform
