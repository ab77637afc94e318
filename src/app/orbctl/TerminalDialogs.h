#pragma once
// The operator's dialogs on a terminal: notices go to standard error, the
// login prompts read standard input (the password without echo). Without a
// terminal a prompt fails with a text that says what to give instead.

#include <string>

#include "platform/Desktop.h"

namespace orbctl {

class TerminalDialogs : public platform::OperatorDialogs {
 public:
  // The last error shown, for the failure report.
  const std::string& LastError() const { return m_lastError; }
  // The last notice shown (a message box, a text), such as the unit's own texts.
  const std::string& LastNotice() const { return m_lastNotice; }

  platform::DialogChoice MessageBox(const std::string& title, const std::string& text,
                                    platform::DialogButtons buttons,
                                    platform::DialogIcon icon) override;
  void ShowError(const std::string& title, const std::string& details) override;
  void ShowText(const std::string& title, const std::string& text) override;
  void ShowTimedMessage(const std::string& title, const std::string& text, int seconds) override;
  bool AskYesNo(const std::string& title, const std::string& text) override;
  // Nobody watches a headless view to be taught how to leave pass-through,
  // so the dialog is cancelled and the mode stays off; commands that need it
  // enter it themselves.
  platform::TeachingAnswer TeachExitKeys(const std::string& title,
                                         const std::string& text) override;
  std::optional<std::string> PromptText(const std::string& title, const std::string& prompt,
                                        const std::string& initial) override;
  std::optional<std::string> PromptPassword(const std::string& title,
                                            const std::string& prompt) override;
  std::optional<std::string> ChooseFileToOpen(const std::string& title,
                                              const std::string& filter) override;
  std::optional<std::string> ChooseFileToSave(const std::string& title, const std::string& filter,
                                              const std::string& suggestedName) override;

 private:
  void Notice(const std::string& title, const std::string& text);

  std::string m_lastError;
  std::string m_lastNotice;
};

}  // namespace orbctl
