// The program's dialogs and the two progress functions.
#include "app/dialogs.h"

#include <cstdio>

#include "config/res_file_ctrl.h"
#include "search/folder_check_ctrl.h"

namespace refontis::app {

bool CTextDialog::OnInitDialog(DialogWindow& window) {
  window.SetItemText(textControl_, message_);
  return true;
}

bool ConfirmStop(Ui& ui, int messageId, DialogWindow* owner) {
  CMessageDialog dialog(ui);
  dialog.SetMessage(LoadString(messageId));
  return dialog.DoModal(owner) == kIdOk;
}

bool CStartDialog::OnInitDialog(DialogWindow& window) {
  CFolderCheckCtrl::Instance(platform_);
  CResFileCtrl& config = CResFileCtrl::Instance(platform_);
  (void)config.GetStartPageText();  // refreshes the title list; the text itself is not shown
  std::string left, right;
  constexpr size_t kLeftColumn = 7;
  const auto& titles = config.TitleList();
  for (size_t i = 0; i < titles.size(); ++i) (i < kLeftColumn ? left : right) += titles[i] + "\n";
  window.SetItemText(kStartLeft, left);
  window.SetItemText(kStartRight, right);
  return true;
}

void CStartDialog::OnCommand(DialogWindow& window, int id) {
  if (id == kIdOk) {
    window.EndDialog(kIdOk);
  } else if (id == kIdCancel && ConfirmStop(ui_, 102, &window)) {
    window.EndDialog(kIdCancel);
  }
}

void CWaitDialog::Create(DialogWindow* owner) { window_ = ui_.CreateModeless(kWaitDialog, *this, owner); }

void CWaitDialog::OnCommand(DialogWindow&, int id) {
  if (id == kSearchStop) stop_ = 1;  // Enter and Escape do nothing here
}

bool CWaitDialog::SetSearchText(const std::string& text) {
  if (!window_->IsVisible()) window_->Show(true);
  ui_.PumpMessages();
  if (stop_ != 0 && !ConfirmStop(ui_, 116, window_.get())) stop_ = 0;
  text_ = text;
  window_->SetItemText(kSearchText, text_);
  return stop_ != 0;
}

void CProgressDialog::Create(DialogWindow* owner) {
  window_ = ui_.CreateModeless(kProgressDialog, *this, owner);
}

void CProgressDialog::OnCommand(DialogWindow&, int id) {
  if (id == kProgressStop) stop_ = 1;  // Enter and Escape do nothing here
}

bool CProgressDialog::SetProgress(int overall, int current, const std::string& line1,
                                  const std::string& line2) {
  if (!window_->IsVisible()) window_->Show(true);
  ui_.PumpMessages();
  window_->SetProgressPosition(kOverallBar, overall);
  window_->SetProgressPosition(kCurrentBar, current);
  char percent[16];
  std::snprintf(percent, sizeof percent, "%d%%", overall);
  window_->SetItemText(kOverallText, percent);
  window_->UpdateItem(kOverallText);
  std::snprintf(percent, sizeof percent, "%d%%", current);
  window_->SetItemText(kCurrentText, percent);
  window_->UpdateItem(kCurrentText);
  window_->SetItemText(kProgressLine1, line1);
  window_->SetItemText(kProgressLine2, line2);
  ui_.Sleep(1);
  if (stop_ != 0 && !ConfirmStop(ui_, 102, window_.get())) stop_ = 0;
  if (overall == 100 && current == 100) ui_.Sleep(1000);
  return stop_ != 0;
}

int FolderSearchProc(const char* text, OwnerWindow owner) {
  return static_cast<CWaitDialog*>(owner)->SetSearchText(text) ? 1 : 0;
}

int UpdateProgressProc(int overall, int current, const char* line1, const char* line2,
                       OwnerWindow owner) {
  return static_cast<CProgressDialog*>(owner)->SetProgress(overall, current, line1, line2) ? 1
                                                                                            : 0;
}

}  // namespace refontis::app
