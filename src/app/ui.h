// The small user-interface interface the dialogs are written against; back-ends: scripted
// (tests), terminal (POSIX) and Win32.
#pragma once

#include <memory>
#include <string>

namespace refontis::app {

class DialogWindow;

// What a dialog does with its window's events. The back-end calls these.
class DialogEvents {
 public:
  virtual ~DialogEvents() = default;
  // The window exists and holds its template's controls; false: no focus was set.
  virtual bool OnInitDialog(DialogWindow& window) {
    (void)window;
    return true;
  }
  // A button (or Enter = 1, Escape = 2, the close box = 2) was pressed. The default ends a
  // modal dialog with the button's id.
  virtual void OnCommand(DialogWindow& window, int id);
  // A system-menu command (the main dialog's about item).
  virtual void OnSysCommand(DialogWindow& window, int id) {
    (void)window;
    (void)id;
  }
  // The window was destroyed; the handle given to OnInitDialog is no longer valid.
  virtual void OnDestroyed() {}
};

// A dialog on the screen: a modal one during its modal loop, a modeless page until destroyed.
class DialogWindow {
 public:
  virtual ~DialogWindow() = default;
  virtual int TemplateId() const = 0;
  virtual void SetItemText(int id, const std::string& text) = 0;
  virtual std::string GetItemText(int id) const = 0;
  // Repaints one control at once.
  virtual void UpdateItem(int id) = 0;
  virtual void SetProgressPosition(int id, int position) = 0;
  virtual void Show(bool visible) = 0;
  virtual bool IsVisible() const = 0;
  // Repaints the whole window at once.
  virtual void Update() = 0;
  // Ends a modal dialog with `result`.
  virtual void EndDialog(int result) = 0;
  // The main dialog's list view.
  virtual void ListInsertColumn(int id, const std::string& heading, int widthPixels) = 0;
  virtual void ListSetFullRowSelect(int id) = 0;
  virtual void ListInsertItem(int id, int index, const std::string& text) = 0;
  // The main dialog's system menu: a separator and an item with this command id.
  virtual bool HasSystemMenu() const = 0;
  virtual void AppendSystemMenuItem(int commandId, const std::string& text) = 0;
  // Sets the application icon as the large and the small window icon.
  virtual void SetIcons() = 0;
};

class Ui {
 public:
  virtual ~Ui() = default;
  // Shows the template's dialog modally; the button id it ended with.
  virtual int RunModal(int templateId, DialogEvents& events, DialogWindow* owner) = 0;
  // Creates a modeless page (hidden until shown); destroy it by resetting the pointer.
  virtual std::unique_ptr<DialogWindow> CreateModeless(int templateId, DialogEvents& events,
                                                       DialogWindow* owner) = 0;
  // Dispatches every pending window message (key presses on the pages, repaints).
  virtual void PumpMessages() = 0;
  virtual void Sleep(int milliseconds) = 0;
};

}  // namespace refontis::app
