#include "view/OperatorMessages.h"

#include <algorithm>

namespace view {
namespace {

constexpr const char* UNIT_CLOSING_TEXTS =
    "Too many login attempts.~~~Inactivity timer expired.~~~Time expired for logging in";

}  // namespace

bool IsUnitClosingText(const std::string& text) {
  return std::string(UNIT_CLOSING_TEXTS).find(text) != std::string::npos;
}

std::string WithCrLf(const std::string& text) {
  std::string converted;
  converted.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) converted += '\r';
    converted += text[i];
  }
  return converted;
}

void ShowMessageText(platform::OperatorDialogs& dialogs, const std::string& title,
                     const std::string& text) {
  const auto lineFeeds = static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
  if (text.size() <= MESSAGE_BOX_MAX_CHARS && lineFeeds <= MESSAGE_BOX_MAX_LINE_FEEDS)
    dialogs.MessageBox(title, text, platform::DialogButtons::Ok, platform::DialogIcon::Information);
  else
    dialogs.ShowText(title, WithCrLf(text));
}

void ShowTimedMessageText(platform::OperatorDialogs& dialogs, const std::string& text,
                          int seconds) {
  dialogs.ShowTimedMessage(TIMED_MESSAGE_TITLE, WithCrLf(text), seconds);
}

}  // namespace view
