// IdentifyFont: the fifth name record's text and head's revision, or false for any other file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "otf/open_type_manager.h"
#include "support/fake_platform.h"
#include "support/font_builder.h"

namespace refontis {
namespace {

using test::Bytes;
using test::NameRecordSpec;
using test::Text;
using test::Utf16be;

const char* const kPath = "/fonts/Candidate.otf";
constexpr uint32_t kUntouchedRevision = 0xDEADBEEF;
const char* const kUntouchedName = "untouched";

struct Identification {
  bool result;
  uint32_t revision = kUntouchedRevision;
  std::string name = kUntouchedName;
};

Identification Identify(COpenTypeManager& manager, const std::string& path) {
  Identification id;
  id.result = manager.IdentifyFont(path, &id.revision, &id.name);
  return id;
}

// Five Windows records, then the Macintosh ones: the fifth record is Windows Latin text.
std::vector<NameRecordSpec> WindowsFirst(const std::string& fullName) {
  std::vector<NameRecordSpec> records = {
      {3, 1, 0x409, 0, Utf16be("Copyright")}, {3, 1, 0x409, 1, Utf16be("Family")},
      {3, 1, 0x409, 2, Utf16be("Regular")},   {3, 1, 0x409, 3, Utf16be("Unique")},
      {3, 1, 0x409, 4, Utf16be(fullName)},
  };
  for (const auto& r : test::TypicalNameRecords(fullName, "L", "L")) {
    if (r.platformID == 1) records.push_back(r);
  }
  return records;
}

Bytes CffTable() { return Bytes(40, 0x11); }

TEST(IdentifyFont, ReadsNameAndRevisionOrSaysWhyNot) {
  const Bytes head = test::BuildHeadTable(0x00020000);
  const Bytes name = test::BuildNameTable(test::TypicalNameRecords("Sample Mincho W3", "L", "L"));
  const struct {
    const char* what;
    Bytes font;
    Identification expected;
  } cases[] = {
      {"typical font",
       test::TypicalFont("Sample Gothic W5", 0x00010800),
       {true, 0x00010800, "Sample Gothic W5"}},
      {"many records before name and head",
       test::BuildFont({{"BASE", Bytes(4, 1)},
                        {"CFF ", CffTable()},
                        {"GSUB", Bytes(8, 2)},
                        {"OS/2", Bytes(8, 3)},
                        {"head", head},
                        {"name", name}}),
       {true, 0x00020000, "Sample Mincho W3"}},
      {"Windows records first",
       test::BuildFont({{"head", head}, {"name", test::BuildNameTable(WindowsFirst("Sample"))}}),
       {false, 0x00020000, kUntouchedName}},
      {"TrueType outlines",
       test::BuildFont({{"head", head}, {"name", name}}, {.sfntVersion = 0x00010000}),
       {false}},
      {"font collection",
       test::BuildFont({{"head", head}, {"name", name}}, {.sfntVersion = 0x74746366}),
       {false}},
      {"head but no name",
       test::BuildFont({{"CFF ", CffTable()}, {"head", head}}),
       {false, 0x00020000, kUntouchedName}},
      {"name but no head",
       test::BuildFont({{"CFF ", CffTable()}, {"name", name}}),
       {false, kUntouchedRevision, "Sample Mincho W3"}},
      {"fewer than five name records",
       test::BuildFont(
           {{"head", head}, {"name", test::BuildNameTable({{1, 0, 0, 4, Text("Short")}})}}),
       {false, 0x00020000, kUntouchedName}},
      // The first name table that yields a text answers.
      {"two name tables, the first without a text",
       test::BuildFont(
           {{"name", test::BuildNameTable(WindowsFirst("First"))}, {"head", head}, {"name", name}}),
       {true, 0x00020000, "Sample Mincho W3"}},
      {"two head tables, the first answers",
       test::BuildFont(
           {{"head", test::BuildHeadTable(0x00030000)}, {"name", name}, {"head", head}}),
       {true, 0x00030000, "Sample Mincho W3"}},
      // Identification does not care which tables a font carries.
      {"a table outside the permitted list",
       test::BuildFont({{"DSIG", Bytes(8, 0)}, {"head", head}, {"name", name}}),
       {true, 0x00020000, "Sample Mincho W3"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::FakePlatform platform;
    platform.files[kPath] = c.font;
    COpenTypeManager manager(platform);
    const Identification id = Identify(manager, kPath);
    EXPECT_EQ(id.result, c.expected.result);
    EXPECT_EQ(id.revision, c.expected.revision);
    EXPECT_EQ(id.name, c.expected.name);
    // Nothing is kept.
    EXPECT_TRUE(manager.fileBytes.empty());
    EXPECT_TRUE(manager.tables.empty());
  }
}

TEST(IdentifyFont, UnreadableOrMalformedFilesAreNotIdentified) {
  const Bytes good = test::TypicalFont("Sample", 0x10000);  // CFF, cmap, head, name
  auto withRecord = [&](size_t i, uint32_t offset, uint32_t length) {
    Bytes b = good;
    test::PutU32(b, 12 + 16 * i + 8, offset);
    test::PutU32(b, 12 + 16 * i + 12, length);
    return b;
  };
  Bytes longDirectory = good;
  test::PutU16(longDirectory, 4, 0xFFFF);
  const uint32_t size = static_cast<uint32_t>(good.size());
  const struct {
    const char* what;
    Bytes bytes;
  } cases[] = {
      {"empty", {}},
      {"only the sfnt version", Bytes(good.begin(), good.begin() + 4)},
      {"cut inside the offset table", Bytes(good.begin(), good.begin() + 11)},
      {"cut inside the directory", Bytes(good.begin(), good.begin() + 12 + 16 * 3 + 7)},
      {"directory longer than the file", longDirectory},
      {"name table past the end", withRecord(3, size - 8, 16)},
      {"head table wrapping around 2^32", withRecord(2, 0xFFFFFFF0u, 0x20)},
      // Only the identifying tables are read, but a font with any table outside its file is not
      // a font the updater could load, so it is not identified either.
      {"CFF table past the end", withRecord(0, 0, size + 1)},
      {"cmap table wrapping around 2^32", withRecord(1, 8, 0xFFFFFFFCu)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::FakePlatform platform;
    platform.files[kPath] = c.bytes;
    COpenTypeManager manager(platform);
    EXPECT_FALSE(Identify(manager, kPath).result);
    EXPECT_TRUE(manager.fileBytes.empty());
  }

  test::FakePlatform platform;
  platform.files[kPath] = good;
  COpenTypeManager manager(platform);
  ASSERT_TRUE(Identify(manager, kPath).result);
  platform.unopenable.insert(kPath);
  EXPECT_FALSE(Identify(manager, kPath).result);
  platform.unopenable.clear();
  platform.shortRead[kPath] = good.size() - 3;
  EXPECT_FALSE(Identify(manager, kPath).result);
  EXPECT_FALSE(Identify(manager, "/fonts/missing.otf").result);
}

TEST(IdentifyFont, SuccessiveIdentificationsWithOneManagerKeepNothing) {
  test::FakePlatform platform;
  platform.files["/a.otf"] = test::TypicalFont("Font A", 0x00010000);
  platform.files["/b.otf"] = test::BuildFont({{"head", test::BuildHeadTable(0x00020000)}});
  platform.files["/c.otf"] = test::TypicalFont("Font C", 0x00030000);
  COpenTypeManager manager(platform);

  // A loaded font is released first, too.
  ASSERT_EQ(manager.LoadFont("/a.otf", nullptr, nullptr, 1, 0), 0);
  const Identification a = Identify(manager, "/a.otf");
  EXPECT_TRUE(a.result);
  EXPECT_EQ(a.name, "Font A");
  EXPECT_TRUE(manager.tables.empty());

  const Identification b = Identify(manager, "/b.otf");
  EXPECT_FALSE(b.result);
  EXPECT_EQ(b.revision, 0x00020000u);
  EXPECT_EQ(b.name, kUntouchedName);  // nothing of font A answers for font B

  const Identification c = Identify(manager, "/c.otf");
  EXPECT_TRUE(c.result);
  EXPECT_EQ(c.revision, 0x00030000u);
  EXPECT_EQ(c.name, "Font C");
  EXPECT_TRUE(manager.fileBytes.empty());
  EXPECT_EQ(platform.opened, (std::vector<std::string>{"/a.otf", "/a.otf", "/b.otf", "/c.otf"}));
}

}  // namespace
}  // namespace refontis
