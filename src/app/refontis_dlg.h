// The main dialog: drives the whole run, from the configuration check to the restart offer.
#pragma once

#include <string>

#include "app/dialog_resources.h"
#include "app/ui.h"
#include "platform/platform.h"

namespace refontis::app {

class CRefontisDlg : public DialogEvents {
 public:
  CRefontisDlg(Ui& ui, platform::Platform& platform) : ui_(ui), platform_(platform) {}
  // Deletes the single-instance controllers: the search's first, then the configuration's.
  ~CRefontisDlg() override;

  int DoModal() { return ui_.RunModal(kMainDialog, *this, nullptr); }

  bool OnInitDialog(DialogWindow& window) override;
  void OnCommand(DialogWindow& window, int id) override;
  void OnSysCommand(DialogWindow& window, int id) override;

  void OnExecute(DialogWindow& window);
  void OnStop(DialogWindow& window);
  void DeleteFontCache();

 private:
  void ShowOk(int messageId, DialogWindow* owner);
  std::string ClosingText(int result, const std::string& path, uint32_t versionKey);

  Ui& ui_;
  platform::Platform& platform_;
};

}  // namespace refontis::app
