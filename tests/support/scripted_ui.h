// A user-interface back-end for tests: a script of button presses, and a transcript of every
// dialog shown with its texts, every progress position and every pause (recorded, not slept).
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/ui.h"

namespace refontis::test {

struct UiEvent {
  enum Kind {
    kModalShown,     // a modal dialog after its initialisation; texts = its control texts
    kModalEnded,     // value = the result
    kPageCreated,
    kPageDestroyed,
    kText,           // control = id, text
    kProgress,       // control = bar id, value = position
    kSleep,          // value = milliseconds
    kListColumn,     // text = heading, value = width
    kListItem,       // value = index, text
    kShown,          // value = 1 shown, 0 hidden
    kScriptProblem,  // text says what did not fit the script
  } kind;
  int templateId = 0;
  int control = 0;
  int value = 0;
  std::string text;
  std::map<int, std::string> texts;
};

// The main dialog's about command, as a scripted "button".
inline constexpr int kPressAbout = -16;

class ScriptedUi : public app::Ui {
 public:
  // The next modal dialog must be `templateId`; press `button` in it (several answers for one
  // dialog are taken in order while it stays open).
  void Answer(int templateId, int button) { answers_.push_back({templateId, button}); }
  // At the `pumpNumber`-th message pump (counted from 1 over the whole run), press `button`
  // on the live page of template `templateId`.
  void PressOnPump(int templateId, int button, int pumpNumber) {
    presses_.push_back({templateId, button, pumpNumber});
  }

  int RunModal(int templateId, app::DialogEvents& events, app::DialogWindow* owner) override;
  std::unique_ptr<app::DialogWindow> CreateModeless(int templateId, app::DialogEvents& events,
                                                    app::DialogWindow* owner) override;
  void PumpMessages() override;
  void Sleep(int milliseconds) override;

  // The modal dialogs shown, in order, by template id.
  std::vector<int> ModalTemplates() const;
  // The text shown in a control of the i-th modal dialog.
  std::string ModalText(size_t i, int control) const;
  // (overall, current) of every progress report, in order.
  std::vector<std::pair<int, int>> ProgressReports() const;
  std::vector<int> Sleeps() const;
  bool AnswersLeft() const { return !answers_.empty(); }

  std::vector<UiEvent> transcript;
  int pumps = 0;

 private:
  friend class ScriptedWindow;
  struct AnswerStep {
    int templateId, button;
  };
  struct Press {
    int templateId, button, pumpNumber;
  };
  std::deque<AnswerStep> answers_;
  std::vector<Press> presses_;
  std::vector<class ScriptedWindow*> pages_;
};

}  // namespace refontis::test
