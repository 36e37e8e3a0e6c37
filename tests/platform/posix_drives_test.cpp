// The POSIX drive list and drive types, read from a mount table of the test's own.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "platform/posix/posix_platform.h"

namespace refontis::platform {
namespace {

class PosixDrivesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/refontis-drives-XXXXXX";
    ASSERT_NE(::mkdtemp(name), nullptr);
    dir_ = name;
    table_ = dir_ + "/mounts";
    hostsFile_ = dir_ + "/hosts";
    std::ofstream(hostsFile_) << "127.0.0.1 localhost\n";
    platform.SetMountTable(table_);
  }
  void TearDown() override {
    ::unlink(table_.c_str());
    ::unlink(hostsFile_.c_str());
    ::rmdir(dir_.c_str());
  }
  void WriteTable(const std::string& text) { std::ofstream(table_) << text; }

  std::string dir_, table_, hostsFile_;
  PosixPlatform platform;
};

// The devices named here do not exist, so none of them reads as removable.
constexpr char kContainerTable[] =
    "overlay / overlay rw,relatime,lowerdir=/l,upperdir=/u,workdir=/w 0 0\n"
    "proc /proc proc rw,nosuid,nodev,noexec,relatime 0 0\n"
    "sysfs /sys sysfs ro,nosuid,nodev,noexec,relatime 0 0\n"
    "/dev/refontis-none1 /mnt/data ext4 rw,relatime 0 0\n"
    "tmpfs /dev/shm tmpfs rw,nosuid,nodev 0 0\n"
    "server:/export /mnt/nfs nfs rw,vers=3 0 0\n"
    "devtmpfs /dev devtmpfs rw 0 0\n"
    "/dev/refontis-none2 /mnt/with\\040blank\\040name ext4 rw 0 0\n"
    "//host/share /mnt/smb cifs rw 0 0\n"
    "/dev/refontis-none3 /media/cd iso9660 ro 0 0\n"
    "tmpfs /run tmpfs rw 0 0\n";

TEST_F(PosixDrivesTest, RootsAreTheRootDisksAndNetworkMountsInTableOrder) {
  WriteTable(kContainerTable);
  const auto roots = platform.LogicalDriveRoots();
  ASSERT_TRUE(roots);
  EXPECT_EQ(*roots, (std::vector<std::string>{"/", "/mnt/data/", "/mnt/nfs/",
                                              "/mnt/with blank name/", "/mnt/smb/", "/media/cd/"}));
}

TEST_F(PosixDrivesTest, DriveTypesFollowTheFileSystem) {
  WriteTable(kContainerTable);
  const struct {
    const char* root;
    int type;
  } cases[] = {
      {"/", kDriveFixed},  // an overlay root is still the system's disk
      {"/mnt/data/", kDriveFixed},
      {"/mnt/data", kDriveFixed},  // the separator may be left off
      {"/mnt/with blank name/", kDriveFixed},
      {"/mnt/nfs/", kDriveRemote},
      {"/mnt/smb/", kDriveRemote},
      {"/media/cd/", kDriveCdRom},
      {"/run/", kDriveRamDisk},
      {"/nowhere/", kDriveNoRootDir},
      {"/mnt/", kDriveNoRootDir},  // a folder on a drive is no drive
  };
  for (const auto& c : cases) EXPECT_EQ(platform.GetDriveType(c.root), c.type) << c.root;
}

TEST_F(PosixDrivesTest, TheLastMountOnAPathIsTheVisibleOne) {
  WriteTable(
      "/dev/refontis-none1 / ext4 rw 0 0\n"
      "/dev/refontis-none2 /mnt/hidden ext4 rw 0 0\n"
      "tmpfs /mnt/hidden tmpfs rw 0 0\n"
      "tmpfs /mnt/shown tmpfs rw 0 0\n"
      "/dev/refontis-none3 /mnt/shown ext4 rw 0 0\n"
      "/dev/refontis-none3 /mnt/shown ext4 rw 0 0\n");
  const auto roots = platform.LogicalDriveRoots();
  ASSERT_TRUE(roots);
  EXPECT_EQ(*roots, (std::vector<std::string>{"/", "/mnt/hidden/", "/mnt/shown/"}));
  EXPECT_EQ(platform.GetDriveType("/mnt/hidden/"), kDriveRamDisk);
  EXPECT_EQ(platform.GetDriveType("/mnt/shown/"), kDriveFixed);
}

TEST_F(PosixDrivesTest, AFileMountedFromADiskIsNoDrive) {
  // As a container's /etc/hosts is bind-mounted from the host's disk.
  WriteTable(
      "overlay / overlay rw 0 0\n"
      "/dev/refontis-none1 " +
      hostsFile_ +
      " ext4 rw 0 0\n"
      "/dev/refontis-none1 " +
      dir_ + " ext4 rw 0 0\n");
  const auto roots = platform.LogicalDriveRoots();
  ASSERT_TRUE(roots);
  EXPECT_EQ(*roots, (std::vector<std::string>{"/", dir_ + "/"}));
}

TEST_F(PosixDrivesTest, NoTableNoDrives) {
  platform.SetMountTable(dir_ + "/missing");
  EXPECT_FALSE(platform.LogicalDriveRoots());
  EXPECT_EQ(platform.GetDriveType("/"), kDriveNoRootDir);
}

TEST(PosixDrivesSystem, TheRunningSystemHasAFixedRoot) {
  PosixPlatform platform;
  const auto roots = platform.LogicalDriveRoots();
  ASSERT_TRUE(roots);
  ASSERT_FALSE(roots->empty());
  for (const auto& root : *roots) EXPECT_EQ(root.back(), '/') << root;
  EXPECT_EQ(std::count(roots->begin(), roots->end(), "/"), 1);
  EXPECT_EQ(platform.GetDriveType("/"), kDriveFixed);
}

}  // namespace
}  // namespace refontis::platform
