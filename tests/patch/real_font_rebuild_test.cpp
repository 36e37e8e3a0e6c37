// The rebuild on the real font pair, with a patch from the independent script: the sum left for
// the update job's check must be the sum of the file written.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "otf/open_type_manager.h"
#include "patch/sabun_data.h"
#include "support/font_builder.h"

namespace refontis {
namespace {

test::Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return test::Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(RealFontRebuild, ExpectedFileSumIsTheSumOfTheWrittenFile) {
  const char* fonts = std::getenv("REFONTIS_REAL_FONTS");
  ASSERT_NE(fonts, nullptr);
  const std::string oldPath = std::string(fonts) + "/noto-sans-old.otf";
  const std::string newPath = std::string(fonts) + "/noto-sans-new.otf";
  std::string dir = (std::filesystem::temp_directory_path() / "refontis-real-XXXXXX").string();
  ASSERT_NE(mkdtemp(dir.data()), nullptr);
  const std::string patchPath = dir + "/noto-sans.pa", outPath = dir + "/out.otf";
  const std::string command = std::string("/usr/bin/python3 ") + REFONTIS_SOURCE_DIR +
                              "/tests/patch/make_patch.py '" + oldPath + "' '" + newPath + "' '" +
                              patchPath + "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;

  COpenTypeManager font(platform::NativePlatform());
  ASSERT_EQ(font.LoadFont(oldPath, nullptr, nullptr, 1, 0), 0);
  bool found = false;
  for (size_t i = 0; i < font.header.numTables && !found; ++i) {
    found = font.ReadName13(font.DirectoryRecord(i), &font.macName13, &font.winName13);
  }
  ASSERT_TRUE(found);
  ASSERT_EQ(font.BuildNewFontFromFile(oldPath, patchPath, outPath, nullptr, nullptr, 1, 0), 0);

  const test::Bytes written = ReadFile(outPath);
  ASSERT_EQ(written.size(), ReadFile(newPath).size());
  test::Bytes whole(written.begin(),
                    written.begin() + static_cast<std::ptrdiff_t>(written.size() / 4 * 4));
  EXPECT_EQ(font.expectedFileSum, test::SumWords(whole));
  EXPECT_EQ(test::SumWords(written), 0xB1B0AFBAu);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace refontis
