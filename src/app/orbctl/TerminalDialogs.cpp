#include "TerminalDialogs.h"

#include <termios.h>
#include <unistd.h>

#include <iostream>

#include "Password.h"
#include "platform/TextError.h"

namespace orbctl {
namespace {

// One line from standard input; nothing at its end (the operator's cancel).
std::optional<std::string> ReadLine(const std::string& title, const std::string& prompt,
                                    bool echo) {
  std::cerr << title << "\n" << prompt << " " << std::flush;
  termios saved{};
  const bool hide = !echo && ::tcgetattr(STDIN_FILENO, &saved) == 0;
  if (hide) {
    termios quiet = saved;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
  }
  std::string line;
  const bool got = static_cast<bool>(std::getline(std::cin, line));
  if (hide) {
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
    std::cerr << "\n";
  }
  if (!got) return std::nullopt;
  return line;
}

}  // namespace

void TerminalDialogs::Notice(const std::string& title, const std::string& text) {
  m_lastNotice = text;
  std::cerr << title << ": " << text << (text.empty() || text.back() != '\n' ? "\n" : "");
}

platform::DialogChoice TerminalDialogs::MessageBox(const std::string& title,
                                                   const std::string& text,
                                                   platform::DialogButtons buttons,
                                                   platform::DialogIcon icon) {
  (void)icon;
  Notice(title, text);
  return buttons == platform::DialogButtons::YesNo ||
                 buttons == platform::DialogButtons::YesNoCancel
             ? platform::DialogChoice::No
             : platform::DialogChoice::Ok;
}

void TerminalDialogs::ShowError(const std::string& title, const std::string& details) {
  m_lastError = title + "\n" + details;
}

void TerminalDialogs::ShowText(const std::string& title, const std::string& text) {
  Notice(title, text);
}

void TerminalDialogs::ShowTimedMessage(const std::string& title, const std::string& text,
                                       int seconds) {
  (void)seconds;
  Notice(title, text);
}

bool TerminalDialogs::AskYesNo(const std::string& title, const std::string& text) {
  Notice(title, text);
  return false;
}

platform::TeachingAnswer TerminalDialogs::TeachExitKeys(const std::string& title,
                                                        const std::string& text) {
  (void)title, (void)text;
  return {};
}

std::optional<std::string> TerminalDialogs::PromptText(const std::string& title,
                                                       const std::string& prompt,
                                                       const std::string& initial) {
  (void)initial;
  if (!::isatty(STDIN_FILENO)) throw TextError(NO_USER_TEXT);
  return ReadLine(title, prompt, true);
}

std::optional<std::string> TerminalDialogs::PromptPassword(const std::string& title,
                                                           const std::string& prompt) {
  if (!::isatty(STDIN_FILENO)) throw TextError(NO_PASSWORD_TEXT);
  return ReadLine(title, prompt, false);
}

std::optional<std::string> TerminalDialogs::ChooseFileToOpen(const std::string&,
                                                             const std::string&) {
  return std::nullopt;
}

std::optional<std::string> TerminalDialogs::ChooseFileToSave(const std::string&, const std::string&,
                                                             const std::string&) {
  return std::nullopt;
}

}  // namespace orbctl
