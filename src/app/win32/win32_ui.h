// The Win32 back-end of the user interface: the dialogs from the templates in the resources,
// over DialogBoxParamA / CreateDialogParamA.
#pragma once

#include <memory>

#include "app/ui.h"

namespace refontis::app {

class Win32Ui : public Ui {
 public:
  Win32Ui();
  int RunModal(int templateId, DialogEvents& events, DialogWindow* owner) override;
  std::unique_ptr<DialogWindow> CreateModeless(int templateId, DialogEvents& events,
                                               DialogWindow* owner) override;
  void PumpMessages() override;
  void Sleep(int milliseconds) override;
};

}  // namespace refontis::app
