// The POSIX back-end of the platform layer.
#pragma once

#include "platform/platform.h"
#include "platform/resource_table.h"

namespace refontis::platform {

class PosixPlatform : public Platform {
 public:
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
  std::string SystemFolder() override { return {}; }  // no font cache file to delete here
  bool DisableFsRedirection(void**) override { return false; }
  void RevertFsRedirection(void*) override {}
  bool AcquireSingleInstance(const std::string& name) override;
  std::string ExecutableStem() override;
  PathStyle GetPathStyle() const override { return PathStyle::kPosix; }
  void ShowMessage(const std::string& text) override;

  // The resources this process serves; the build fills it with the embedded ones.
  ResourceTable& Resources() { return resources_; }

  // The mount table the drives are read from (tests point it at a file of their own).
  void SetMountTable(std::string path) { mountTable_ = std::move(path); }

 private:
  std::string mountTable_ = "/proc/self/mounts";
  int instanceLock_ = -1;
  ResourceTable resources_;
};

}  // namespace refontis::platform
