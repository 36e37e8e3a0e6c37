// Drives on POSIX: the mount points of local block-device file systems (and the root file
// system whatever its type), with a Windows-like drive type.
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/posix/posix_platform.h"

namespace refontis::platform {
namespace {

// /proc/self/mounts writes blanks in paths as octal escapes.
std::string Unescape(const std::string& s) {
  std::string out;
  for (size_t k = 0; k < s.size(); ++k) {
    if (s[k] == '\\' && k + 3 < s.size()) {
      const std::string digits = s.substr(k + 1, 3);
      if (digits.size() == 3 && digits.find_first_not_of("01234567") == std::string::npos) {
        out += static_cast<char>(std::stoi(digits, nullptr, 8));
        k += 3;
        continue;
      }
    }
    out += s[k];
  }
  return out;
}

bool IsNetworkType(const std::string& type) {
  static const std::set<std::string> kNetwork = {"nfs",        "nfs4", "cifs", "smb3", "smbfs",
                                                 "fuse.sshfs", "9p",   "afs",  "ceph", "glusterfs"};
  return kNetwork.count(type) != 0;
}

std::string WithSeparator(std::string path) {
  if (path.empty() || path.back() != '/') path += '/';
  return path;
}

struct Mount {
  std::string device, root, type;
};

std::vector<Mount> ReadMounts(const std::string& table) {
  std::vector<Mount> mounts;
  std::ifstream in(table);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    Mount m;
    if (!(fields >> m.device >> m.root >> m.type)) continue;
    m.device = Unescape(m.device);
    m.root = WithSeparator(Unescape(m.root));
    mounts.push_back(m);
  }
  return mounts;
}

// The /sys/block name of a partition or disk device ("/dev/sda1" -> "sda").
std::string BlockName(const std::string& device) {
  struct stat st {};
  if (::stat(device.c_str(), &st) != 0 || !S_ISBLK(st.st_mode)) return {};
  const std::string sys = "/sys/dev/block/" + std::to_string(major(st.st_rdev)) + ":" +
                          std::to_string(minor(st.st_rdev));
  char resolved[4096];
  if (::realpath(sys.c_str(), resolved) == nullptr) return {};
  std::string path = resolved;
  // A partition's folder lies inside its disk's folder; the disk holds "removable".
  std::ifstream partition(path + "/partition");
  if (partition.good()) path = path.substr(0, path.rfind('/'));
  return path.substr(path.rfind('/') + 1);
}

}  // namespace

std::optional<std::vector<std::string>> PosixPlatform::LogicalDriveRoots() {
  const std::vector<Mount> mounts = ReadMounts(mountTable_);
  if (mounts.empty()) return std::nullopt;
  std::vector<std::string> roots;
  std::set<std::string> seen;
  for (const Mount& m : mounts) {
    const bool local = m.device.rfind("/dev/", 0) == 0;
    if (!(m.root == "/" || local || IsNetworkType(m.type))) continue;
    // A file bind-mounted from a disk (a container's /etc/hosts) is no drive.
    struct stat st {};
    const std::string point = m.root.substr(0, m.root.size() - 1);  // "/etc/hosts/" fails as such
    if (m.root != "/" && ::stat(point.c_str(), &st) == 0 && !S_ISDIR(st.st_mode)) continue;
    if (seen.insert(m.root).second) roots.push_back(m.root);
  }
  return roots;
}

int PosixPlatform::GetDriveType(const std::string& root) {
  const std::vector<Mount> mounts = ReadMounts(mountTable_);
  const Mount* found = nullptr;
  for (const Mount& m : mounts) {
    if (m.root == WithSeparator(root)) found = &m;  // the last mount on a path is the visible one
  }
  if (found == nullptr) return kDriveNoRootDir;
  if (IsNetworkType(found->type)) return kDriveRemote;
  if (found->root == "/") return kDriveFixed;  // the system's disk, whatever its file system
  if (found->type == "iso9660" || found->type == "udf") return kDriveCdRom;
  if (found->type == "tmpfs" || found->type == "ramfs") return kDriveRamDisk;
  if (found->device.rfind("/dev/", 0) != 0) return kDriveFixed;  // e.g. an overlay root
  const std::string block = BlockName(found->device);
  if (block.rfind("sr", 0) == 0) return kDriveCdRom;
  std::ifstream removable("/sys/block/" + block + "/removable");
  int flag = 0;
  if (!block.empty() && (removable >> flag) && flag == 1) return kDriveRemovable;
  return kDriveFixed;
}

}  // namespace refontis::platform
