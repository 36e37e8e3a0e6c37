// The application: one running copy, the main dialog, and the clean-up at the end.
#pragma once

#include "app/ui.h"
#include "platform/platform.h"

namespace refontis::app {

class CRefontisApp {
 public:
  CRefontisApp(Ui& ui, platform::Platform& platform) : ui_(ui), platform_(platform) {}
  // Runs the program; false in every case, as the framework's start-up does (the program
  // then ends). `ran` tells whether the main dialog was shown.
  bool InitInstance(bool* ran = nullptr);

 private:
  Ui& ui_;
  platform::Platform& platform_;
};

}  // namespace refontis::app
