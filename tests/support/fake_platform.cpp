// An in-memory platform for tests.
#include "support/fake_platform.h"

#include <algorithm>

#include "platform/private_profile.h"

namespace refontis::test {
namespace {

class MemoryReadableFile : public platform::ReadableFile {
 public:
  MemoryReadableFile(const std::vector<uint8_t>& bytes, size_t limit)
      : bytes_(bytes), limit_(limit) {}
  int64_t Length() override { return static_cast<int64_t>(bytes_.size()); }
  int64_t Read(std::span<uint8_t> dst) override {
    const size_t end = std::min(bytes_.size(), limit_);
    const size_t n = std::min(dst.size(), end > pos_ ? end - pos_ : 0);
    std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(pos_), n, dst.begin());
    pos_ += n;
    return static_cast<int64_t>(n);
  }

 private:
  const std::vector<uint8_t>& bytes_;
  size_t limit_;
  size_t pos_ = 0;
};

class MemoryWritableFile : public platform::WritableFile {
 public:
  MemoryWritableFile(std::vector<uint8_t>& target, bool failing)
      : target_(target), failing_(failing) {}
  bool Write(std::span<const uint8_t> bytes) override {
    if (failing_) {
      target_.insert(target_.end(), bytes.begin(), bytes.begin() + bytes.size() / 2);
      return false;
    }
    target_.insert(target_.end(), bytes.begin(), bytes.end());
    return true;
  }
  bool Sync() override { return !failing_; }
  bool Close() override { return !failing_; }

 private:
  std::vector<uint8_t>& target_;
  bool failing_;
};

// The first separator of `path`; in code page 932 a trail byte that looks like one is none.
size_t FindSeparator(const std::string& path, char sep, platform::PathStyle style) {
  for (size_t k = 0; k < path.size(); ++k) {
    const auto c = static_cast<unsigned char>(path[k]);
    if (style == platform::PathStyle::kWindowsCp932 &&
        ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC))) {
      ++k;
      continue;
    }
    if (path[k] == sep) return k;
  }
  return std::string::npos;
}

}  // namespace

std::unique_ptr<platform::ReadableFile> FakePlatform::OpenForRead(const std::string& path,
                                                                  platform::ShareMode) {
  opened.push_back(path);
  const int number = ++openCount[path];
  auto failing = failOpenNumber.find(path);
  if (failing != failOpenNumber.end() && failing->second == number) return nullptr;
  auto it = files.find(path);
  if (it == files.end() || unopenable.count(path) != 0) return nullptr;
  auto limit = shortRead.find(path);
  return std::make_unique<MemoryReadableFile>(
      it->second, limit == shortRead.end() ? SIZE_MAX : limit->second);
}

std::unique_ptr<platform::WritableFile> FakePlatform::CreateForWrite(const std::string& path,
                                                                     platform::CreateMode mode) {
  if (uncreatable.count(path) != 0) return nullptr;
  if (mode == platform::CreateMode::kCreateNew && files.count(path) != 0) return nullptr;
  created.push_back(path);
  auto& target = files[path];
  target.clear();
  return std::make_unique<MemoryWritableFile>(target, failingWrites.count(path) != 0);
}

bool FakePlatform::DeleteFile(const std::string& path) {
  if (redirectionOff) deletedWhileRedirectionOff.push_back(path);
  auto it = files.find(path);
  if (it == files.end()) return false;
  deletions.emplace_back(path, it->second);
  files.erase(it);
  return true;
}

bool FakePlatform::FileExists(const std::string& path) { return files.count(path) != 0; }

bool FakePlatform::CopyFile(const std::string& from, const std::string& to, bool failIfExists) {
  auto it = files.find(from);
  if (it == files.end() || (failIfExists && files.count(to) != 0)) return false;
  const std::vector<uint8_t> bytes = it->second;
  if (failingCopies.count(to) != 0) {
    files[to].assign(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(bytes.size() / 2));
    return false;
  }
  files[to] = bytes;
  if (corruptingCopies.count(to) != 0 && !bytes.empty()) files[to].back() ^= 0xFF;
  return true;
}

std::optional<std::vector<platform::FolderEntry>> FakePlatform::ListFolder(
    const std::string& folder) {
  if (unlistable.count(folder) != 0) return std::nullopt;
  const char sep = Separator();
  std::vector<platform::FolderEntry> entries;
  std::set<std::string> seenFolders;
  bool exists = folders.count(folder) != 0;
  auto addChild = [&](const std::string& path, bool isFile) {
    if (path.size() <= folder.size() || path.compare(0, folder.size(), folder) != 0) return;
    exists = true;
    const std::string rest = path.substr(folder.size());
    const size_t cut = FindSeparator(rest, sep, style);
    if (cut == std::string::npos) {
      if (isFile) {
        entries.push_back({rest, readOnly.count(path) ? platform::kAttributeReadOnly : 0u});
      }
      return;
    }
    const std::string name = rest.substr(0, cut);
    if (seenFolders.insert(name).second) entries.push_back({name, platform::kAttributeDirectory});
  };
  for (const auto& [path, bytes] : files) addChild(path, true);
  for (const auto& path : folders) addChild(path, false);
  if (!exists) return std::nullopt;
  // Sorted by name, as a Windows volume lists a folder, whichever way a folder came to exist.
  std::stable_sort(entries.begin(), entries.end(),
                   [](const auto& x, const auto& y) { return x.name < y.name; });
  entries.insert(entries.begin(), {{".", platform::kAttributeDirectory},
                                   {"..", platform::kAttributeDirectory}});
  return entries;
}

std::optional<std::vector<std::string>> FakePlatform::LogicalDriveRoots() {
  if (driveListFails) return std::nullopt;
  std::vector<std::string> roots;
  for (const auto& [root, type] : drives) roots.push_back(root);
  return roots;
}

int FakePlatform::GetDriveType(const std::string& root) {
  for (const auto& [r, type] : drives) {
    if (r == root) return type;
  }
  return platform::kDriveNoRootDir;
}

std::string FakePlatform::GetPrivateProfileString(const std::string& section,
                                                  const std::string& key,
                                                  const std::string& fallback, size_t bufferSize,
                                                  const std::string& path) {
  auto it = files.find(path);
  const auto profile = platform::PrivateProfile::Parse(
      it == files.end() ? std::span<const uint8_t>() : std::span<const uint8_t>(it->second));
  return profile.GetString(section, key, fallback, bufferSize);
}

int FakePlatform::GetPrivateProfileInt(const std::string& section, const std::string& key,
                                       int fallback, const std::string& path) {
  auto it = files.find(path);
  const auto profile = platform::PrivateProfile::Parse(
      it == files.end() ? std::span<const uint8_t>() : std::span<const uint8_t>(it->second));
  return profile.GetInt(section, key, fallback);
}

std::optional<std::span<const uint8_t>> FakePlatform::FindResource(std::string_view type, int id) {
  return resources.Find(type, id);
}

}  // namespace refontis::test
