// Default event handling of the dialogs.
#include "app/ui.h"

namespace refontis::app {

void DialogEvents::OnCommand(DialogWindow& window, int id) { window.EndDialog(id); }

}  // namespace refontis::app
