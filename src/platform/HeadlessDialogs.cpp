#include "platform/HeadlessDialogs.h"

#include <algorithm>
#include <utility>

namespace platform {
namespace {

std::vector<DialogChoice> Offered(DialogButtons buttons) {
  switch (buttons) {
    case DialogButtons::Ok:
      return {DialogChoice::Ok};
    case DialogButtons::OkCancel:
      return {DialogChoice::Ok, DialogChoice::Cancel};
    case DialogButtons::YesNo:
      return {DialogChoice::Yes, DialogChoice::No};
    case DialogButtons::YesNoCancel:
      return {DialogChoice::Yes, DialogChoice::No, DialogChoice::Cancel};
    case DialogButtons::RetryCancel:
      return {DialogChoice::Retry, DialogChoice::Cancel};
  }
  return {DialogChoice::Ok};
}

// What closing the box without a decision gives.
DialogChoice Dismissal(DialogButtons buttons) {
  switch (buttons) {
    case DialogButtons::Ok:
      return DialogChoice::Ok;
    case DialogButtons::YesNo:
      return DialogChoice::No;
    default:
      return DialogChoice::Cancel;
  }
}

}  // namespace

void HeadlessDialogs::Script(Answer answer) {
  std::lock_guard lock(m_mutex);
  m_script.push_back(std::move(answer));
}

size_t HeadlessDialogs::UnusedAnswers() const {
  std::lock_guard lock(m_mutex);
  return m_script.size();
}

std::vector<HeadlessDialogs::Call> HeadlessDialogs::Calls() const {
  std::lock_guard lock(m_mutex);
  return m_calls;
}

size_t HeadlessDialogs::Count(Kind kind) const {
  std::lock_guard lock(m_mutex);
  return std::count_if(m_calls.begin(), m_calls.end(),
                       [kind](const Call& call) { return call.kind == kind; });
}

std::optional<HeadlessDialogs::Call> HeadlessDialogs::Last(Kind kind) const {
  std::lock_guard lock(m_mutex);
  auto it = std::find_if(m_calls.rbegin(), m_calls.rend(),
                         [kind](const Call& call) { return call.kind == kind; });
  if (it == m_calls.rend()) return std::nullopt;
  return *it;
}

void HeadlessDialogs::ClearCalls() {
  std::lock_guard lock(m_mutex);
  m_calls.clear();
}

// A prepared answer that does not fit the dialog stays queued for the next
// one, and the dialog is dismissed as if unscripted; the record shows it.
HeadlessDialogs::Call HeadlessDialogs::Decide(Call call) {
  std::lock_guard lock(m_mutex);
  const auto offered = Offered(call.buttons);
  call.choice = Dismissal(call.buttons);
  if (offered.size() > 1 && !m_script.empty()) {
    const Answer& next = m_script.front();
    const bool cancels = !next.Choice() && !next.Value();
    const bool fits =
        cancels || (next.Choice() && std::count(offered.begin(), offered.end(), *next.Choice()));
    if (fits) {
      if (next.Choice()) call.choice = *next.Choice();
      call.ticked = next.Ticked();
      call.scripted = true;
      m_script.pop_front();
    }
  }
  m_calls.push_back(call);
  return call;
}

std::optional<std::string> HeadlessDialogs::AskText(Call call) {
  std::lock_guard lock(m_mutex);
  if (!m_script.empty()) {
    const Answer& next = m_script.front();
    if (!next.Choice() || *next.Choice() == DialogChoice::Cancel) {
      call.answer = next.Value();
      call.scripted = true;
      m_script.pop_front();
    }
  }
  m_calls.push_back(call);
  return call.answer;
}

void HeadlessDialogs::Notice(Call call) {
  std::lock_guard lock(m_mutex);
  m_calls.push_back(std::move(call));
}

DialogChoice HeadlessDialogs::MessageBox(const std::string& title, const std::string& text,
                                         DialogButtons buttons, DialogIcon icon) {
  m_windowThread.Check("OperatorDialogs::MessageBox");
  Call call{Kind::MessageBox, title, text};
  call.buttons = buttons;
  call.icon = icon;
  return *Decide(std::move(call)).choice;
}

void HeadlessDialogs::ShowError(const std::string& title, const std::string& details) {
  m_windowThread.Check("OperatorDialogs::ShowError");
  Call call{Kind::Error, title, details};
  call.icon = DialogIcon::Error;
  Notice(std::move(call));
}

void HeadlessDialogs::ShowText(const std::string& title, const std::string& text) {
  m_windowThread.Check("OperatorDialogs::ShowText");
  Notice(Call{Kind::Text, title, text});
}

void HeadlessDialogs::ShowTimedMessage(const std::string& title, const std::string& text,
                                       int seconds) {
  m_windowThread.Check("OperatorDialogs::ShowTimedMessage");
  Call call{Kind::TimedMessage, title, text};
  call.seconds = seconds;
  Notice(std::move(call));
}

bool HeadlessDialogs::AskYesNo(const std::string& title, const std::string& text) {
  m_windowThread.Check("OperatorDialogs::AskYesNo");
  Call call{Kind::YesNo, title, text};
  call.buttons = DialogButtons::YesNo;
  call.icon = DialogIcon::Question;
  return *Decide(std::move(call)).choice == DialogChoice::Yes;
}

TeachingAnswer HeadlessDialogs::TeachExitKeys(const std::string& title, const std::string& text) {
  m_windowThread.Check("OperatorDialogs::TeachExitKeys");
  Call call{Kind::Teaching, title, text};
  call.buttons = DialogButtons::OkCancel;
  call.icon = DialogIcon::Information;
  const Call made = Decide(std::move(call));
  return {*made.choice == DialogChoice::Ok, made.ticked};
}

std::optional<std::string> HeadlessDialogs::PromptText(const std::string& title,
                                                       const std::string& prompt,
                                                       const std::string& initial) {
  m_windowThread.Check("OperatorDialogs::PromptText");
  return AskText(Call{Kind::PromptText, title, prompt, initial});
}

std::optional<std::string> HeadlessDialogs::PromptPassword(const std::string& title,
                                                           const std::string& prompt) {
  m_windowThread.Check("OperatorDialogs::PromptPassword");
  return AskText(Call{Kind::PromptPassword, title, prompt});
}

std::optional<std::string> HeadlessDialogs::ChooseFileToOpen(const std::string& title,
                                                             const std::string& filter) {
  m_windowThread.Check("OperatorDialogs::ChooseFileToOpen");
  return AskText(Call{Kind::OpenFile, title, filter});
}

std::optional<std::string> HeadlessDialogs::ChooseFileToSave(const std::string& title,
                                                             const std::string& filter,
                                                             const std::string& suggestedName) {
  m_windowThread.Check("OperatorDialogs::ChooseFileToSave");
  return AskText(Call{Kind::SaveFile, title, filter, suggestedName});
}

}  // namespace platform
