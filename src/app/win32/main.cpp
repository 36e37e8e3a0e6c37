// refontis.exe: the font revision program. It takes no arguments: everything it needs is
// embedded in it as resources.
#include "platform/win32/windows_api.h"

#include "app/refontis_app.h"
#include "app/win32/win32_ui.h"
#include "platform/platform.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  refontis::app::Win32Ui ui;
  refontis::app::CRefontisApp application(ui, refontis::platform::NativePlatform());
  application.InitInstance();
  return 0;
}
