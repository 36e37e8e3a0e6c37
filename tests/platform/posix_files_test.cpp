// The POSIX platform's file and folder calls, and the exclusive temporary files, in a real
// temporary folder.
#include <fcntl.h>
#include <ftw.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/posix/posix_platform.h"

namespace refontis::platform {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

// Deterministic, and long enough to need several rounds of a copy loop.
Bytes Pattern(size_t size, uint32_t seed) {
  Bytes bytes(size);
  for (auto& b : bytes) {
    seed = seed * 1103515245u + 12345u;
    b = static_cast<uint8_t>(seed >> 16);
  }
  return bytes;
}

bool IsSymlink(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool IsRegular(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) { return ::remove(path); }

// A fresh folder under /tmp for each test; `dir` ends in '/'.
class PosixFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/refontis-platform-XXXXXX";
    ASSERT_NE(::mkdtemp(name), nullptr);
    root_ = name;
    dir = root_ + "/";
  }
  void TearDown() override { ::nftw(root_.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS); }

  std::string root_;
  std::string dir;
  PosixPlatform platform;
};

TEST_F(PosixFilesTest, TempFolderHonoursTmpdirAndEndsInSeparator) {
  const char* saved = std::getenv("TMPDIR");
  const std::optional<std::string> restore =
      saved ? std::optional<std::string>(saved) : std::nullopt;
  const struct {
    const char* tmpdir;  // nullptr: unset
    const char* expected;
  } cases[] = {{"/var/tmp/x", "/var/tmp/x/"},
               {"/var/tmp/y/", "/var/tmp/y/"},
               {"", "/tmp/"},
               {nullptr, "/tmp/"}};
  for (const auto& c : cases) {
    if (c.tmpdir == nullptr) {
      ::unsetenv("TMPDIR");
    } else {
      ::setenv("TMPDIR", c.tmpdir, 1);
    }
    EXPECT_EQ(platform.TempFolder(), c.expected) << (c.tmpdir ? c.tmpdir : "(unset)");
  }
  if (restore) {
    ::setenv("TMPDIR", restore->c_str(), 1);
  } else {
    ::unsetenv("TMPDIR");
  }
}

TEST_F(PosixFilesTest, WholeFilesRoundTripThroughWriteAndRead) {
  const Bytes bytes = Pattern(70000, 1);
  ASSERT_TRUE(WriteWholeFile(platform, dir + "f.bin", bytes, CreateMode::kCreateNew));
  EXPECT_EQ(ReadBytes(dir + "f.bin"), bytes);
  const auto read = ReadWholeFile(platform, dir + "f.bin", ShareMode::kShared, 3);
  ASSERT_TRUE(read);
  Bytes padded = bytes;
  padded.insert(padded.end(), 3, 0);
  EXPECT_EQ(Bytes(read->begin(), read->end()), padded);
  // kCreateAlways replaces a longer file completely.
  ASSERT_TRUE(WriteWholeFile(platform, dir + "f.bin", Text("short"), CreateMode::kCreateAlways));
  EXPECT_EQ(ReadBytes(dir + "f.bin"), Text("short"));

  WriteBytes(dir + "empty", {});
  EXPECT_FALSE(ReadWholeFile(platform, dir + "empty", ShareMode::kShared, 0));
  EXPECT_FALSE(ReadWholeFile(platform, dir + "missing", ShareMode::kShared, 0));
  EXPECT_FALSE(ReadWholeFile(platform, root_, ShareMode::kShared, 0));  // a folder
}

TEST_F(PosixFilesTest, ExclusiveReadKeepsOutAnotherExclusiveReader) {
  WriteBytes(dir + "f", Text("abc"));
  auto first = platform.OpenForRead(dir + "f", ShareMode::kExclusive);
  ASSERT_TRUE(first);
  EXPECT_FALSE(platform.OpenForRead(dir + "f", ShareMode::kExclusive));
  EXPECT_TRUE(platform.OpenForRead(dir + "f", ShareMode::kShared));
  first.reset();
  EXPECT_TRUE(platform.OpenForRead(dir + "f", ShareMode::kExclusive));
}

TEST_F(PosixFilesTest, CreateNewRefusesExistingFilesAndLinks) {
  WriteBytes(dir + "existing", Text("keep me"));
  ASSERT_EQ(::symlink((dir + "existing").c_str(), (dir + "link").c_str()), 0);
  ASSERT_EQ(::symlink((dir + "made-through-link").c_str(), (dir + "dangling").c_str()), 0);
  for (const char* name : {"existing", "link", "dangling"}) {
    EXPECT_FALSE(platform.CreateForWrite(dir + name, CreateMode::kCreateNew)) << name;
  }
  EXPECT_EQ(ReadBytes(dir + "existing"), Text("keep me"));
  EXPECT_FALSE(platform.FileExists(dir + "made-through-link"));
  EXPECT_TRUE(IsSymlink(dir + "link"));
  EXPECT_TRUE(IsSymlink(dir + "dangling"));

  auto fresh = platform.CreateForWrite(dir + "fresh", CreateMode::kCreateNew);
  ASSERT_TRUE(fresh);
  ASSERT_TRUE(fresh->Write(Text("new")));
  ASSERT_TRUE(fresh->Close());
  EXPECT_EQ(ReadBytes(dir + "fresh"), Text("new"));
}

TEST_F(PosixFilesTest, ExistsDeleteAndDanglingLinks) {
  WriteBytes(dir + "file", Text("x"));
  ASSERT_EQ(::mkdir((dir + "sub").c_str(), 0755), 0);
  ASSERT_EQ(::symlink((dir + "nowhere").c_str(), (dir + "dangling").c_str()), 0);
  ASSERT_EQ(::symlink((dir + "file").c_str(), (dir + "link").c_str()), 0);
  EXPECT_TRUE(platform.FileExists(dir + "file"));
  EXPECT_TRUE(platform.FileExists(dir + "sub"));
  EXPECT_TRUE(platform.FileExists(dir + "dangling"));  // the name is taken
  EXPECT_FALSE(platform.FileExists(dir + "nowhere"));

  EXPECT_TRUE(platform.DeleteFile(dir + "link"));  // the link goes, not what it names
  EXPECT_FALSE(platform.FileExists(dir + "link"));
  EXPECT_EQ(ReadBytes(dir + "file"), Text("x"));
  EXPECT_TRUE(platform.DeleteFile(dir + "dangling"));
  EXPECT_TRUE(platform.DeleteFile(dir + "file"));
  EXPECT_FALSE(platform.FileExists(dir + "file"));
  EXPECT_FALSE(platform.DeleteFile(dir + "file"));
}

TEST_F(PosixFilesTest, CopyOverwritesWithAnExactCopy) {
  const Bytes source = Pattern(3 * 1024 * 1024 + 17, 7);  // several rounds of the copy buffer
  WriteBytes(dir + "source", source);
  WriteBytes(dir + "target", Pattern(4 * 1024 * 1024, 9));  // longer: must be cut
  ASSERT_TRUE(platform.CopyFile(dir + "source", dir + "target", false));
  EXPECT_EQ(ReadBytes(dir + "target"), source);
  EXPECT_EQ(ReadBytes(dir + "source"), source);

  ASSERT_TRUE(platform.CopyFile(dir + "source", dir + "new", false));
  EXPECT_EQ(ReadBytes(dir + "new"), source);

  EXPECT_FALSE(platform.CopyFile(dir + "missing", dir + "other", false));
  EXPECT_FALSE(platform.FileExists(dir + "other"));
  EXPECT_FALSE(platform.CopyFile(root_, dir + "other", false));  // a folder is no file
}

TEST_F(PosixFilesTest, CopyWithFailIfExistsKeepsTheExistingFile) {
  WriteBytes(dir + "source", Text("source bytes"));
  WriteBytes(dir + "target", Text("old"));
  EXPECT_FALSE(platform.CopyFile(dir + "source", dir + "target", true));
  EXPECT_EQ(ReadBytes(dir + "target"), Text("old"));
  ASSERT_EQ(::symlink((dir + "via-link").c_str(), (dir + "dangling").c_str()), 0);
  EXPECT_FALSE(platform.CopyFile(dir + "source", dir + "dangling", true));
  EXPECT_FALSE(platform.FileExists(dir + "via-link"));
  ASSERT_TRUE(platform.CopyFile(dir + "source", dir + "fresh", true));
  EXPECT_EQ(ReadBytes(dir + "fresh"), Text("source bytes"));
}

TEST_F(PosixFilesTest, CopyOntoItselfLeavesTheFileIntact) {
  const Bytes bytes = Pattern(5000, 3);
  WriteBytes(dir + "font.otf", bytes);
  ASSERT_EQ(::link((dir + "font.otf").c_str(), (dir + "hard").c_str()), 0);
  ASSERT_EQ(::symlink((dir + "font.otf").c_str(), (dir + "soft").c_str()), 0);
  for (const char* to : {"font.otf", "hard", "soft"}) {
    EXPECT_FALSE(platform.CopyFile(dir + "font.otf", dir + to, false)) << to;
    EXPECT_EQ(ReadBytes(dir + "font.otf"), bytes) << to;
  }
}

TEST_F(PosixFilesTest, ListFolderGivesNamesWithWindowsAttributes) {
  ASSERT_EQ(::mkdir((dir + "sub").c_str(), 0755), 0);
  WriteBytes(dir + "sub/inner.otf", Text("i"));
  WriteBytes(dir + "plain.otf", Text("p"));
  WriteBytes(dir + "ro.otf", Text("r"));
  ASSERT_EQ(::chmod((dir + "ro.otf").c_str(), 0444), 0);
  WriteBytes(dir + "group-ro.otf", Text("g"));
  ASSERT_EQ(::chmod((dir + "group-ro.otf").c_str(), 0644), 0);  // only the owner's bit counts
  ASSERT_EQ(::symlink((dir + "sub").c_str(), (dir + "folder-link").c_str()), 0);
  ASSERT_EQ(::symlink("plain.otf", (dir + "file-link").c_str()), 0);
  ASSERT_EQ(::symlink((dir + "nowhere").c_str(), (dir + "dangling").c_str()), 0);
  ASSERT_EQ(::mkfifo((dir + "pipe").c_str(), 0644), 0);

  const auto entries = platform.ListFolder(dir);
  ASSERT_TRUE(entries);
  std::map<std::string, uint32_t> got;
  for (const auto& e : *entries) EXPECT_TRUE(got.emplace(e.name, e.attributes).second) << e.name;
  const std::map<std::string, uint32_t> expected = {
      {".", kAttributeDirectory},
      {"..", kAttributeDirectory},
      {"sub", kAttributeDirectory},
      {"folder-link", kAttributeDirectory},
      {"plain.otf", 0},
      {"file-link", 0},
      {"ro.otf", kAttributeReadOnly},
      {"group-ro.otf", 0},
  };
  EXPECT_EQ(got, expected);

  // The linked folder lists as the folder itself.
  const auto viaLink = platform.ListFolder(dir + "folder-link/");
  ASSERT_TRUE(viaLink);
  bool inner = false;
  for (const auto& e : *viaLink) inner = inner || (e.name == "inner.otf" && e.attributes == 0);
  EXPECT_TRUE(inner);

  EXPECT_FALSE(platform.ListFolder(dir + "missing/"));
  EXPECT_FALSE(platform.ListFolder(dir + "plain.otf/"));
}

TEST_F(PosixFilesTest, ListFolderStaysOnItsDevice) {
  struct stat here {
  }, proc{};
  ASSERT_EQ(::stat(root_.c_str(), &here), 0);
  if (::stat("/proc", &proc) != 0 || proc.st_dev == here.st_dev) {
    GTEST_SKIP() << "no /proc on another device";
  }
  ASSERT_EQ(::symlink("/proc", (dir + "proc-link").c_str()), 0);
  ASSERT_EQ(::mkdir((dir + "same").c_str(), 0755), 0);
  ASSERT_EQ(::symlink((dir + "same").c_str(), (dir + "same-link").c_str()), 0);
  const auto entries = platform.ListFolder(dir);
  ASSERT_TRUE(entries);
  std::map<std::string, uint32_t> got;
  for (const auto& e : *entries) got[e.name] = e.attributes;
  EXPECT_EQ(got.count("proc-link"), 0u);
  EXPECT_EQ(got["same-link"], kAttributeDirectory);
  EXPECT_EQ(got["same"], kAttributeDirectory);
}

// The clock and the random numbers made predictable, so a test can plant a file or link at
// every name a temporary file can get.
class PredictablePlatform : public PosixPlatform {
 public:
  explicit PredictablePlatform(std::string temp) : temp_(std::move(temp)) {}
  int64_t Time() override { return 1700000000; }
  int Rand() override { return next++; }
  std::string TempFolder() override { return temp_; }
  int next = 0;

 private:
  std::string temp_;
};

std::string TempName(int k) { return "1700000000" + std::to_string(k) + ".ini"; }

TEST_F(PosixFilesTest, CreateTempFileIsNamedTimeRandomSuffix) {
  PredictablePlatform predictable(dir);
  predictable.next = 300;  // 300 % 255 = 45
  const auto path = CreateTempFile(predictable, ".ini", Text("[S]\nk=v\n"));
  ASSERT_TRUE(path);
  EXPECT_EQ(*path, dir + TempName(45));
  EXPECT_TRUE(IsRegular(*path));
  EXPECT_EQ(ReadBytes(*path), Text("[S]\nk=v\n"));
}

TEST_F(PosixFilesTest, CreateTempFileNeverFollowsAPlantedLink) {
  WriteBytes(dir + "victim", Text("precious"));
  // Every name the temporary file can get is taken: links to an existing file, and dangling
  // links that would create a file where they point.
  for (int k = 0; k < 255; ++k) {
    const std::string target = k % 2 == 0 ? dir + "victim" : dir + "planted-" + std::to_string(k);
    ASSERT_EQ(::symlink(target.c_str(), (dir + TempName(k)).c_str()), 0);
  }
  PredictablePlatform predictable(dir);
  EXPECT_FALSE(CreateTempFile(predictable, ".ini", Text("attacker gets this")));
  EXPECT_EQ(ReadBytes(dir + "victim"), Text("precious"));
  for (int k = 0; k < 255; ++k) {
    EXPECT_TRUE(IsSymlink(dir + TempName(k))) << k;
    EXPECT_FALSE(platform.FileExists(dir + "planted-" + std::to_string(k))) << k;
  }
  // Only the victim and the links are there: nothing else was made.
  const auto entries = platform.ListFolder(dir);
  ASSERT_TRUE(entries);
  for (const auto& e : *entries) {
    if (e.name == "." || e.name == ".." || e.name == "victim") continue;
    EXPECT_TRUE(IsSymlink(dir + e.name)) << e.name;
  }
}

TEST_F(PosixFilesTest, CreateTempFileDrawsAgainPastTakenNames) {
  WriteBytes(dir + "victim", Text("precious"));
  for (int k = 0; k < 20; ++k) {
    ASSERT_EQ(::symlink((dir + "victim").c_str(), (dir + TempName(k)).c_str()), 0);
  }
  WriteBytes(dir + TempName(20), Text("someone else's"));
  PredictablePlatform predictable(dir);
  const auto path = CreateTempFile(predictable, ".ini", Text("mine"));
  ASSERT_TRUE(path);
  EXPECT_EQ(*path, dir + TempName(21));
  EXPECT_TRUE(IsRegular(*path));
  EXPECT_EQ(ReadBytes(*path), Text("mine"));
  EXPECT_EQ(ReadBytes(dir + "victim"), Text("precious"));
  EXPECT_EQ(ReadBytes(dir + TempName(20)), Text("someone else's"));
}

TEST_F(PosixFilesTest, CreateTempFileFailsInAFolderThatTakesNoFiles) {
  PredictablePlatform missing(dir + "no-such-folder/");
  EXPECT_FALSE(CreateTempFile(missing, ".ini", Text("x")));
  PredictablePlatform none("");
  EXPECT_FALSE(CreateTempFile(none, ".ini", Text("x")));
}

}  // namespace
}  // namespace refontis::platform
