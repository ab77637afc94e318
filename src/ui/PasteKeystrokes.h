#pragma once
// "Paste as Keystrokes": the clipboard's text typed on the remote computer
// through the keyboard pipeline, as orbctl's type command types it, in small
// batches so that the progress dialog's Abort stops it between keys.

#include <cstddef>
#include <functional>
#include <string>

#include "core/ViewerCore.h"
#include "platform/Desktop.h"

class QWidget;

namespace ui {

// Longer texts are typed only when the operator confirms.
inline constexpr size_t PASTE_CONFIRM_ABOVE = 1000;
inline constexpr uint32_t PASTE_KEY_GAP_MS = 5;

// Line ends as one key each: CR LF and a lone CR become LF (Enter).
std::string TypableText(const std::string& clipboard);

// Asks before typing a text longer than PASTE_CONFIRM_ABOVE characters.
bool ConfirmPasteLength(platform::OperatorDialogs& dialogs, const std::string& title,
                        size_t characters);

// Types text while logged in; noteKey(virtualKey, down) keeps the local
// keyboard's record in step with each key. Returns when all is typed or aborted.
void PasteAsKeystrokes(QWidget* parent, core::ViewerCore& core, platform::OperatorDialogs& dialogs,
                       const std::string& title, const std::string& text,
                       std::function<void(int, bool)> noteKey);

}  // namespace ui
