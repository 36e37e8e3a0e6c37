// The terminal back-end of the user interface (ncursesw).
#include "app/terminal/terminal_ui.h"

#include <curses.h>
#include <langinfo.h>
#include <unistd.h>

#include <algorithm>
#include <clocale>
#include <csignal>
#include <cstring>
#include <map>

#include "app/dialog_resources.h"
#include "app/terminal/terminal_text.h"

namespace refontis::app {
namespace {

// What a signal handler may still do: restore the terminal and remove one file.
volatile sig_atomic_t g_screenTaken = 0;
char g_cleanupPath[4096] = {};

void OnTerminatingSignal(int signal) {
  if (g_screenTaken != 0) endwin();
  if (g_cleanupPath[0] != '\0') unlink(g_cleanupPath);
  _exit(128 + signal);
}

void RestoreAtExit() {
  if (g_screenTaken != 0) {
    endwin();
    g_screenTaken = 0;
  }
}

constexpr int kKeyEscape = 27;

void PutText(int row, int col, const std::wstring& text, attr_t attributes = A_NORMAL) {
  if (row < 0 || row >= LINES || col >= COLS) return;
  attron(attributes);
  mvaddnwstr(row, std::max(col, 0), FitWidth(text, COLS - std::max(col, 0)).c_str(), -1);
  attroff(attributes);
}

}  // namespace

// A dialog on the terminal: its template, its current texts and its state.
class TerminalWindow : public DialogWindow {
 public:
  TerminalWindow(TerminalUi& ui, int templateId, DialogEvents& events, bool modal)
      : ui_(ui), t_(Template(templateId)), events_(events), modal_(modal) {
    for (const auto& c : t_.controls) {
      if (c.id >= 0) texts_[c.id] = c.text;
      if (c.kind == ControlKind::kButton || c.kind == ControlKind::kDefaultButton) {
        buttons_.push_back(c.id);
        if (c.kind == ControlKind::kDefaultButton) focus_ = buttons_.size() - 1;
      }
    }
  }
  ~TerminalWindow() override { ui_.Forget(this); }

  int TemplateId() const override { return t_.id; }
  void SetItemText(int id, const std::string& text) override { texts_[id] = text; }
  std::string GetItemText(int id) const override {
    auto it = texts_.find(id);
    return it == texts_.end() ? std::string() : it->second;
  }
  void UpdateItem(int) override { ui_.Redraw(); }
  void SetProgressPosition(int id, int position) override { positions_[id] = position; }
  void Show(bool visible) override {
    visible_ = visible;
    ui_.Redraw();
  }
  bool IsVisible() const override { return visible_; }
  void Update() override { ui_.Redraw(); }
  void EndDialog(int result) override {
    ended_ = true;
    result_ = result;
  }
  void ListInsertColumn(int, const std::string& heading, int) override { listHeading_ = heading; }
  void ListSetFullRowSelect(int) override {}
  void ListInsertItem(int, int index, const std::string& text) override {
    items_.insert(items_.begin() + std::min<size_t>(static_cast<size_t>(index), items_.size()),
                  text);
  }
  bool HasSystemMenu() const override { return t_.systemMenu; }
  void AppendSystemMenuItem(int commandId, const std::string& text) override {
    aboutCommand_ = commandId;
    aboutText_ = text;
  }
  void SetIcons() override {}

  bool Ended() const { return ended_; }
  int Result() const { return result_; }
  bool Modal() const { return modal_; }
  DialogEvents& Events() { return events_; }
  bool HasCancel() const { return t_.Control(kIdCancel) != nullptr || t_.systemMenu; }
  int AboutCommand() const { return aboutCommand_; }

  void MoveFocus(int step) {
    if (buttons_.empty()) return;
    const auto n = static_cast<int>(buttons_.size());
    focus_ = static_cast<size_t>((static_cast<int>(focus_) + step + n) % n);
  }
  int FocusedButton() const { return buttons_.empty() ? -1 : buttons_[focus_]; }
  void Scroll(int rows) { scroll_ = std::max(0, scroll_ + rows); }

  // Draws the framed box, centred, scaled down when the screen is smaller than the template.
  void Draw(bool top) const {
    // A dialog unit is a quarter of a character's width; full-width texts need a little more.
    constexpr double kUnitsPerColumn = 3.5;
    const int wantCols = static_cast<int>(t_.width / kUnitsPerColumn) + 2;
    const int wantRows = t_.height / 8 + 2;
    const double sx = std::min(1.0, static_cast<double>(COLS - 1) / wantCols);
    const double sy = std::min(1.0, static_cast<double>(LINES - 2) / wantRows);
    const int cols = std::max(10, static_cast<int>(wantCols * sx));
    const int rows = std::max(4, static_cast<int>(wantRows * sy));
    const int left = std::max(0, (COLS - cols) / 2), topRow = std::max(0, (LINES - 1 - rows) / 2);
    for (int r = 0; r < rows; ++r) mvhline(topRow + r, left, ' ', cols);
    mvhline(topRow, left, ACS_HLINE, cols);
    mvhline(topRow + rows - 1, left, ACS_HLINE, cols);
    mvvline(topRow, left, ACS_VLINE, rows);
    mvvline(topRow, left + cols - 1, ACS_VLINE, rows);
    mvaddch(topRow, left, ACS_ULCORNER);
    mvaddch(topRow, left + cols - 1, ACS_URCORNER);
    mvaddch(topRow + rows - 1, left, ACS_LLCORNER);
    mvaddch(topRow + rows - 1, left + cols - 1, ACS_LRCORNER);
    const std::wstring title = L" " + TerminalLines(t_.title).front() + L" ";
    PutText(topRow, left + std::max(1, (cols - DisplayWidth(title)) / 2), title,
            top ? A_BOLD : A_NORMAL);

    for (const auto& c : t_.controls) {
      const int x = left + 1 + static_cast<int>(c.rect.x / kUnitsPerColumn * sx);
      const int y = topRow + 1 + static_cast<int>(c.rect.y / 8.0 * sy);
      int w = std::max(1, static_cast<int>(c.rect.width / kUnitsPerColumn * sx));
      // Lines that must not wrap may run on to the frame rather than lose their end.
      if (c.noWrap) w = std::max(w, left + cols - 1 - x);
      w = std::min(w, std::max(1, left + cols - 1 - x));
      const int h = std::max(1, static_cast<int>(c.rect.height / 8.0 * sy + 0.5));
      const std::string text = c.id >= 0 ? GetItemText(c.id) : c.text;
      switch (c.kind) {
        case ControlKind::kStatic:
        case ControlKind::kEdit: {
          auto lines = TerminalLines(text);
          if (!c.noWrap) lines = WrapLines(lines, w);
          const int first = c.vScroll ? std::max(0, static_cast<int>(lines.size()) - h) : 0;
          for (int r = 0; r < h && first + r < static_cast<int>(lines.size()); ++r) {
            PutText(y + r, x, FitWidth(lines[static_cast<size_t>(first + r)], w));
          }
          break;
        }
        case ControlKind::kButton:
        case ControlKind::kDefaultButton: {
          const bool isDefault = c.kind == ControlKind::kDefaultButton;
          const std::wstring label = (isDefault ? L"<" : L"[") + TerminalLines(c.text).front() +
                                     (isDefault ? L">" : L"]");
          const bool focused = top && FocusedButton() == c.id;
          PutText(y + h / 2, x + std::max(0, (w - DisplayWidth(label)) / 2), label,
                  focused ? A_REVERSE : (isDefault ? A_BOLD : A_NORMAL));
          break;
        }
        case ControlKind::kProgressBar: {
          auto it = positions_.find(c.id);
          const int pos = std::clamp(it == positions_.end() ? 0 : it->second, 0, 100);
          const int filled = (w - 2) * pos / 100;
          PutText(y + h / 2, x,
                  L"[" + std::wstring(static_cast<size_t>(filled), L'#') +
                      std::wstring(static_cast<size_t>(std::max(0, w - 2 - filled)), L'.') + L"]");
          break;
        }
        case ControlKind::kListView: {
          PutText(y, x, FitWidth(TerminalLines(listHeading_).front(), w), A_UNDERLINE);
          const int visibleRows = std::max(1, h - 1);
          const int first = std::min(scroll_, std::max(0, static_cast<int>(items_.size()) - 1));
          for (int r = 0; r < visibleRows && first + r < static_cast<int>(items_.size()); ++r) {
            PutText(y + 1 + r, x, FitWidth(TerminalLines(items_[static_cast<size_t>(first + r)]).front(), w));
          }
          break;
        }
        case ControlKind::kIcon:
          PutText(y, x, L"[R]", A_BOLD);
          break;
      }
    }
  }

 private:
  TerminalUi& ui_;
  const DialogTemplate& t_;
  DialogEvents& events_;
  bool modal_;
  bool visible_ = false;
  bool ended_ = false;
  int result_ = 0;
  std::map<int, std::string> texts_;
  std::map<int, int> positions_;
  std::vector<int> buttons_;
  size_t focus_ = 0;
  std::string listHeading_;
  std::vector<std::string> items_;
  int scroll_ = 0;
  int aboutCommand_ = 0;
  std::string aboutText_;
};

TerminalUi::TerminalUi() = default;

TerminalUi::~TerminalUi() { RestoreAtExit(); }

void TerminalUi::SetCleanupFileProvider(std::function<std::string()> provider) {
  cleanupProvider_ = std::move(provider);
}

void TerminalUi::RefreshCleanupFile() {
  if (!cleanupProvider_) return;
  const std::string path = cleanupProvider_();
  std::strncpy(g_cleanupPath, path.c_str(), sizeof g_cleanupPath - 1);
}

void TerminalUi::Start() {
  if (started_) return;
  started_ = true;
  // Wide characters need a UTF-8 locale; fall back to C.UTF-8 where the environment has none.
  std::setlocale(LC_ALL, "");
  if (std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0) std::setlocale(LC_ALL, "C.UTF-8");
  std::atexit(RestoreAtExit);
  struct sigaction action {};
  action.sa_handler = OnTerminatingSignal;
  sigemptyset(&action.sa_mask);
  for (const int s : {SIGINT, SIGTERM, SIGHUP}) sigaction(s, &action, nullptr);
  setenv("ESCDELAY", "25", 0);
  initscr();
  g_screenTaken = 1;
  cbreak();
  noecho();
  keypad(stdscr, TRUE);
  curs_set(0);
}

void TerminalUi::Forget(TerminalWindow* window) {
  stack_.erase(std::remove(stack_.begin(), stack_.end(), window), stack_.end());
  if (started_) Redraw();
}

void TerminalUi::Redraw() {
  if (!started_) return;
  erase();
  TerminalWindow* top = nullptr;
  for (TerminalWindow* w : stack_) {
    if (w->IsVisible()) top = w;
  }
  for (TerminalWindow* w : stack_) {
    if (w->IsVisible()) w->Draw(w == top);
  }
  std::string footer = "Tab/←→: 移動";
  if (top != nullptr && top->Modal()) {
    footer += "  Enter: 決定";
    if (top->HasCancel()) footer += "  Esc: 取消";
    if (top->AboutCommand() != 0) footer += "  F2: バージョン情報";
  } else if (top != nullptr) {
    footer += "  Space: 中止ボタン";
  }
  PutText(LINES - 1, 0, TerminalLines(footer).front(), A_DIM);
  refresh();
}

bool TerminalUi::HandleKey(int key) {
  TerminalWindow* top = nullptr;
  for (TerminalWindow* w : stack_) {
    if (w->IsVisible()) top = w;
  }
  if (top == nullptr) return false;
  switch (key) {
    case '\t':
    case KEY_RIGHT:
    case KEY_DOWN:
      top->MoveFocus(1);
      break;
    case KEY_BTAB:
    case KEY_LEFT:
    case KEY_UP:
      top->MoveFocus(-1);
      break;
    case KEY_NPAGE:
      top->Scroll(10);
      break;
    case KEY_PPAGE:
      top->Scroll(-10);
      break;
    case '\n':
    case '\r':
    case KEY_ENTER:
      // The progress pages refuse Enter and Escape.
      if (top->Modal() && top->FocusedButton() >= 0) top->Events().OnCommand(*top, top->FocusedButton());
      break;
    case ' ':
      if (top->FocusedButton() >= 0) top->Events().OnCommand(*top, top->FocusedButton());
      break;
    case kKeyEscape:
      if (top->Modal() && top->HasCancel()) top->Events().OnCommand(*top, kIdCancel);
      break;
    default:
      if (key == KEY_F(2) && top->Modal() && top->AboutCommand() != 0) {
        top->Events().OnSysCommand(*top, top->AboutCommand());
      }
      break;
  }
  return true;
}

int TerminalUi::RunModal(int templateId, DialogEvents& events, DialogWindow*) {
  Start();
  RefreshCleanupFile();
  TerminalWindow window(*this, templateId, events, true);
  stack_.push_back(&window);
  events.OnInitDialog(window);
  RefreshCleanupFile();
  if (!window.Ended()) window.Show(true);
  timeout(250);
  while (!window.Ended()) {
    Redraw();
    const int key = getch();
    if (key != ERR) HandleKey(key);
    RefreshCleanupFile();
  }
  return window.Result();
}

std::unique_ptr<DialogWindow> TerminalUi::CreateModeless(int templateId, DialogEvents& events,
                                                         DialogWindow*) {
  Start();
  auto window = std::make_unique<TerminalWindow>(*this, templateId, events, false);
  stack_.push_back(window.get());
  events.OnInitDialog(*window);
  return window;
}

void TerminalUi::PumpMessages() {
  RefreshCleanupFile();
  if (!started_) return;
  timeout(0);
  for (int key = getch(); key != ERR; key = getch()) HandleKey(key);
  Redraw();
}

void TerminalUi::Sleep(int milliseconds) {
  if (started_) refresh();
  napms(milliseconds);
}

}  // namespace refontis::app
