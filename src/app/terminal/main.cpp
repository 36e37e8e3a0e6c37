// refontis: the font revision program, in the terminal. It takes no arguments: everything it
// needs is embedded in it.
#include "app/refontis_app.h"
#include "app/terminal/terminal_ui.h"
#include "config/res_file_ctrl.h"
#include "platform/embedded_resources.h"
#include "platform/posix/posix_platform.h"

int main() {
  auto& platform = static_cast<refontis::platform::PosixPlatform&>(
      refontis::platform::NativePlatform());
  refontis::RegisterEmbeddedResources(platform.Resources());
  refontis::app::TerminalUi ui;
  ui.SetCleanupFileProvider([] {
    return refontis::CResFileCtrl::HasInstance()
               ? refontis::CResFileCtrl::Instance(refontis::platform::NativePlatform())
                     .ConfigurationPath()
               : std::string();
  });
  refontis::app::CRefontisApp application(ui, platform);
  application.InitInstance();
  return 0;
}
