// The Win32 back-end of the user interface.
#include "platform/win32/windows_api.h"

#include "app/win32/win32_ui.h"

#include <set>
#include <string>

#include "app/dialog_resources.h"

namespace refontis::app {
namespace {

HICON AppIcon() {
  static HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kIconResource));
  return icon;
}

// The live modeless pages: they refuse Enter and Escape.
std::set<HWND>& Pages() {
  static std::set<HWND> pages;
  return pages;
}

class Win32Window : public DialogWindow {
 public:
  Win32Window(int templateId, DialogEvents& events, bool modal)
      : templateId_(templateId), events_(events), modal_(modal) {}
  ~Win32Window() override {
    if (!modal_ && hwnd_ != nullptr) {
      Pages().erase(hwnd_);
      DestroyWindow(hwnd_);
    }
  }

  void Attach(HWND hwnd) { hwnd_ = hwnd; }
  HWND Handle() const { return hwnd_; }
  DialogEvents& Events() { return events_; }
  bool Modal() const { return modal_; }

  int TemplateId() const override { return templateId_; }
  void SetItemText(int id, const std::string& text) override {
    SetDlgItemTextA(hwnd_, id, text.c_str());
  }
  std::string GetItemText(int id) const override {
    char buffer[4096] = {};
    GetDlgItemTextA(hwnd_, id, buffer, sizeof buffer);
    return buffer;
  }
  void UpdateItem(int id) override { UpdateWindow(GetDlgItem(hwnd_, id)); }
  void SetProgressPosition(int id, int position) override {
    SendDlgItemMessageA(hwnd_, id, PBM_SETPOS, static_cast<WPARAM>(position), 0);
  }
  void Show(bool visible) override { ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE); }
  bool IsVisible() const override { return IsWindowVisible(hwnd_) != 0; }
  void Update() override {
    InvalidateRect(hwnd_, nullptr, FALSE);
    UpdateWindow(hwnd_);
  }
  void EndDialog(int result) override { ::EndDialog(hwnd_, result); }
  void ListInsertColumn(int id, const std::string& heading, int widthPixels) override {
    LVCOLUMNA column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    column.fmt = LVCFMT_LEFT;
    column.cx = widthPixels;
    column.pszText = const_cast<char*>(heading.c_str());
    SendDlgItemMessageA(hwnd_, id, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
  }
  void ListSetFullRowSelect(int id) override {
    SendDlgItemMessageA(hwnd_, id, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT,
                        LVS_EX_FULLROWSELECT);
  }
  void ListInsertItem(int id, int index, const std::string& text) override {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.pszText = const_cast<char*>(text.c_str());
    SendDlgItemMessageA(hwnd_, id, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  }
  bool HasSystemMenu() const override { return GetSystemMenu(hwnd_, FALSE) != nullptr; }
  void AppendSystemMenuItem(int commandId, const std::string& text) override {
    HMENU menu = GetSystemMenu(hwnd_, FALSE);
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, static_cast<UINT_PTR>(commandId), text.c_str());
  }
  void SetIcons() override {
    SendMessageA(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(AppIcon()));
    SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(AppIcon()));
  }

 private:
  int templateId_;
  DialogEvents& events_;
  bool modal_;
  HWND hwnd_ = nullptr;
};

// Draws the icon centred in the client area of a minimised dialog.
void PaintMinimised(HWND hwnd) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(hwnd, &paint);
  SendMessageA(hwnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT client;
  GetClientRect(hwnd, &client);
  const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
  DrawIcon(dc, x, y, AppIcon());
  EndPaint(hwnd, &paint);
}

INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* window = reinterpret_cast<Win32Window*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      window = reinterpret_cast<Win32Window*>(lParam);
      SetWindowLongPtrA(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(window));
      window->Attach(hwnd);
      if (!window->Modal()) Pages().insert(hwnd);
      return window->Events().OnInitDialog(*window) ? TRUE : FALSE;
    }
    case WM_COMMAND:
      if (window != nullptr && HIWORD(wParam) == BN_CLICKED) {
        window->Events().OnCommand(*window, LOWORD(wParam));
        return TRUE;
      }
      return FALSE;
    case WM_SYSCOMMAND:
      if (window != nullptr && (wParam & 0xFFF0) == static_cast<WPARAM>(kAboutCommand)) {
        window->Events().OnSysCommand(*window, static_cast<int>(wParam));
        return TRUE;
      }
      return FALSE;
    case WM_PAINT:
      if (IsIconic(hwnd)) {
        PaintMinimised(hwnd);
        return TRUE;
      }
      return FALSE;
    case WM_QUERYDRAGICON:
      SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, reinterpret_cast<LONG_PTR>(AppIcon()));
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

Win32Ui::Win32Ui() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
}

int Win32Ui::RunModal(int templateId, DialogEvents& events, DialogWindow* owner) {
  Win32Window window(templateId, events, true);
  HWND parent = owner != nullptr ? static_cast<Win32Window*>(owner)->Handle() : nullptr;
  return static_cast<int>(DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId),
                                          parent, DialogProc,
                                          reinterpret_cast<LPARAM>(&window)));
}

std::unique_ptr<DialogWindow> Win32Ui::CreateModeless(int templateId, DialogEvents& events,
                                                      DialogWindow* owner) {
  auto window = std::make_unique<Win32Window>(templateId, events, false);
  HWND parent = owner != nullptr ? static_cast<Win32Window*>(owner)->Handle() : nullptr;
  CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), parent, DialogProc,
                     reinterpret_cast<LPARAM>(window.get()));
  return window;
}

void Win32Ui::PumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    // The pages consume Enter and Escape before any dialog handling sees them.
    if (msg.message == WM_KEYDOWN && (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE)) {
      HWND top = msg.hwnd;
      while (top != nullptr && Pages().count(top) == 0) top = GetParent(top);
      if (top != nullptr) continue;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void Win32Ui::Sleep(int milliseconds) { ::Sleep(static_cast<DWORD>(milliseconds)); }

}  // namespace refontis::app
