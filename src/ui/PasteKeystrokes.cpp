#include "ui/PasteKeystrokes.h"

#include <QCoreApplication>
#include <QProgressDialog>
#include <QTimer>

#include "input/UsKeyboardText.h"
#include "platform/TextError.h"

namespace ui {
namespace {

// Keys handed to the pipeline at a time: small enough for Abort to answer at once.
constexpr size_t KEYS_PER_BATCH = 8;
constexpr int FEED_INTERVAL_MS = 10;

size_t CharacterCount(const std::string& utf8) {
  size_t count = 0;
  for (unsigned char c : utf8)
    if ((c & 0xC0) != 0x80) ++count;
  return count;
}

}  // namespace

std::string TypableText(const std::string& clipboard) {
  std::string text;
  text.reserve(clipboard.size());
  for (size_t i = 0; i < clipboard.size(); ++i) {
    if (clipboard[i] != '\r') {
      text += clipboard[i];
    } else if (i + 1 == clipboard.size() || clipboard[i + 1] != '\n') {
      text += '\n';
    }
  }
  return text;
}

bool ConfirmPasteLength(platform::OperatorDialogs& dialogs, const std::string& title,
                        size_t characters) {
  if (characters <= PASTE_CONFIRM_ABOVE) return true;
  return dialogs.AskYesNo(title, "The clipboard holds " + std::to_string(characters) +
                                     " characters.\nType them all on the remote computer?");
}

void PasteAsKeystrokes(QWidget* parent, core::ViewerCore& core, platform::OperatorDialogs& dialogs,
                       const std::string& title, const std::string& text,
                       std::function<void(int, bool)> noteKey) {
  if (!core.Session().IsLoggedIn()) {
    dialogs.MessageBox(title, "Connect to a unit first.", platform::DialogButtons::Ok,
                       platform::DialogIcon::Information);
    return;
  }
  if (text.empty()) return;
  const std::string typable = TypableText(text);
  const std::vector<input::KeyEvent> keys = input::UsKeyEventsFor(typable);
  if (!ConfirmPasteLength(dialogs, title, CharacterCount(typable))) return;

  input::KeyboardPipeline& keyboard = core.Keyboard();

  QProgressDialog progress("Typing the clipboard on the remote computer...", "Abort", 0,
                           static_cast<int>(keys.size()), parent);
  progress.setWindowTitle(QString::fromStdString(title));
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(0);
  std::string failure;
  size_t next = 0;
  QTimer feed;
  QObject::connect(&feed, &QTimer::timeout, &progress, [&] {
    if (!keyboard.IsIdle()) return;
    progress.setValue(static_cast<int>(next));
    if (next == keys.size() || !failure.empty() || !core.Session().IsLoggedIn()) {
      progress.accept();
      return;
    }
    const size_t end = std::min(keys.size(), next + KEYS_PER_BATCH);
    const std::vector<input::KeyEvent> batch(keys.begin() + static_cast<ptrdiff_t>(next),
                                             keys.begin() + static_cast<ptrdiff_t>(end));
    next = end;
    keyboard.TypeKeys(
        batch, PASTE_KEY_GAP_MS,
        [&noteKey](const input::KeyEvent& key) {
          if (noteKey) noteKey(static_cast<int>(key.virtualKey), key.down);
        },
        [&failure](const std::string& text) { failure = text; });
  });
  feed.start(FEED_INTERVAL_MS);
  progress.exec();
  feed.stop();
  // Keys already handed over finish; nothing is left held down.
  while (!keyboard.IsIdle() && core.Session().IsLoggedIn()) QCoreApplication::processEvents();
  if (!failure.empty()) throw TextError(failure);
}

}  // namespace ui
