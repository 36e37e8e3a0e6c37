// Files and folders on POSIX: existence, copying, the temporary folder, folder listings.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "platform/posix/posix_platform.h"
#include "platform/private_profile.h"

namespace refontis::platform {
namespace {

bool WriteAll(int fd, const uint8_t* data, size_t n) {
  size_t done = 0;
  while (done < n) {
    const ssize_t w = ::write(fd, data + done, n - done);
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(w);
  }
  return true;
}

}  // namespace

bool PosixPlatform::FileExists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;  // a dangling link is an existing name too
}

bool PosixPlatform::CopyFile(const std::string& from, const std::string& to, bool failIfExists) {
  const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  struct stat st {};
  if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(in);
    return false;
  }
  // Never truncated before it is known not to be the source itself: copying a file onto
  // itself (another name or link for it) must not empty it.
  const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (failIfExists ? O_EXCL : 0);
  const int out = ::open(to.c_str(), flags, st.st_mode & 0777);
  if (out < 0) {
    ::close(in);
    return false;
  }
  struct stat target {};
  if (::fstat(out, &target) != 0 || (target.st_dev == st.st_dev && target.st_ino == st.st_ino)) {
    ::close(out);
    ::close(in);
    return false;
  }
  // Written over the old content and cut to length afterwards: a revised font is about as
  // long as the one it replaces, and overwriting its blocks costs less than freeing them all
  // and allocating them again.
  std::vector<uint8_t> buffer(1 << 20);
  bool ok = true;
  off_t written = 0;
  for (;;) {
    const ssize_t r = ::read(in, buffer.data(), buffer.size());
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) ok = false;
    if (r <= 0) break;
    if (!WriteAll(out, buffer.data(), static_cast<size_t>(r))) {
      ok = false;
      break;
    }
    written += r;
  }
  ok = ok && ::ftruncate(out, written) == 0;
  ok = ::fsync(out) == 0 && ok;
  ok = ::close(out) == 0 && ok;
  ::close(in);
  return ok;
}

std::string PosixPlatform::TempFolder() {
  const char* dir = std::getenv("TMPDIR");
  std::string folder = (dir != nullptr && *dir != '\0') ? dir : "/tmp";
  if (folder.back() != '/') folder += '/';
  return folder;
}

std::optional<std::vector<FolderEntry>> PosixPlatform::ListFolder(const std::string& folder) {
  // Read with getdents64 itself: opendir would pay one more stat for every folder of a walk.
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat self {};
  if (::fstat(fd, &self) != 0) {
    ::close(fd);
    return std::nullopt;
  }
  std::vector<FolderEntry> entries;
  alignas(struct dirent64) char buffer[32768];
  for (;;) {
    const ssize_t got = ::getdents64(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;  // the end, or an error: what was listed so far stands
    for (ssize_t at = 0; at < got;) {
      const auto* e = reinterpret_cast<const struct dirent64*>(buffer + at);
      at += e->d_reclen;
      FolderEntry entry{e->d_name, 0};
      if (entry.name == "." || entry.name == "..") {
        // Folders by definition; a walk of a large tree would pay a look-up for each otherwise.
        entry.attributes = kAttributeDirectory;
        entries.push_back(std::move(entry));
        continue;
      }
      struct stat st {};
      // Links are followed, as a Windows walk enters a linked folder; a dangling one is dropped.
      if (::fstatat(fd, e->d_name, &st, 0) != 0) continue;
      if (S_ISDIR(st.st_mode)) {
        if (st.st_dev != self.st_dev) continue;  // another drive or /proc and the like
        entry.attributes |= kAttributeDirectory;
      } else if (!S_ISREG(st.st_mode)) {
        continue;  // devices, sockets, pipes: nothing a font could be
      } else if ((st.st_mode & S_IWUSR) == 0) {
        entry.attributes |= kAttributeReadOnly;
      }
      entries.push_back(std::move(entry));
    }
  }
  ::close(fd);
  return entries;
}

std::string PosixPlatform::GetPrivateProfileString(const std::string& section,
                                                   const std::string& key,
                                                   const std::string& fallback, size_t bufferSize,
                                                   const std::string& path) {
  const auto bytes = ReadWholeFile(*this, path, ShareMode::kShared, 0);
  const PrivateProfile profile = bytes ? PrivateProfile::Parse(*bytes) : PrivateProfile::Parse({});
  return profile.GetString(section, key, fallback, bufferSize);
}

int PosixPlatform::GetPrivateProfileInt(const std::string& section, const std::string& key,
                                        int fallback, const std::string& path) {
  const auto bytes = ReadWholeFile(*this, path, ShareMode::kShared, 0);
  const PrivateProfile profile = bytes ? PrivateProfile::Parse(*bytes) : PrivateProfile::Parse({});
  return profile.GetInt(section, key, fallback);
}

int64_t PosixPlatform::Time() { return static_cast<int64_t>(std::time(nullptr)); }

int PosixPlatform::Rand() { return std::rand(); }

}  // namespace refontis::platform
