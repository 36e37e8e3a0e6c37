// System services on POSIX: version, rights, restart, font-cache refresh, single instance.
#include <fcntl.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "platform/posix/posix_platform.h"

extern char** environ;

namespace refontis::platform {
namespace {

// Runs a program found on PATH and waits for it; its exit status, or -1 when it did not run.
int Run(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) < 0) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

std::optional<OsVersionInfo> PosixPlatform::GetVersion() {
  OsVersionInfo info;
  info.notWindows = true;
  return info;
}

bool PosixPlatform::IsAdministrator() { return geteuid() == 0; }

void PosixPlatform::RestartSystem() {
  if (Run({"systemctl", "reboot"}) != 0) Run({"shutdown", "-r", "now"});
}

void PosixPlatform::NotifyFontChange(const std::vector<std::string>& fontPaths) {
  std::set<std::string> folders;
  for (const auto& path : fontPaths) {
    const size_t slash = path.rfind('/');
    if (slash != std::string::npos) folders.insert(path.substr(0, slash + 1));
  }
  if (folders.empty()) return;
  std::vector<std::string> argv = {"fc-cache"};
  argv.insert(argv.end(), folders.begin(), folders.end());
  Run(argv);  // without fontconfig installed there is no cache to refresh
}

bool PosixPlatform::AcquireSingleInstance(const std::string& name) {
  if (instanceLock_ >= 0) return true;
  const std::string path = TempFolder() + name + ".lock";
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) return true;  // without a lock file the program still runs, as without a mutex
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return false;
  }
  instanceLock_ = fd;  // released by the system when the process ends, also after a crash
  return true;
}

std::string PosixPlatform::ExecutableStem() {
  char buffer[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  std::string path = n > 0 ? std::string(buffer, static_cast<size_t>(n)) : "refontis";
  path = path.substr(path.rfind('/') + 1);
  const size_t dot = path.rfind('.');
  return dot == std::string::npos || dot == 0 ? path : path.substr(0, dot);
}

}  // namespace refontis::platform
