// The POSIX back-end of the platform layer: files through the system calls.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/posix/posix_platform.h"
#include "platform/text_encoding.h"

namespace refontis::platform {
namespace {

class PosixReadableFile : public ReadableFile {
 public:
  explicit PosixReadableFile(int fd) : fd_(fd) {}
  ~PosixReadableFile() override { ::close(fd_); }

  int64_t Length() override {
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) return -1;
    return static_cast<int64_t>(st.st_size);
  }

  int64_t Read(std::span<uint8_t> dst) override {
    size_t done = 0;
    while (done < dst.size()) {
      const ssize_t n = ::read(fd_, dst.data() + done, dst.size() - done);
      if (n < 0) {
        if (errno == EINTR) continue;
        return -1;
      }
      if (n == 0) break;
      done += static_cast<size_t>(n);
    }
    return static_cast<int64_t>(done);
  }

 private:
  int fd_;
};

class PosixWritableFile : public WritableFile {
 public:
  explicit PosixWritableFile(int fd) : fd_(fd) {}
  ~PosixWritableFile() override {
    if (fd_ >= 0) ::close(fd_);
  }

  bool Write(std::span<const uint8_t> bytes) override {
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
      if (n < 0) {
        if (errno == EINTR) continue;
        return false;
      }
      done += static_cast<size_t>(n);
    }
    return true;
  }

  bool Sync() override { return fd_ >= 0 && ::fsync(fd_) == 0; }

  bool Close() override {
    if (fd_ < 0) return false;
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    return closed;
  }

 private:
  int fd_;
};

}  // namespace

std::unique_ptr<ReadableFile> PosixPlatform::OpenForRead(const std::string& path,
                                                         ShareMode mode) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  // Exclusive reading is advisory here: a writer that takes the lock is kept out.
  if (mode == ShareMode::kExclusive && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<PosixReadableFile>(fd);
}

std::unique_ptr<WritableFile> PosixPlatform::CreateForWrite(const std::string& path,
                                                            CreateMode mode) {
  int flags = O_WRONLY | O_CREAT | O_CLOEXEC;
  flags |= mode == CreateMode::kCreateNew ? (O_EXCL | O_NOFOLLOW) : O_TRUNC;
  const int fd = ::open(path.c_str(), flags, 0644);
  if (fd < 0) return nullptr;
  return std::make_unique<PosixWritableFile>(fd);
}

bool PosixPlatform::DeleteFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

std::optional<std::span<const uint8_t>> PosixPlatform::FindResource(std::string_view type,
                                                                    int id) {
  return resources_.Find(type, id);
}

void PosixPlatform::ShowMessage(const std::string& text) {
  std::fprintf(stderr, "%s\n", Cp932ToUtf8(text).c_str());
}

Platform& NativePlatform() {
  static PosixPlatform platform;
  return platform;
}

}  // namespace refontis::platform
