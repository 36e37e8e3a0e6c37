// The configuration controller over a fake platform: patch file list, temporary copy, start page.
#include "config/res_file_ctrl.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/fake_platform.h"

namespace refontis {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes ToBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

// Stems of 17 to 28 ASCII characters, as shipped.
std::string Stem(int n) {
  return "RefontisDemoSans" + std::string(static_cast<size_t>(n % 9), 'x') + "-W" +
         std::to_string(n);
}

const char kHeading[] = "デモ書体シリーズの 22 書体を改訂します。";

// Code page 932 at run time; ソ and 表 end in a 5C byte.
std::string Title(int i) { return "　　・デモソ表ゴシック" + std::to_string(i) + " / W3 / W6"; }

// A configuration in the shipped shape, with `count` patch files.
std::string ShippedIni(int count = 22, int titles = 13) {
  std::string text = "[UPDATE_FONT]\r\nMAXNUM=" + std::to_string(count) + "\r\n";
  for (int n = 1; n <= count; ++n) {
    text += "FONT_PAFILE" + std::to_string(n) + "=" + Stem(n) + ".pa\r\n";
    text += "FONT_RESNUM" + std::to_string(n) + "=" + std::to_string(2000 + n) + "\r\n";
  }
  text += "\r\n[UPDATE_STARTDLG_STRING]\r\n";
  text += std::string("MAIN_TEXTTITLE=") + kHeading + "\r\n";
  text += "MAXNUM=" + std::to_string(titles) + "\r\n";
  for (int i = 1; i <= titles; ++i) {
    text += "FONT_TEXTTITLE" + std::to_string(i) + "=" + Title(i) + "\r\n";
  }
  return text;
}

class ResFileCtrlTest : public ::testing::Test {
 protected:
  void SetUp() override { CResFileCtrl::DeleteInstance(); }
  void TearDown() override { CResFileCtrl::DeleteInstance(); }

  void SetIni(const std::string& text) {
    platform.resources.AddCopy("INIFILE", 2000, ToBytes(text));
  }
  // Patch resources: any non-empty bytes will do for the configuration side.
  void AddPatches(int first, int last) {
    for (int id = first; id <= last; ++id) AddPatch(id);
  }
  void AddPatch(int id) {
    platform.resources.AddCopy("FONT_PA", id, ToBytes("patch " + std::to_string(id)));
  }
  CResFileCtrl& Load() { return CResFileCtrl::Instance(platform); }

  test::FakePlatform platform;
};

TEST_F(ResFileCtrlTest, ShippedShapeGivesAllEntriesInKeyOrder) {
  SetIni(ShippedIni());
  AddPatches(2001, 2022);
  CResFileCtrl& ctrl = Load();
  EXPECT_EQ(ctrl.ConfiguredCount(), 22);
  ASSERT_EQ(ctrl.EntryCount(), 22);
  for (int n = 1; n <= 22; ++n) {
    const PatchFileEntry& e = ctrl.Entry(n - 1);
    EXPECT_EQ(e.resourceId, static_cast<uint32_t>(2000 + n));
    EXPECT_EQ(e.fontFileName, Stem(n) + ".otf");
    EXPECT_EQ(e.patchFileName, Stem(n) + ".pa");
    EXPECT_GE(Stem(n).size(), 17u);
    EXPECT_LE(Stem(n).size(), 28u);
  }
  EXPECT_EQ(&CResFileCtrl::Instance(platform), &ctrl);  // one instance, loaded once
  EXPECT_EQ(platform.created.size(), 1u);
}

TEST_F(ResFileCtrlTest, ReadingStopsAtTheFirstUnusableEntry) {
  const struct {
    const char* name;
    std::string updateFont;  // the [UPDATE_FONT] section's lines after MAXNUM=3
    int expectedEntries;
  } cases[] = {
      {"all three",
       "FONT_PAFILE1=A.pa\nFONT_RESNUM1=2001\nFONT_PAFILE2=B.pa\nFONT_RESNUM2=2002\n"
       "FONT_PAFILE3=C.pa\nFONT_RESNUM3=2003\n",
       3},
      {"no FONT_PAFILE2",
       "FONT_PAFILE1=A.pa\nFONT_RESNUM1=2001\nFONT_RESNUM2=2002\n"
       "FONT_PAFILE3=C.pa\nFONT_RESNUM3=2003\n",
       1},
      {"empty FONT_PAFILE2",
       "FONT_PAFILE1=A.pa\nFONT_RESNUM1=2001\nFONT_PAFILE2=\n"
       "FONT_RESNUM2=2002\nFONT_PAFILE3=C.pa\nFONT_RESNUM3=2003\n",
       1},
      {"FONT_RESNUM2 0",
       "FONT_PAFILE1=A.pa\nFONT_RESNUM1=2001\nFONT_PAFILE2=B.pa\nFONT_RESNUM2=0\n"
       "FONT_PAFILE3=C.pa\nFONT_RESNUM3=2003\n",
       1},
      {"FONT_RESNUM2 not a number",
       "FONT_PAFILE1=A.pa\nFONT_RESNUM1=2001\nFONT_PAFILE2=B.pa\n"
       "FONT_RESNUM2=abc\nFONT_PAFILE3=C.pa\nFONT_RESNUM3=2003\n",
       1},
      {"no FONT_RESNUM2 and no resource 65535",
       "FONT_PAFILE1=A.pa\nFONT_RESNUM1=2001\n"
       "FONT_PAFILE2=B.pa\nFONT_PAFILE3=C.pa\n"
       "FONT_RESNUM3=2003\n",
       1},
      {"resource 2009 missing",
       "FONT_PAFILE1=A.pa\nFONT_RESNUM1=2001\nFONT_PAFILE2=B.pa\n"
       "FONT_RESNUM2=2009\nFONT_PAFILE3=C.pa\nFONT_RESNUM3=2003\n",
       1},
      {"empty resource 2004",
       "FONT_PAFILE1=A.pa\nFONT_RESNUM1=2001\nFONT_PAFILE2=B.pa\n"
       "FONT_RESNUM2=2004\nFONT_PAFILE3=C.pa\nFONT_RESNUM3=2003\n",
       1},
      {"no FONT_PAFILE1", "FONT_RESNUM1=2001\nFONT_PAFILE2=B.pa\nFONT_RESNUM2=2002\n", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CResFileCtrl::DeleteInstance();
    platform = test::FakePlatform();
    SetIni("[UPDATE_FONT]\nMAXNUM=3\n" + c.updateFont);
    AddPatches(2001, 2003);
    platform.resources.AddCopy("FONT_PA", 2004, {});
    AddPatch(0);  // a resource id of 0 ends the list even where such a resource exists
    CResFileCtrl& ctrl = Load();
    EXPECT_EQ(ctrl.ConfiguredCount(), 3);
    ASSERT_EQ(ctrl.EntryCount(), c.expectedEntries);
    const char* names[] = {"A", "B", "C"};
    for (int k = 0; k < c.expectedEntries; ++k) {
      EXPECT_EQ(ctrl.Entry(k).fontFileName, std::string(names[k]) + ".otf");
      EXPECT_EQ(ctrl.Entry(k).resourceId, static_cast<uint32_t>(2001 + k));
    }
  }
}

TEST_F(ResFileCtrlTest, MissingResnumLooksForResource65535) {
  SetIni("[UPDATE_FONT]\nMAXNUM=2\nFONT_PAFILE1=A.pa\nFONT_PAFILE2=B.pa\nFONT_RESNUM2=67538\n");
  AddPatch(65535);
  AddPatch(2002);  // 67538 = 0x10000 + 2002: only the low 16 bits name the resource
  CResFileCtrl& ctrl = Load();
  ASSERT_EQ(ctrl.EntryCount(), 2);
  EXPECT_EQ(ctrl.Entry(0).resourceId, 65535u);
  EXPECT_EQ(ctrl.Entry(1).resourceId, 2002u);
}

TEST_F(ResFileCtrlTest, OnlyTheFileNameStemOfThePatchNameIsUsed) {
  const struct {
    const char* value;
    const char* fontFile;
  } cases[] = {
      {"sub\\Name.pa", "Name.otf"},
      {"sub/Name.pa", "Name.otf"},
      {"C:\\patches\\deep\\Name.pa", "Name.otf"},
      {"C:Name.pa", "Name.otf"},
      {"Name.v2.pa", "Name.v2.otf"},
      {"Name", "Name.otf"},
      // ソ ends in a 5C byte: it is no folder separator.
      {"ソ表\\フォント.pa", "フォント.otf"},
      {"フォントソ.pa", "フォントソ.otf"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    CResFileCtrl::DeleteInstance();
    platform = test::FakePlatform();
    SetIni(std::string("[UPDATE_FONT]\nMAXNUM=1\nFONT_PAFILE1=") + c.value +
           "\nFONT_RESNUM1=2001\n");
    AddPatch(2001);
    CResFileCtrl& ctrl = Load();
    ASSERT_EQ(ctrl.EntryCount(), 1);
    EXPECT_EQ(ctrl.Entry(0).fontFileName, c.fontFile);
    EXPECT_EQ(ctrl.Entry(0).patchFileName, c.value);
  }
}

TEST_F(ResFileCtrlTest, MaxnumDecidesTheConfiguredCount) {
  const struct {
    const char* maxnum;  // nullptr: no MAXNUM key
    int configured;
    int entries;
  } cases[] = {
      {nullptr, 0, 0}, {"", 0, 0},  {"0", 0, 0},       {"abc", 0, 0},
      {"-3", -3, 0},   {"2", 2, 2}, {"2 fonts", 2, 2}, {"5", 5, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.maxnum ? c.maxnum : "(missing)");
    CResFileCtrl::DeleteInstance();
    platform = test::FakePlatform();
    std::string ini = "[UPDATE_FONT]\n";
    if (c.maxnum) ini += std::string("MAXNUM=") + c.maxnum + "\n";
    for (int n = 1; n <= 3; ++n) {
      ini += "FONT_PAFILE" + std::to_string(n) + "=F" + std::to_string(n) + ".pa\n";
      ini += "FONT_RESNUM" + std::to_string(n) + "=" + std::to_string(2000 + n) + "\n";
    }
    SetIni(ini);
    AddPatches(2001, 2003);
    CResFileCtrl& ctrl = Load();
    EXPECT_EQ(ctrl.ConfiguredCount(), c.configured);
    EXPECT_EQ(ctrl.EntryCount(), c.entries);
  }
}

TEST_F(ResFileCtrlTest, MissingConfigurationResourceMakesNoTemporaryFile) {
  AddPatches(2001, 2022);
  platform.resources.AddCopy("INIFILE", 2001, ToBytes(ShippedIni()));  // the wrong id
  CResFileCtrl& ctrl = Load();
  EXPECT_EQ(ctrl.ConfiguredCount(), 0);
  EXPECT_EQ(ctrl.EntryCount(), 0);
  EXPECT_TRUE(ctrl.ConfigurationPath().empty());
  EXPECT_TRUE(platform.created.empty());
  EXPECT_TRUE(platform.files.empty());
  EXPECT_EQ(ctrl.GetStartPageText(), "");
}

TEST_F(ResFileCtrlTest, UncreatableTemporaryFileLeavesTheConfigurationUnread) {
  SetIni(ShippedIni());
  AddPatches(2001, 2022);
  platform.uncreatable.insert("/tmp/" + std::to_string(platform.now) + "0.ini");
  CResFileCtrl& ctrl = Load();
  EXPECT_EQ(ctrl.ConfiguredCount(), 0);
  EXPECT_EQ(ctrl.EntryCount(), 0);
  EXPECT_TRUE(platform.files.empty());

  CResFileCtrl::DeleteInstance();
  platform.tempFolder = "";  // the system names no temporary folder
  EXPECT_EQ(Load().ConfiguredCount(), 0);
  EXPECT_TRUE(platform.files.empty());
}

TEST_F(ResFileCtrlTest, TemporaryCopyHoldsTheResourceAndGoesWithTheInstance) {
  const std::string ini = ShippedIni();
  SetIni(ini);
  AddPatches(2001, 2022);
  platform.tempFolder = "/var/tmp/t/";
  platform.now = 1234567890;
  platform.randomValues = {300};  // 300 % 255 = 45
  CResFileCtrl& ctrl = Load();
  const std::string expected = "/var/tmp/t/123456789045.ini";
  EXPECT_EQ(ctrl.ConfigurationPath(), expected);
  ASSERT_EQ(platform.files.count(expected), 1u);
  EXPECT_EQ(platform.files[expected], ToBytes(ini));
  EXPECT_EQ(platform.files.size(), 1u);
  EXPECT_EQ(ctrl.EntryCount(), 22);
  CResFileCtrl::DeleteInstance();
  EXPECT_FALSE(CResFileCtrl::HasInstance());
  EXPECT_EQ(platform.files.count(expected), 0u);
  EXPECT_TRUE(platform.files.empty());
}

TEST_F(ResFileCtrlTest, ACollisionDrawsANewNameAndKeepsTheOtherFile) {
  SetIni(ShippedIni());
  AddPatches(2001, 2022);
  const std::string taken = "/tmp/" + std::to_string(platform.now) + "7.ini";
  platform.files[taken] = ToBytes("someone else's");
  platform.randomValues = {7, 264};  // 264 % 255 = 9
  CResFileCtrl& ctrl = Load();
  EXPECT_EQ(ctrl.ConfigurationPath(), "/tmp/" + std::to_string(platform.now) + "9.ini");
  EXPECT_EQ(ctrl.EntryCount(), 22);
  EXPECT_EQ(platform.files[taken], ToBytes("someone else's"));
  CResFileCtrl::DeleteInstance();
  EXPECT_EQ(platform.files.size(), 1u);
  EXPECT_EQ(platform.files[taken], ToBytes("someone else's"));
}

TEST_F(ResFileCtrlTest, EveryNameTakenLeavesTheConfigurationUnread) {
  SetIni(ShippedIni());
  AddPatches(2001, 2022);
  for (int k = 0; k < 255; ++k) {
    platform.files["/tmp/" + std::to_string(platform.now) + std::to_string(k) + ".ini"] =
        ToBytes("taken");
  }
  for (int k = 0; k < 1000; ++k) platform.randomValues.push_back(k * 7);
  CResFileCtrl& ctrl = Load();
  EXPECT_EQ(ctrl.ConfiguredCount(), 0);
  EXPECT_EQ(ctrl.EntryCount(), 0);
  EXPECT_TRUE(platform.created.empty());
  for (const auto& [path, bytes] : platform.files) EXPECT_EQ(bytes, ToBytes("taken")) << path;
  CResFileCtrl::DeleteInstance();
  EXPECT_EQ(platform.files.size(), 255u);  // none of them deleted on the way out
}

TEST_F(ResFileCtrlTest, StartPageTextIsHeadingBlankLineAndTitles) {
  SetIni(ShippedIni());
  AddPatches(2001, 2022);
  CResFileCtrl& ctrl = Load();
  std::string expected = std::string(kHeading) + "\n\n";
  std::vector<std::string> titles;
  for (int i = 1; i <= 13; ++i) {
    expected += Title(i) + "\n";
    titles.push_back(Title(i));
  }
  EXPECT_EQ(ctrl.GetStartPageText(), expected);
  EXPECT_EQ(ctrl.TitleList(), titles);
  // Each call rebuilds the title list.
  EXPECT_EQ(ctrl.GetStartPageText(), expected);
  EXPECT_EQ(ctrl.TitleList().size(), 13u);
}

TEST_F(ResFileCtrlTest, StartPageTextWithMissingKeys) {
  const std::string patches = "[UPDATE_FONT]\nMAXNUM=1\nFONT_PAFILE1=A.pa\nFONT_RESNUM1=2001\n";
  const struct {
    const char* name;
    std::string section;
    std::string text;
    std::vector<std::string> titles;
  } cases[] = {
      // UPDATE_FONT's MAXNUM does not count here.
      {"no MAXNUM", "MAIN_TEXTTITLE=Head\nFONT_TEXTTITLE1=One\n", "", {}},
      {"no heading", "MAXNUM=1\nFONT_TEXTTITLE1=One\n", "", {}},
      {"empty heading", "MAIN_TEXTTITLE=\nMAXNUM=1\nFONT_TEXTTITLE1=One\n", "", {}},
      {"MAXNUM 0", "MAIN_TEXTTITLE=Head\nMAXNUM=0\nFONT_TEXTTITLE1=One\n", "Head\n\n", {}},
      {"title 2 missing",
       "MAIN_TEXTTITLE=Head\nMAXNUM=3\nFONT_TEXTTITLE1=One\nFONT_TEXTTITLE3=Three\n",
       "Head\n\nOne\n\nThree\n",
       {"One", "Three"}},
      {"title 1 empty",
       "MAIN_TEXTTITLE=Head\nMAXNUM=2\nFONT_TEXTTITLE1=\nFONT_TEXTTITLE2=Two\n",
       "Head\n\n\nTwo\n",
       {"Two"}},
      {"more titles than MAXNUM",
       "MAIN_TEXTTITLE=Head\nMAXNUM=1\nFONT_TEXTTITLE1=One\nFONT_TEXTTITLE2=Two\n",
       "Head\n\nOne\n",
       {"One"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CResFileCtrl::DeleteInstance();
    platform = test::FakePlatform();
    SetIni(patches + "[UPDATE_STARTDLG_STRING]\n" + c.section);
    AddPatch(2001);
    CResFileCtrl& ctrl = Load();
    EXPECT_EQ(ctrl.GetStartPageText(), c.text);
    EXPECT_EQ(ctrl.TitleList(), c.titles);
  }
}

TEST_F(ResFileCtrlTest, LongHeadingIsCutTo1023Bytes) {
  const std::string heading(1500, 'h');
  const std::string title(300, 't');
  SetIni("[UPDATE_STARTDLG_STRING]\nMAIN_TEXTTITLE=" + heading +
         "\nMAXNUM=1\nFONT_TEXTTITLE1=" + title + "\n");
  CResFileCtrl& ctrl = Load();
  EXPECT_EQ(ctrl.GetStartPageText(),
            heading.substr(0, 1023) + "\n\n" + title.substr(0, 254) + "\n");
}

}  // namespace
}  // namespace refontis
