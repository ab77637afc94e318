#pragma once
// The OperatorDialogs port as Qt dialogs, modal to the main window. Each runs
// Qt's nested loop, so the window thread goes on dispatching while the
// operator answers.

#include <string>

#include "platform/Desktop.h"

class QWidget;

namespace ui {

class QtDialogs : public platform::OperatorDialogs {
 public:
  // The version lines of the error dialog: the product's name and versions.
  struct VersionTexts {
    std::string productName;
    std::string viewerVersion;
    std::string unitVersion;  // empty until a unit was connected
  };

  explicit QtDialogs(QWidget* parent) : m_parent(parent) {}
  void SetVersionTexts(VersionTexts texts) { m_versions = std::move(texts); }

  platform::DialogChoice MessageBox(const std::string& title, const std::string& text,
                                    platform::DialogButtons buttons,
                                    platform::DialogIcon icon) override;
  void ShowError(const std::string& title, const std::string& details) override;
  void ShowText(const std::string& title, const std::string& text) override;
  void ShowTimedMessage(const std::string& title, const std::string& text, int seconds) override;
  bool AskYesNo(const std::string& title, const std::string& text) override;
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

  // "Description|*.ext|..." as Qt's "Description (*.ext);;...".
  static std::string QtFilter(const std::string& filter);

 private:
  std::optional<std::string> Prompt(const std::string& title, const std::string& prompt,
                                    const std::string& initial, bool password);

  QWidget* m_parent;
  VersionTexts m_versions;
};

}  // namespace ui
