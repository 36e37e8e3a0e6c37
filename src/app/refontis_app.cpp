// The application: one running copy, the main dialog, and the clean-up at the end.
#include "app/refontis_app.h"

#include "app/refontis_dlg.h"

namespace refontis::app {

bool CRefontisApp::InitInstance(bool* ran) {
  if (ran != nullptr) *ran = false;
  // Another copy of this executable is running: end silently.
  if (!platform_.AcquireSingleInstance(platform_.ExecutableStem() + ".EXE")) return false;
  {
    CRefontisDlg dialog(ui_, platform_);
    dialog.DoModal();
    if (ran != nullptr) *ran = true;
  }  // the dialog's end deletes the controllers and the temporary configuration file
  return false;
}

}  // namespace refontis::app
