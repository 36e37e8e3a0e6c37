// A fake machine for the run-flow tests.
#include "run_flow_fixture.h"

#include "config/res_file_ctrl.h"
#include "patch/sabun_data.h"
#include "patch/update_info_ctrl.h"
#include "search/folder_check_ctrl.h"

namespace refontis::test {

std::vector<FakeFont> MakeFakeFonts(int count) {
  std::vector<FakeFont> fonts;
  for (int i = 0; i < count; ++i) {
    FakeFont f;
    f.stem = "FakeDemoFont-Style" + std::to_string(10 + i);
    f.fullName = "Fake Demo Font " + std::to_string(i);
    f.oldFont = TypicalFont(f.fullName, 0x00010000, "Licence " + std::to_string(i));
    f.newFont = TypicalFont(f.fullName, 0x00010042, "Licence " + std::to_string(i));
    FakePlatform builderPlatform;
    builderPlatform.files["/old.otf"] = f.oldFont;
    builderPlatform.files["/new.otf"] = f.newFont;
    CUpdateInfoCtrl::Reset();
    for (const char* tag : {"CFF", "cmap", "head", "name"}) {
      CUpdateInfoCtrl::Instance().AddEntry(tag, 1);
    }
    CMakeSabunData builder(builderPlatform);
    if (builder.LoadFonts("/old.otf", "/new.otf", nullptr, nullptr) &&
        builder.MakeSabun("/p.pa", nullptr, nullptr, 1, 0)) {
      f.patch = builderPlatform.files["/p.pa"];
    }
    fonts.push_back(std::move(f));
  }
  CUpdateInfoCtrl::Reset();
  return fonts;
}

void InstallProgram(FakePlatform& platform, const std::vector<FakeFont>& fonts) {
  std::string ini = "[UPDATE_FONT]\r\nMAXNUM=" + std::to_string(fonts.size()) + "\r\n";
  for (size_t i = 0; i < fonts.size(); ++i) {
    ini += "FONT_PAFILE" + std::to_string(i + 1) + "=" + fonts[i].stem + ".pa\r\n";
    ini += "FONT_RESNUM" + std::to_string(i + 1) + "=" + std::to_string(2001 + i) + "\r\n";
    platform.resources.AddCopy("FONT_PA", static_cast<int>(2001 + i), fonts[i].patch);
  }
  ini += "[UPDATE_STARTDLG_STRING]\r\nMAIN_TEXTTITLE=Heading\r\nMAXNUM=" +
         std::to_string(fonts.size()) + "\r\n";
  for (size_t i = 0; i < fonts.size(); ++i) {
    ini += "FONT_TEXTTITLE" + std::to_string(i + 1) + "=Title " + std::to_string(i + 1) + "\r\n";
  }
  platform.resources.AddCopy("INIFILE", 2000, Bytes(ini.begin(), ini.end()));
}

void ResetControllers() {
  CFolderCheckCtrl::DeleteInstance();
  CResFileCtrl::DeleteInstance();
}

}  // namespace refontis::test
