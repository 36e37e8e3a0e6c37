// An in-memory platform for tests: files in a map, resources in a table, injected failures.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <utility>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/resource_table.h"

namespace refontis::test {

class FakePlatform : public platform::Platform {
 public:
  std::unique_ptr<platform::ReadableFile> OpenForRead(const std::string& path,
                                                      platform::ShareMode mode) override;
  std::unique_ptr<platform::WritableFile> CreateForWrite(const std::string& path,
                                                         platform::CreateMode mode) override;
  bool DeleteFile(const std::string& path) override;
  bool FileExists(const std::string& path) override;
  bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) override;
  std::string TempFolder() override { return tempFolder; }
  std::optional<std::vector<platform::FolderEntry>> ListFolder(const std::string& folder) override;
  std::optional<std::vector<std::string>> LogicalDriveRoots() override;
  int GetDriveType(const std::string& root) override;
  std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                      const std::string& fallback, size_t bufferSize,
                                      const std::string& path) override;
  int GetPrivateProfileInt(const std::string& section, const std::string& key, int fallback,
                           const std::string& path) override;
  int64_t Time() override { return now; }
  int Rand() override { return randomValues.empty() ? 0 : randomValues[randomCalls++ % randomValues.size()]; }
  std::optional<std::span<const uint8_t>> FindResource(std::string_view type, int id) override;
  std::optional<platform::OsVersionInfo> GetVersion() override { return version; }
  bool IsAdministrator() override { return administrator; }
  void RestartSystem() override { ++restarts; }
  void NotifyFontChange(const std::vector<std::string>& fontPaths) override {
    fontChanges.push_back(fontPaths);
  }
  std::string SystemFolder() override { return systemFolder; }
  bool DisableFsRedirection(void** saved) override {
    *saved = this;
    redirectionOff = true;
    return true;
  }
  void RevertFsRedirection(void*) override { redirectionOff = false; }
  bool AcquireSingleInstance(const std::string& name) override {
    instanceNames.push_back(name);
    return !otherInstanceRunning;
  }
  std::string ExecutableStem() override { return executableStem; }
  platform::PathStyle GetPathStyle() const override { return style; }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }

  // Files by full path; a folder exists where some file or `folders` entry lies below it.
  std::map<std::string, std::vector<uint8_t>> files;
  std::set<std::string> folders;            // extra (empty) folders, paths ending in a separator
  std::set<std::string> readOnly;           // files listed with the read-only attribute
  std::vector<std::pair<std::string, int>> drives;  // root (with separator) and drive type
  bool driveListFails = false;
  std::string tempFolder = "/tmp/";
  int64_t now = 1600000000;
  std::vector<int> randomValues;
  size_t randomCalls = 0;
  platform::ResourceTable resources;
  platform::PathStyle style = platform::PathStyle::kPosix;

  // Injected failures.
  std::set<std::string> unopenable;         // OpenForRead fails
  std::map<std::string, size_t> shortRead;  // Read stops after this many bytes
  std::set<std::string> uncreatable;        // CreateForWrite fails
  std::set<std::string> failingWrites;      // Write fails after half the bytes
  std::set<std::string> failingCopies;      // CopyFile to this path writes half, then fails
  std::set<std::string> corruptingCopies;   // CopyFile to this path flips the last byte
  std::map<std::string, int> failOpenNumber;  // the k-th OpenForRead of a path fails (from 1)
  std::set<std::string> unlistable;         // ListFolder of these folders fails
  std::map<std::string, int> openCount;
  std::vector<std::string> opened;          // every path opened for reading, in order
  std::vector<std::string> created;         // every path created, in order
  // Every file deleted, in order, with the content it had then.
  std::vector<std::pair<std::string, std::vector<uint8_t>>> deletions;
  std::vector<std::string> messages;        // every message shown, in order

  // System services.
  std::optional<platform::OsVersionInfo> version = platform::OsVersionInfo{2, 10, 0, "", false};
  bool administrator = true;
  int restarts = 0;
  std::vector<std::vector<std::string>> fontChanges;
  std::string systemFolder;
  bool redirectionOff = false;
  std::vector<std::string> deletedWhileRedirectionOff;
  bool otherInstanceRunning = false;
  std::vector<std::string> instanceNames;
  std::string executableStem = "refontis";
};

}  // namespace refontis::test
