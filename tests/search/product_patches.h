// Fonts, patches and configurations for the search and update tests: patches are made by the
// product's own builder, as the shipped ones are, and embedded into a fake platform.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "config/res_file_ctrl.h"
#include "patch/sabun_data.h"
#include "patch/update_info_ctrl.h"
#include "search/folder_check_ctrl.h"
#include "support/fake_platform.h"
#include "support/font_builder.h"

namespace refontis::test {

// A small CFF font in the shipped shape; `variant` changes its outlines.
inline Bytes FixtureFont(const std::string& fullName, uint32_t revision, int variant = 0,
                         const std::string& licence = "Fixture licence, version A") {
  Bytes cff;
  for (int k = 0; k < 517; ++k) cff.push_back(static_cast<uint8_t>((k * 13 + 5) & 0xFF));
  for (int k = 0; k < variant; ++k) cff[static_cast<size_t>(40 + 7 * k)] ^= 0x5A;
  Bytes cmap(22, 0);
  cmap[3] = 1;
  return BuildFont({
      {"CFF ", cff},
      {"cmap", cmap},
      {"head", BuildHeadTable(revision)},
      {"name", BuildNameTable(TypicalNameRecords(fullName, licence, licence))},
  });
}

// The patch that turns `oldFont` into `newFont`, written by the product's builder with every
// table selected, as refontis-patch build does by default. Empty when the builder refuses.
inline Bytes BuildProductPatch(const Bytes& oldFont, const Bytes& newFont) {
  FakePlatform workshop;  // of its own, so that nothing of the build lies on a searched drive
  workshop.files["/build/old.otf"] = oldFont;
  workshop.files["/build/new.otf"] = newFont;
  CMakeSabunData patch(workshop);
  if (!patch.LoadFonts("/build/old.otf", "/build/new.otf", nullptr, nullptr)) return {};
  CUpdateInfoCtrl::Reset();
  CUpdateInfoCtrl& settings = CUpdateInfoCtrl::Instance();
  for (const auto& table : patch.newFont->tables) {
    std::string tag = table->tagText;
    if (tag.size() == 4 && tag[3] == ' ') tag.pop_back();
    if (settings.Find(table->tagText) == nullptr) settings.AddEntry(tag, 1);
  }
  const bool made = patch.MakeSabun("/build/out.pa", nullptr, nullptr, 1, 0);
  CUpdateInfoCtrl::Reset();
  if (!made) return {};
  return workshop.files["/build/out.pa"];
}

// One configured patch: FONT_PAFILE value and the patch bytes.
struct ConfiguredPatch {
  std::string patchFileName;  // e.g. "Stem.pa"
  Bytes patch;
};

// The configuration text for the patches, resource ids 2001, 2002, ... in order.
inline std::string ConfigurationText(const std::vector<ConfiguredPatch>& patches) {
  std::string text = "[UPDATE_FONT]\r\nMAXNUM=" + std::to_string(patches.size()) + "\r\n";
  for (size_t n = 1; n <= patches.size(); ++n) {
    text += "FONT_PAFILE" + std::to_string(n) + "=" + patches[n - 1].patchFileName + "\r\n";
    text += "FONT_RESNUM" + std::to_string(n) + "=" + std::to_string(2000 + n) + "\r\n";
  }
  return text;
}

// Embeds the configuration and the patches as the build embeds the shipped ones.
inline void EmbedPatches(platform::ResourceTable& resources,
                         const std::vector<ConfiguredPatch>& patches) {
  const std::string ini = ConfigurationText(patches);
  resources.AddCopy("INIFILE", 2000, Bytes(ini.begin(), ini.end()));
  for (size_t n = 1; n <= patches.size(); ++n) {
    resources.AddCopy("FONT_PA", static_cast<int>(2000 + n), patches[n - 1].patch);
  }
}

// The single instances are per process; each test starts and ends without them.
inline void ResetSingletons() {
  CFolderCheckCtrl::DeleteInstance();
  CResFileCtrl::DeleteInstance();
  CUpdateInfoCtrl::Reset();
}

}  // namespace refontis::test
