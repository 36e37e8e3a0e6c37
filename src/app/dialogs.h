// The program's dialogs: the start page, the two progress pages, the message dialogs and the
// about box, and the two progress functions that connect the long operations to the pages.
#pragma once

#include <memory>
#include <string>

#include "app/dialog_resources.h"
#include "app/ui.h"
#include "otf/progress.h"
#include "platform/platform.h"

namespace refontis::app {

// A modal dialog that shows one text and returns the button pressed.
class CTextDialog : public DialogEvents {
 public:
  CTextDialog(Ui& ui, int templateId, int textControl)
      : ui_(ui), templateId_(templateId), textControl_(textControl) {}
  void SetMessage(const std::string& text) { message_ = text; }
  int DoModal(DialogWindow* owner = nullptr) { return ui_.RunModal(templateId_, *this, owner); }
  bool OnInitDialog(DialogWindow& window) override;

 private:
  Ui& ui_;
  int templateId_;
  int textControl_;
  std::string message_;
};

class CMessageDialog : public CTextDialog {
 public:
  explicit CMessageDialog(Ui& ui) : CTextDialog(ui, kMessageDialog, kMessageText) {}
};
class COKDialog : public CTextDialog {
 public:
  explicit COKDialog(Ui& ui) : CTextDialog(ui, kOkDialog, kMessageText) {}
};
class CEndDialog : public CTextDialog {
 public:
  explicit CEndDialog(Ui& ui) : CTextDialog(ui, kEndDialog, kEndText) {}
};
class CNormalEndDialog : public CTextDialog {
 public:
  explicit CNormalEndDialog(Ui& ui) : CTextDialog(ui, kNormalEndDialog, kEndText) {}
};

class CAboutDlg : public DialogEvents {
 public:
  explicit CAboutDlg(Ui& ui) : ui_(ui) {}
  int DoModal(DialogWindow* owner) { return ui_.RunModal(kAboutDialog, *this, owner); }

 private:
  Ui& ui_;
};

// Shows message 102 or 116 and returns whether the user confirmed with "はい".
bool ConfirmStop(Ui& ui, int messageId, DialogWindow* owner);

class CStartDialog : public DialogEvents {
 public:
  CStartDialog(Ui& ui, platform::Platform& platform) : ui_(ui), platform_(platform) {}
  int DoModal(DialogWindow* owner) { return ui_.RunModal(kStartDialog, *this, owner); }
  bool OnInitDialog(DialogWindow& window) override;
  void OnCommand(DialogWindow& window, int id) override;

 private:
  Ui& ui_;
  platform::Platform& platform_;
};

// The search page (modeless).
class CWaitDialog : public DialogEvents {
 public:
  explicit CWaitDialog(Ui& ui) : ui_(ui) {}
  void Create(DialogWindow* owner);
  DialogWindow* Window() const { return window_.get(); }
  void DestroyWindow() { window_.reset(); }
  // Shows one line of the search; true when the user confirmed a stop.
  bool SetSearchText(const std::string& text);
  void OnCommand(DialogWindow& window, int id) override;

 private:
  Ui& ui_;
  std::unique_ptr<DialogWindow> window_;
  std::string text_;
  int stop_ = 0;
};

// The progress page (modeless).
class CProgressDialog : public DialogEvents {
 public:
  explicit CProgressDialog(Ui& ui) : ui_(ui) {}
  void Create(DialogWindow* owner);
  DialogWindow* Window() const { return window_.get(); }
  void DestroyWindow() { window_.reset(); }
  // Shows one report of a job; true when the user confirmed a stop.
  bool SetProgress(int overall, int current, const std::string& line1, const std::string& line2);
  void OnCommand(DialogWindow& window, int id) override;

 private:
  Ui& ui_;
  std::unique_ptr<DialogWindow> window_;
  int stop_ = 0;
};

// The search's callback; `owner` is the CWaitDialog.
int FolderSearchProc(const char* text, OwnerWindow owner);
// The update jobs' callback; `owner` is the CProgressDialog.
int UpdateProgressProc(int overall, int current, const char* line1, const char* line2,
                       OwnerWindow owner);

}  // namespace refontis::app
