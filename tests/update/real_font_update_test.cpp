// End to end on the real POSIX platform: a Noto-derived old font installed in a sandbox drive is
// found by the search and revised in place with a patch made by the product's builder.
#include <ftw.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "otf/open_type_manager.h"
#include "platform/posix/posix_platform.h"
#include "search/product_patches.h"
#include "support/patch_builder.h"

namespace refontis {
namespace {

using test::Bytes;

// The real platform, with one sandbox folder as the only (fixed) drive and a temporary
// folder of its own.
class SandboxPlatform : public platform::PosixPlatform {
 public:
  SandboxPlatform(std::string drive, std::string temp)
      : drive_(std::move(drive)), temp_(std::move(temp)) {}
  std::optional<std::vector<std::string>> LogicalDriveRoots() override {
    return std::vector<std::string>{drive_};
  }
  int GetDriveType(const std::string& root) override {
    return root == drive_ ? platform::kDriveFixed : platform::kDriveNoRootDir;
  }
  std::string TempFolder() override { return temp_; }

 private:
  std::string drive_;
  std::string temp_;
};

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

void MakeFolders(const std::string& path) {
  for (size_t at = path.find('/', 1); at != std::string::npos; at = path.find('/', at + 1)) {
    ::mkdir(path.substr(0, at).c_str(), 0755);
  }
}

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  auto listing = platform::PosixPlatform().ListFolder(folder);
  for (const auto& e : listing.value_or(std::vector<platform::FolderEntry>{})) {
    if ((e.attributes & platform::kAttributeDirectory) == 0) names.push_back(e.name);
  }
  return names;
}

int NoProgress(int, int, const char*, const char*, OwnerWindow) { return 0; }
int NoMessage(const char*, OwnerWindow) { return 0; }

std::map<std::string, Bytes> TablesOf(const Bytes& font) {
  std::map<std::string, Bytes> tables;
  for (const test::DirectoryEntry& e : test::ReadDirectory(font)) {
    tables[e.tag] = Bytes(font.begin() + e.offset, font.begin() + e.offset + e.length);
  }
  return tables;
}

class RealFontUpdateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::ResetSingletons();
    const char* fonts = std::getenv("REFONTIS_REAL_FONTS");
    ASSERT_NE(fonts, nullptr) << "REFONTIS_REAL_FONTS is not set";
    fonts_ = fonts;
    char pattern[] = "/tmp/refontis-sandbox-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    sandbox_ = pattern;
    drive_ = sandbox_ + "/drive/";
    temp_ = sandbox_ + "/temp/";
    MakeFolders(drive_);
    MakeFolders(temp_);
  }
  void TearDown() override {
    test::ResetSingletons();
    ::nftw(
        sandbox_.c_str(), [](const char* p, const struct stat*, int, FTW*) { return ::remove(p); },
        16, FTW_DEPTH | FTW_PHYS);
  }

  std::string fonts_, sandbox_, drive_, temp_;
};

TEST_F(RealFontUpdateTest, AnInstalledOldFontIsFoundAndRevisedToTheNewFontsTables) {
  const std::string stem = "NotoSansFixture-Regular";
  const std::string oldPath = fonts_ + "/noto-sans-old.otf";
  const std::string newPath = fonts_ + "/noto-sans-new.otf";
  const Bytes oldFont = ReadFile(oldPath);
  const Bytes newFont = ReadFile(newPath);
  ASSERT_GT(oldFont.size(), 1000000u);

  SandboxPlatform platform(drive_, temp_);
  // The patch, as the product's builder makes it.
  CMakeSabunData builder(platform);
  ASSERT_TRUE(builder.LoadFonts(oldPath, newPath, nullptr, nullptr));
  CUpdateInfoCtrl::Reset();
  for (const auto& table : builder.newFont->tables) {
    std::string tag = table->tagText;
    if (tag.size() == 4 && tag[3] == ' ') tag.pop_back();
    if (CUpdateInfoCtrl::Instance().Find(table->tagText) == nullptr) {
      CUpdateInfoCtrl::Instance().AddEntry(tag, 1);
    }
  }
  const std::string patchPath = sandbox_ + "/" + stem + ".pa";
  ASSERT_TRUE(builder.MakeSabun(patchPath, nullptr, nullptr, 1, 0));
  test::EmbedPatches(platform.Resources(), {{stem + ".pa", ReadFile(patchPath)}});

  // The old font where a user keeps fonts, reached a second time through a folder link; the
  // revised font, and a read-only copy of the old one, elsewhere.
  const std::string installed = drive_ + "home/user/.fonts/" + stem + ".otf";
  MakeFolders(installed);
  WriteFile(installed, oldFont);
  ASSERT_EQ(::symlink((drive_ + "home/user/.fonts").c_str(), (drive_ + "fonts-link").c_str()), 0);
  const std::string viaLink = drive_ + "fonts-link/" + stem + ".otf";
  MakeFolders(drive_ + "opt/new/");
  WriteFile(drive_ + "opt/new/" + stem + ".otf", newFont);
  MakeFolders(drive_ + "opt/locked/");
  WriteFile(drive_ + "opt/locked/" + stem + ".otf", oldFont);
  ::chmod((drive_ + "opt/locked/" + stem + ".otf").c_str(), 0444);

  CFolderCheckCtrl& search = CFolderCheckCtrl::Instance(platform);
  ASSERT_EQ(search.PatchCount(), 1u);
  EXPECT_TRUE(search.SearchFonts(&NoMessage, nullptr));
  ASSERT_EQ(search.FoundCount(), 2u);
  // In the order the system lists the folders, which is no particular one.
  std::vector<std::string> found = {search.Found(0).path, search.Found(1).path};
  std::sort(found.begin(), found.end());
  EXPECT_EQ(found, (std::vector<std::string>{viaLink, installed}));

  // Revised as the run flow does it: one job per record, in list order.
  for (size_t i = 0; i < search.FoundCount(); ++i) {
    COpenTypeManager font(platform);
    int progressOwner = 0;
    EXPECT_EQ(font.UpdateFont(search.Found(i).path, search.Found(i).versionKey, &NoProgress,
                              &progressOwner, 2, static_cast<int>(i)),
              0)
        << search.Found(i).path;
  }

  const Bytes revised = ReadFile(installed);
  const auto revisedTables = TablesOf(revised);
  const auto newTables = TablesOf(newFont);
  ASSERT_EQ(revisedTables.size(), newTables.size());
  for (const auto& [tag, bytes] : newTables) {
    ASSERT_EQ(revisedTables.count(tag), 1u) << tag;
    EXPECT_TRUE(revisedTables.at(tag) == bytes) << "table " << tag << " differs";
  }
  // The name-ID-13 texts carried over are the new font's own in this pair, so the whole file
  // is the one fontTools wrote.
  EXPECT_TRUE(revised == newFont);
  EXPECT_EQ(test::SumWords(revised), 0xB1B0AFBAu);
  EXPECT_TRUE(ReadFile(drive_ + "opt/locked/" + stem + ".otf") == oldFont);

  EXPECT_EQ(FilesIn(temp_).size(), 1u) << "only the configuration copy";
  test::ResetSingletons();
  EXPECT_TRUE(FilesIn(temp_).empty());
}

}  // namespace
}  // namespace refontis
