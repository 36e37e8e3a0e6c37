// The main dialog and the run flow.
#include "app/refontis_dlg.h"

#include <cstdio>
#include <vector>

#include "app/dialog_resources.h"
#include "app/dialogs.h"
#include "app/environment_checks.h"
#include "config/res_file_ctrl.h"
#include "otf/format_text.h"
#include "otf/open_type_manager.h"
#include "otf/path_parts.h"
#include "search/folder_check_ctrl.h"

namespace refontis::app {
namespace {

constexpr int kPauseAfterFontMs = 300;
constexpr char kFontCacheFile[] = "fntcache.dat";

std::string FormatMessage(int id, const std::string& argument) {
  return FormatText(LoadString(id).c_str(), argument);
}

bool AcceptedOs(int code) {
  return code == kOsWindows7 || code == kOsWindows81 || code == kOsWindows10;
}

}  // namespace

CRefontisDlg::~CRefontisDlg() {
  if (CFolderCheckCtrl::HasInstance()) CFolderCheckCtrl::DeleteInstance();
  if (CResFileCtrl::HasInstance()) CResFileCtrl::DeleteInstance();
}

void CRefontisDlg::ShowOk(int messageId, DialogWindow* owner) {
  COKDialog dialog(ui_);
  dialog.SetMessage(LoadString(messageId));
  dialog.DoModal(owner);
}

bool CRefontisDlg::OnInitDialog(DialogWindow& window) {
  if (window.HasSystemMenu()) {
    const std::string about = LoadString(101);
    if (!about.empty()) window.AppendSystemMenuItem(kAboutCommand, about);
  }
  window.SetIcons();

  CResFileCtrl& config = CResFileCtrl::Instance(platform_);
  if (config.ConfiguredCount() == 0 || config.EntryCount() == 0 ||
      config.ConfiguredCount() != config.EntryCount()) {
    ShowOk(119, nullptr);
    return false;  // the empty main dialog stays: execute gives 108, stop closes it
  }
  CFolderCheckCtrl& search = CFolderCheckCtrl::Instance(platform_);

  if (!AcceptedOs(CheckEnvironment(platform_, ui_))) {
    window.EndDialog(0);
    return false;
  }
  CStartDialog start(ui_, platform_);
  if (start.DoModal(&window) == kIdCancel) {
    window.EndDialog(0);
    return false;
  }
  window.ListInsertColumn(kFontList, "フォント名", 600);
  window.ListSetFullRowSelect(kFontList);
  if (search.PatchCount() == 0) {
    ShowOk(112, nullptr);
    window.EndDialog(0);
    return false;
  }

  CWaitDialog wait(ui_);
  wait.Create(&window);
  wait.Window()->Show(true);
  wait.Window()->Update();
  // A stopped search goes on with what it found so far.
  (void)search.SearchFonts(FolderSearchProc, &wait);
  if (search.FoundCount() == 0) {
    wait.DestroyWindow();
    ShowOk(107, nullptr);
    window.EndDialog(0);
    return false;
  }
  for (size_t i = 0; i < search.FoundCount(); ++i) {
    window.ListInsertItem(kFontList, static_cast<int>(i), search.Found(i).path);
  }
  wait.DestroyWindow();
  window.Update();
  return true;
}

void CRefontisDlg::OnCommand(DialogWindow& window, int id) {
  if (id == kIdOk) OnExecute(window);
  if (id == kIdCancel) OnStop(window);
}

void CRefontisDlg::OnSysCommand(DialogWindow& window, int id) {
  if ((id & 0xFFF0) == kAboutCommand) {
    CAboutDlg about(ui_);
    about.DoModal(&window);
  }
}

void CRefontisDlg::OnStop(DialogWindow& window) {
  if (ConfirmStop(ui_, 102, &window)) window.EndDialog(kIdCancel);
}

std::string CRefontisDlg::ClosingText(int result, const std::string& path, uint32_t versionKey) {
  switch (result) {
    case 0: return LoadString(105);
    case 1: return FormatMessage(114, path);
    case 7: {
      const PatchEntry* entry =
          CFolderCheckCtrl::Instance(platform_).FindPatchEntry(path, versionKey);
      const PathParts parts =
          SplitPath(entry != nullptr ? entry->patchFileName : path, platform::PathStyle::kWindowsCp932);
      return FormatMessage(113, parts.stem + parts.extension);
    }
    case 8: return FormatMessage(120, path);
    case 10: return FormatMessage(121, path);
    case 11: return FormatMessage(122, path);
    case 12: return FormatMessage(123, path);
    case 13: return FormatMessage(124, path);
    default: return LoadString(106);
  }
}

void CRefontisDlg::OnExecute(DialogWindow& window) {
  CFolderCheckCtrl& search = CFolderCheckCtrl::Instance(platform_);
  const size_t n = search.FoundCount();
  if (n == 0) {
    ShowOk(108, &window);
    return;
  }
  window.Show(false);
  CProgressDialog progress(ui_);
  progress.Create(&window);
  progress.Window()->Show(true);
  progress.Window()->Update();

  int result = 0;
  size_t last = 0;
  std::vector<std::string> revised;
  for (size_t i = 0; i < n; ++i) {
    last = i;
    const FoundFontRecord& record = search.Found(i);
    auto font = std::make_unique<COpenTypeManager>(platform_);
    result = font->UpdateFont(record.path, record.versionKey, UpdateProgressProc, &progress,
                              static_cast<int>(n), static_cast<int>(i));
    font.reset();
    if (result != 0) break;
    revised.push_back(record.path);
    ui_.Sleep(kPauseAfterFontMs);
  }
  progress.DestroyWindow();

  const FoundFontRecord& failed = search.Found(last);
  const std::string text = ClosingText(result, failed.path, failed.versionKey);
  platform_.NotifyFontChange(revised);
  if (result == 0) {
    DeleteFontCache();
    CNormalEndDialog end(ui_);
    end.SetMessage(text);
    if (end.DoModal(nullptr) == kIdOk) RestartWindows(platform_);
  } else {
    CEndDialog end(ui_);
    end.SetMessage(text);
    end.DoModal(nullptr);
  }
  window.EndDialog(kIdOk);
}

void CRefontisDlg::DeleteFontCache() {
  CFolderCheckCtrl& search = CFolderCheckCtrl::Instance(platform_);
  for (size_t i = 0; i < search.DownloadCount(); ++i) platform_.DeleteFile(search.Download(i));

  const std::string folder = platform_.SystemFolder();
  if (folder.empty()) return;
  const std::string cache = folder + kFontCacheFile;
  Wow64FsRedirectionGuard guard(platform_);
  guard.Begin();
  const bool exists = platform_.FileExists(cache);
  guard.End();
  if (!exists) return;
  guard.Begin();
  platform_.DeleteFile(cache);
  guard.End();
}

}  // namespace refontis::app
