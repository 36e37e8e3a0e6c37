// A fake machine for the run-flow tests: demo fonts on a fixed drive, their patches and a
// configuration embedded as resources, and a scripted user interface.
#pragma once

#include <string>
#include <vector>

#include "support/fake_platform.h"
#include "support/font_builder.h"
#include "support/scripted_ui.h"

namespace refontis::test {

struct FakeFont {
  std::string stem;      // file stem, also the patch's stem
  std::string fullName;  // the fifth name record
  Bytes oldFont, newFont, patch;
};

// Builds `count` old/new font pairs and their patches (made by the product's builder).
std::vector<FakeFont> MakeFakeFonts(int count);

// Registers the patches as FONT_PA 2001.. and a configuration naming them as INIFILE 2000.
void InstallProgram(FakePlatform& platform, const std::vector<FakeFont>& fonts);

// Resets the single-instance controllers (between tests).
void ResetControllers();

}  // namespace refontis::test
