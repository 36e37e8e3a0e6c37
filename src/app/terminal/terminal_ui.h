// The terminal back-end of the user interface (ncursesw): each dialog is a framed box laid
// out from its template.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/ui.h"

namespace refontis::app {

class TerminalWindow;

class TerminalUi : public Ui {
 public:
  TerminalUi();
  ~TerminalUi() override;

  // A file to remove when the program is ended by a signal (the temporary configuration); asked
  // for again at every dialog and every pump, since it appears only once the run has begun.
  void SetCleanupFileProvider(std::function<std::string()> provider);

  int RunModal(int templateId, DialogEvents& events, DialogWindow* owner) override;
  std::unique_ptr<DialogWindow> CreateModeless(int templateId, DialogEvents& events,
                                               DialogWindow* owner) override;
  void PumpMessages() override;
  void Sleep(int milliseconds) override;

  // Called by the windows.
  void Redraw();
  void Forget(TerminalWindow* window);

 private:
  void Start();  // the screen is taken only when the first dialog appears
  void RefreshCleanupFile();
  // Handles one key for the top window; true when a key was there.
  bool HandleKey(int key);

  bool started_ = false;
  std::vector<TerminalWindow*> stack_;  // bottom to top
  std::function<std::string()> cleanupProvider_;
};

}  // namespace refontis::app
