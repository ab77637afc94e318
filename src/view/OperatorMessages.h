#pragma once
// Texts for the operator that come from the unit or from other threads: which
// of the unit's texts end the session, and how a text is shown.

#include <string>

#include "platform/Desktop.h"

namespace view {

inline constexpr const char* TIMED_MESSAGE_TITLE = "Tessaline Message";
// Longer texts, or texts of more lines, go to the scrollable text dialog.
inline constexpr size_t MESSAGE_BOX_MAX_CHARS = 300;
inline constexpr size_t MESSAGE_BOX_MAX_LINE_FEEDS = 8;

// Whether the text is one of the unit's session-ending texts or any piece of
// them ("Too many login attempts.", "Inactivity timer expired.", "Time
// expired for logging in").
bool IsUnitClosingText(const std::string& text);

// Every line feed not already after a carriage return gets one.
std::string WithCrLf(const std::string& text);

// A short text in a message box, a long one in the text dialog.
void ShowMessageText(platform::OperatorDialogs& dialogs, const std::string& title,
                     const std::string& text);
// The self-closing message window.
void ShowTimedMessageText(platform::OperatorDialogs& dialogs, const std::string& text, int seconds);

}  // namespace view
