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

#include "platform/byte_buffer.h"

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
  // Makes what was written durable on the disk.
  [[nodiscard]] virtual bool Sync() = 0;
  // Closes; false when any written byte may not have reached the file.
  [[nodiscard]] virtual bool Close() = 0;
};

// File attributes of a folder listing, with the values of the Windows attribute bits.
inline constexpr uint32_t kAttributeReadOnly = 0x01;
inline constexpr uint32_t kAttributeDirectory = 0x10;

struct FolderEntry {
  std::string name;
  uint32_t attributes = 0;
};

// Drive types, with the values GetDriveTypeA gives.
enum DriveType : int {
  kDriveUnknown = 0,
  kDriveNoRootDir = 1,
  kDriveRemovable = 2,
  kDriveFixed = 3,
  kDriveRemote = 4,
  kDriveCdRom = 5,
  kDriveRamDisk = 6,
};

// What the system says of its version (GetVersionExA's fields), or that it is no Windows.
struct OsVersionInfo {
  uint32_t platformId = 0;
  uint32_t majorVersion = 0;
  uint32_t minorVersion = 0;
  std::string servicePack;  // szCSDVersion
  bool notWindows = false;  // a POSIX system: the program treats it as supported
};

class Platform {
 public:
  virtual ~Platform() = default;

  virtual std::unique_ptr<ReadableFile> OpenForRead(const std::string& path, ShareMode mode) = 0;
  virtual std::unique_ptr<WritableFile> CreateForWrite(const std::string& path,
                                                       CreateMode mode) = 0;
  virtual bool DeleteFile(const std::string& path) = 0;
  virtual bool FileExists(const std::string& path) = 0;
  // Copies a file over another, flushed to disk before it reports success.
  virtual bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) = 0;
  // The folder for temporary files, ending in a separator; empty when the system names none.
  virtual std::string TempFolder() = 0;

  // The entries of a folder (its path ends in a separator), in the order the system gives
  // them; nothing when it cannot be listed. A folder on another device than the listed one is
  // left out: a walk stays on its drive.
  virtual std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder) = 0;
  // The roots of the logical drives, each ending in a separator, in the system's order;
  // nothing when the list cannot be obtained.
  virtual std::optional<std::vector<std::string>> LogicalDriveRoots() = 0;
  virtual int GetDriveType(const std::string& root) = 0;

  // The private-profile calls, on a file.
  virtual std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                              const std::string& fallback, size_t bufferSize,
                                              const std::string& path) = 0;
  virtual int GetPrivateProfileInt(const std::string& section, const std::string& key,
                                   int fallback, const std::string& path) = 0;

  // Seconds since 1970-01-01 UTC, and the C library's pseudo-random numbers.
  virtual int64_t Time() = 0;
  virtual int Rand() = 0;

  // A resource of the program's own module, by type name and integer id: its bytes as the
  // module holds them, or nothing when there is no such resource.
  virtual std::optional<std::span<const uint8_t>> FindResource(std::string_view type, int id) = 0;

  // --- System services of the run flow ---
  // Nothing when the version cannot be read.
  virtual std::optional<OsVersionInfo> GetVersion() = 0;
  virtual bool IsAdministrator() = 0;
  // Asks the system for a forced restart.
  virtual void RestartSystem() = 0;
  // Tells the system that these font files changed (WM_FONTCHANGE on Windows).
  virtual void NotifyFontChange(const std::vector<std::string>& fontPaths) = 0;
  // The folder of the system's font cache file, ending in a separator; empty when the
  // platform names none.
  virtual std::string SystemFolder() = 0;
  // File-system redirection of a 32-bit program on 64-bit Windows; elsewhere they do nothing.
  virtual bool DisableFsRedirection(void** saved) = 0;
  virtual void RevertFsRedirection(void* saved) = 0;
  // Marks this copy as the running one under `name`; false when another copy holds it. The
  // mark disappears with the process, however it ends.
  virtual bool AcquireSingleInstance(const std::string& name) = 0;
  // The executable's file name without folder and extension.
  virtual std::string ExecutableStem() = 0;

  virtual PathStyle GetPathStyle() const = 0;
  char Separator() const { return GetPathStyle() == PathStyle::kPosix ? '/' : '\\'; }

  // Shows a message to the user and waits until it was acknowledged (a message box with an OK
  // button on Windows; a line on stderr for the command-line tools).
  virtual void ShowMessage(const std::string& text) = 0;
};

// The platform the program runs on; it lives as long as the process.
Platform& NativePlatform();

// Reads a whole file. `slack` zero bytes are appended after the content (readers of padded
// tables rely on them). Nothing when the file cannot be opened, is empty, or is 2 GiB or more.
std::optional<ByteBuffer> ReadWholeFile(Platform& platform, const std::string& path,
                                        ShareMode mode, size_t slack);

// Creates `path` and writes `bytes` into it, on the disk before it returns when `durable`;
// false when any step fails.
bool WriteWholeFile(Platform& platform, const std::string& path, std::span<const uint8_t> bytes,
                    CreateMode mode, bool durable = false);

// Creates a new file in the temporary folder named time + (rand() % 255) + suffix, never
// opening a file or link that already exists: on a collision a new random part is drawn, a
// bounded number of times. The path of the file made, or nothing.
std::optional<std::string> CreateTempFile(Platform& platform, const std::string& suffix,
                                          std::span<const uint8_t> bytes);

}  // namespace refontis::platform
