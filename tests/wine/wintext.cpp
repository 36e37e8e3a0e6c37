// wintext.exe: reads and presses the controls of another program's dialogs, for the tests
// under Wine (xdotool cannot read control texts).
//   wintext.exe windows                 the visible top-level windows: handle and title
//   wintext.exe list TITLE              id, class and text of every control of that window
//   wintext.exe text TITLE ID           the text of one control
//   wintext.exe click TITLE ID          presses a button (BM_CLICK)
//   wintext.exe count TITLE ID          the number of items of a list view
// TITLE matches any part of a visible window's title. Output is UTF-8. Exit 2 without window.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string ToUtf8(const std::string& ansi) {
  const int n = MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, nullptr, 0);
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, w.data(), n);
  const int m = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(m), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, out.data(), m, nullptr, nullptr);
  if (!out.empty() && out.back() == '\0') out.pop_back();
  return out;
}

std::string Text(HWND h) {
  char buffer[8192] = {};
  SendMessageA(h, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
  return buffer;
}

BOOL CALLBACK CollectVisible(HWND h, LPARAM p) {
  if (IsWindowVisible(h)) reinterpret_cast<std::vector<HWND>*>(p)->push_back(h);
  return TRUE;
}

std::vector<HWND> Visible() {
  std::vector<HWND> windows;
  EnumWindows(CollectVisible, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

HWND Find(const char* title) {
  for (HWND h : Visible()) {
    if (Text(h).find(title) != std::string::npos) return h;
  }
  return nullptr;
}

void Escape(const std::string& s) {
  for (char c : s) {
    if (c == '\r') {
      std::fputs("\\r", stdout);
    } else if (c == '\n') {
      std::fputs("\\n", stdout);
    } else {
      std::fputc(c, stdout);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 1;
  const std::string command = argv[1];
  if (command == "windows") {
    for (HWND h : Visible()) {
      std::printf("%p ", static_cast<void*>(h));
      Escape(ToUtf8(Text(h)));
      std::printf("\n");
    }
    return 0;
  }
  if (argc < 3) return 1;
  HWND window = Find(argv[2]);
  if (window == nullptr) return 2;
  if (command == "list") {
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
      char cls[64] = {};
      GetClassNameA(child, cls, sizeof cls);
      std::printf("%d %s ", GetDlgCtrlID(child), cls);
      Escape(ToUtf8(Text(child)));
      std::printf("\n");
    }
    return 0;
  }
  if (argc < 4) return 1;
  HWND control = GetDlgItem(window, std::atoi(argv[3]));
  if (control == nullptr) return 3;
  if (command == "text") {
    Escape(ToUtf8(Text(control)));
    std::printf("\n");
  } else if (command == "click") {
    PostMessageA(control, BM_CLICK, 0, 0);
  } else if (command == "count") {
    std::printf("%ld\n", static_cast<long>(SendMessageA(control, LVM_GETITEMCOUNT, 0, 0)));
  } else {
    return 1;
  }
  return 0;
}
