#pragma once
// Dialogs answered from a script. Only dialogs that ask the operator to decide
// something (message boxes with a choice, yes/no, prompts, file choosers) take
// the next prepared answer; notices (OK-only boxes, errors, texts, timed
// messages) never do, so a script lists just the decisions of a run. Every call
// is recorded with its texts and the answer it got.

#include <deque>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/Desktop.h"
#include "platform/WindowThreadCheck.h"

namespace platform {

class HeadlessDialogs : public OperatorDialogs {
 public:
  enum class Kind {
    MessageBox,
    Error,
    Text,
    TimedMessage,
    YesNo,
    PromptText,
    PromptPassword,
    OpenFile,
    SaveFile,
    Teaching
  };

  // One prepared answer: a button for message boxes, yes/no and teaching
  // dialogs (ticking the box for not showing it again, if asked), a text for
  // prompts and file choosers, or cancel for any of them.
  class Answer {
   public:
    static Answer Choose(DialogChoice choice) { return Answer(choice, {}); }
    static Answer ChooseTicked(DialogChoice choice) {
      Answer answer(choice, {});
      answer.m_ticked = true;
      return answer;
    }
    static Answer Text(std::string text) { return Answer(std::nullopt, std::move(text)); }
    static Answer Cancel() { return Answer(std::nullopt, std::nullopt); }

    const std::optional<DialogChoice>& Choice() const { return m_choice; }
    const std::optional<std::string>& Value() const { return m_text; }
    bool Ticked() const { return m_ticked; }

   private:
    Answer(std::optional<DialogChoice> choice, std::optional<std::string> text)
        : m_choice(choice), m_text(std::move(text)) {}
    std::optional<DialogChoice> m_choice;
    std::optional<std::string> m_text;
    bool m_ticked = false;
  };

  struct Call {
    Call(Kind kind, std::string title, std::string text, std::string suggestion = {})
        : kind(kind),
          title(std::move(title)),
          text(std::move(text)),
          suggestion(std::move(suggestion)) {}

    Kind kind;
    std::string title;
    std::string text;        // the message, prompt or filter
    std::string suggestion;  // a prompt's initial text, a save chooser's file name
    DialogButtons buttons = DialogButtons::Ok;
    DialogIcon icon = DialogIcon::None;
    int seconds = 0;
    bool scripted = false;  // took a prepared answer
    bool ticked = false;    // the box for not showing it again
    std::optional<DialogChoice> choice;
    std::optional<std::string> answer;  // texts and file names; a password is recorded too
  };

  void Script(Answer answer);
  size_t UnusedAnswers() const;

  std::vector<Call> Calls() const;
  size_t Count(Kind kind) const;
  // The most recent call of that kind; nothing when there was none.
  std::optional<Call> Last(Kind kind) const;
  void ClearCalls();

  DialogChoice MessageBox(const std::string& title, const std::string& text, DialogButtons buttons,
                          DialogIcon icon) override;
  void ShowError(const std::string& title, const std::string& details) override;
  void ShowText(const std::string& title, const std::string& text) override;
  void ShowTimedMessage(const std::string& title, const std::string& text, int seconds) override;
  bool AskYesNo(const std::string& title, const std::string& text) override;
  TeachingAnswer TeachExitKeys(const std::string& title, const std::string& text) override;
  std::optional<std::string> PromptText(const std::string& title, const std::string& prompt,
                                        const std::string& initial) override;
  std::optional<std::string> PromptPassword(const std::string& title,
                                            const std::string& prompt) override;
  std::optional<std::string> ChooseFileToOpen(const std::string& title,
                                              const std::string& filter) override;
  std::optional<std::string> ChooseFileToSave(const std::string& title, const std::string& filter,
                                              const std::string& suggestedName) override;

 private:
  // The call as recorded, with the choice made.
  Call Decide(Call call);
  std::optional<std::string> AskText(Call call);
  void Notice(Call call);

  mutable std::mutex m_mutex;
  std::deque<Answer> m_script;
  std::vector<Call> m_calls;
  WindowThreadCheck m_windowThread;
};

}  // namespace platform
