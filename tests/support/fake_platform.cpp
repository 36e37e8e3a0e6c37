// An in-memory platform for tests.
#include "support/fake_platform.h"

#include <algorithm>

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
  bool Close() override { return !failing_; }

 private:
  std::vector<uint8_t>& target_;
  bool failing_;
};

}  // namespace

std::unique_ptr<platform::ReadableFile> FakePlatform::OpenForRead(const std::string& path,
                                                                  platform::ShareMode) {
  opened.push_back(path);
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

bool FakePlatform::DeleteFile(const std::string& path) { return files.erase(path) != 0; }

std::optional<std::span<const uint8_t>> FakePlatform::FindResource(std::string_view type, int id) {
  return resources.Find(type, id);
}

}  // namespace refontis::test
