// The Win32 back-end of the platform layer: the ANSI calls, as the program's texts are CP932.
#pragma once

#include "platform/platform.h"

namespace refontis::platform {

class Win32Platform : public Platform {
 public:
  Win32Platform();
  ~Win32Platform() override;

  std::unique_ptr<ReadableFile> OpenForRead(const std::string& path, ShareMode mode) override;
  std::unique_ptr<WritableFile> CreateForWrite(const std::string& path, CreateMode mode) override;
  bool DeleteFile(const std::string& path) override;
  bool FileExists(const std::string& path) override;
  bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) override;
  std::string TempFolder() override;
  std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder) override;
  std::optional<std::vector<std::string>> LogicalDriveRoots() override;
  int GetDriveType(const std::string& root) override;
  std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                      const std::string& fallback, size_t bufferSize,
                                      const std::string& path) override;
  int GetPrivateProfileInt(const std::string& section, const std::string& key, int fallback,
                           const std::string& path) override;
  int64_t Time() override;
  int Rand() override;
  std::optional<std::span<const uint8_t>> FindResource(std::string_view type, int id) override;
  std::optional<OsVersionInfo> GetVersion() override;
  bool IsAdministrator() override;
  void RestartSystem() override;
  void NotifyFontChange(const std::vector<std::string>& fontPaths) override;
  std::string SystemFolder() override;
  bool DisableFsRedirection(void** saved) override;
  void RevertFsRedirection(void* saved) override;
  bool AcquireSingleInstance(const std::string& name) override;
  std::string ExecutableStem() override;
  PathStyle GetPathStyle() const override { return PathStyle::kWindowsCp932; }
  void ShowMessage(const std::string& text) override;

 private:
  void* mutex_ = nullptr;  // the single-instance mutex, open until the process ends
};

}  // namespace refontis::platform
