// A user-interface back-end for tests.
#include "support/scripted_ui.h"

#include <algorithm>

#include "app/dialog_resources.h"

namespace refontis::test {
namespace {

UiEvent Event(UiEvent::Kind kind, int templateId, int control = 0, int value = 0,
              std::string text = {}) {
  UiEvent e;
  e.kind = kind;
  e.templateId = templateId;
  e.control = control;
  e.value = value;
  e.text = std::move(text);
  return e;
}

}  // namespace

class ScriptedWindow : public app::DialogWindow {
 public:
  ScriptedWindow(ScriptedUi& ui, int templateId, app::DialogEvents& events, bool modal)
      : ui_(ui), templateId_(templateId), events_(events), modal_(modal) {
    for (const auto& c : app::Template(templateId).controls) {
      if (c.id >= 0) texts_[c.id] = c.text;
    }
  }
  ~ScriptedWindow() override {
    if (!modal_) {
      auto& pages = ui_.pages_;
      pages.erase(std::remove(pages.begin(), pages.end(), this), pages.end());
      ui_.transcript.push_back(Event(UiEvent::kPageDestroyed, templateId_));
      events_.OnDestroyed();
    }
  }

  int TemplateId() const override { return templateId_; }
  void SetItemText(int id, const std::string& text) override {
    texts_[id] = text;
    ui_.transcript.push_back(Event(UiEvent::kText, templateId_, id, 0, text));
  }
  std::string GetItemText(int id) const override {
    auto it = texts_.find(id);
    return it == texts_.end() ? std::string() : it->second;
  }
  void UpdateItem(int) override {}
  void SetProgressPosition(int id, int position) override {
    ui_.transcript.push_back(Event(UiEvent::kProgress, templateId_, id, position));
  }
  void Show(bool visible) override {
    visible_ = visible;
    ui_.transcript.push_back(Event(UiEvent::kShown, templateId_, 0, visible ? 1 : 0));
  }
  bool IsVisible() const override { return visible_; }
  void Update() override {}
  void EndDialog(int result) override {
    ended_ = true;
    result_ = result;
  }
  void ListInsertColumn(int id, const std::string& heading, int width) override {
    ui_.transcript.push_back(Event(UiEvent::kListColumn, templateId_, id, width, heading));
  }
  void ListSetFullRowSelect(int) override {}
  void ListInsertItem(int id, int index, const std::string& text) override {
    ui_.transcript.push_back(Event(UiEvent::kListItem, templateId_, id, index, text));
  }
  bool HasSystemMenu() const override { return app::Template(templateId_).systemMenu; }
  void AppendSystemMenuItem(int, const std::string& text) override { aboutItem_ = text; }
  void SetIcons() override {}

  app::DialogEvents& Events() { return events_; }
  bool Ended() const { return ended_; }
  int Result() const { return result_; }
  const std::map<int, std::string>& Texts() const { return texts_; }

 private:
  ScriptedUi& ui_;
  int templateId_;
  app::DialogEvents& events_;
  bool modal_;
  bool visible_ = false;
  bool ended_ = false;
  int result_ = 0;
  std::map<int, std::string> texts_;
  std::string aboutItem_;
};

int ScriptedUi::RunModal(int templateId, app::DialogEvents& events, app::DialogWindow*) {
  ScriptedWindow window(*this, templateId, events, true);
  events.OnInitDialog(window);
  UiEvent shown = Event(UiEvent::kModalShown, templateId);
  shown.texts = window.Texts();
  transcript.push_back(shown);
  while (!window.Ended()) {
    if (answers_.empty()) {
      transcript.push_back(Event(UiEvent::kScriptProblem, templateId, 0, 0, "no answer left"));
      window.EndDialog(app::kIdCancel);
      break;
    }
    const AnswerStep step = answers_.front();
    answers_.pop_front();
    if (step.templateId != templateId) {
      transcript.push_back(Event(UiEvent::kScriptProblem, templateId, 0, step.templateId,
                            "the script expected another dialog"));
    }
    if (step.button == kPressAbout) {
      events.OnSysCommand(window, app::kAboutCommand);
    } else {
      events.OnCommand(window, step.button);
    }
  }
  transcript.push_back(Event(UiEvent::kModalEnded, templateId, 0, window.Result()));
  return window.Result();
}

std::unique_ptr<app::DialogWindow> ScriptedUi::CreateModeless(int templateId,
                                                              app::DialogEvents& events,
                                                              app::DialogWindow*) {
  auto window = std::make_unique<ScriptedWindow>(*this, templateId, events, false);
  pages_.push_back(window.get());
  transcript.push_back(Event(UiEvent::kPageCreated, templateId));
  events.OnInitDialog(*window);
  return window;
}

void ScriptedUi::PumpMessages() {
  ++pumps;
  for (const Press& press : presses_) {
    if (press.pumpNumber != pumps) continue;
    for (ScriptedWindow* page : pages_) {
      if (page->TemplateId() == press.templateId) page->Events().OnCommand(*page, press.button);
    }
  }
}

void ScriptedUi::Sleep(int milliseconds) {
  transcript.push_back(Event(UiEvent::kSleep, 0, 0, milliseconds));
}

std::vector<int> ScriptedUi::ModalTemplates() const {
  std::vector<int> ids;
  for (const auto& e : transcript) {
    if (e.kind == UiEvent::kModalShown) ids.push_back(e.templateId);
  }
  return ids;
}

std::string ScriptedUi::ModalText(size_t i, int control) const {
  size_t k = 0;
  for (const auto& e : transcript) {
    if (e.kind != UiEvent::kModalShown) continue;
    if (k++ == i) {
      auto it = e.texts.find(control);
      return it == e.texts.end() ? std::string() : it->second;
    }
  }
  return {};
}

std::vector<std::pair<int, int>> ScriptedUi::ProgressReports() const {
  std::vector<std::pair<int, int>> reports;
  for (size_t k = 0; k + 1 < transcript.size(); ++k) {
    const auto& a = transcript[k];
    const auto& b = transcript[k + 1];
    if (a.kind == UiEvent::kProgress && a.control == app::kOverallBar &&
        b.kind == UiEvent::kProgress && b.control == app::kCurrentBar) {
      reports.emplace_back(a.value, b.value);
    }
  }
  return reports;
}

std::vector<int> ScriptedUi::Sleeps() const {
  std::vector<int> sleeps;
  for (const auto& e : transcript) {
    if (e.kind == UiEvent::kSleep) sleeps.push_back(e.value);
  }
  return sleeps;
}

}  // namespace refontis::test
