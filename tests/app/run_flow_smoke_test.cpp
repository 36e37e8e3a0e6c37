// The whole run over a fake machine: found, revised, success dialog, restart requested.
#include <gtest/gtest.h>

#include "app/dialog_resources.h"
#include "app/refontis_app.h"
#include "run_flow_fixture.h"

namespace refontis {
namespace {

using app::kIdOk;

TEST(RunFlowSmoke, TwoFontsAreRevisedAndARestartIsRequested) {
  test::ResetControllers();
  test::FakePlatform platform;
  const auto fonts = test::MakeFakeFonts(2);
  ASSERT_FALSE(fonts[0].patch.empty());
  test::InstallProgram(platform, fonts);
  platform.drives = {{"/", platform::kDriveFixed}};
  platform.files["/fonts/" + fonts[0].stem + ".otf"] = fonts[0].oldFont;
  platform.files["/fonts/deep/" + fonts[1].stem + ".otf"] = fonts[1].oldFont;

  test::ScriptedUi ui;
  ui.Answer(app::kStartDialog, kIdOk);
  ui.Answer(app::kMainDialog, kIdOk);
  ui.Answer(app::kNormalEndDialog, kIdOk);
  app::CRefontisApp application(ui, platform);
  bool ran = false;
  EXPECT_FALSE(application.InitInstance(&ran));
  EXPECT_TRUE(ran);
  EXPECT_FALSE(ui.AnswersLeft());
  EXPECT_EQ(ui.ModalTemplates(),
            (std::vector<int>{app::kStartDialog, app::kMainDialog, app::kNormalEndDialog}));
  EXPECT_EQ(ui.ModalText(2, app::kEndText), app::LoadString(105));
  EXPECT_EQ(platform.restarts, 1);
  EXPECT_EQ(platform.files["/fonts/" + fonts[0].stem + ".otf"], fonts[0].newFont);
  EXPECT_EQ(platform.files["/fonts/deep/" + fonts[1].stem + ".otf"], fonts[1].newFont);
  for (const auto& [path, bytes] : platform.files) {
    EXPECT_NE(path.rfind("/tmp/", 0), 0u) << "left behind: " << path;
  }
  for (const auto& e : ui.transcript) EXPECT_NE(e.kind, test::UiEvent::kScriptProblem) << e.text;
}

}  // namespace
}  // namespace refontis
