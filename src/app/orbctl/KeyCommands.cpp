#include "KeyCommands.h"

#include <charconv>

#include "input/UsKeyboardText.h"
#include "platform/TextError.h"

namespace orbctl {
namespace {

constexpr int MAX_KEY_DELAY_MS = 60000;

int KeyDelayMs(const std::string& text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 0 ||
      value > MAX_KEY_DELAY_MS)
    throw UsageError("--key-delay-ms: expected a number from 0 to 60000, not '" + text + "'");
  return value;
}

// Until every paced key has gone and reached the unit; a key that could not
// be sent ends it.
void WaitForKeys(HeadlessClient& client, const std::string& failure) {
  const input::KeyboardPipeline& keyboard = client.Viewer().Keyboard();
  client.RunUntil([&] { return keyboard.IsIdle(); });
  if (!failure.empty()) throw TextError(failure);
  client.PingRoundTrip();
}

}  // namespace

TypeRequest ParseTypeArguments(const std::vector<std::string>& arguments) {
  TypeRequest request;
  const std::string* text = nullptr;
  bool optionsEnded = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (!optionsEnded && argument == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && argument == "--key-delay-ms") {
      if (i + 1 >= arguments.size()) throw UsageError("--key-delay-ms: a value is missing");
      request.keyDelayMs = KeyDelayMs(arguments[++i]);
    } else if (!optionsEnded && argument.rfind("--", 0) == 0) {
      throw UsageError("Unknown type option '" + argument + "' (see --help).");
    } else if (text) {
      throw UsageError("type takes one text, not also '" + argument + "' (quote the text).");
    } else {
      text = &argument;
    }
  }
  if (!text) throw UsageError("type: the text to type is missing.");
  try {
    request.keys = input::UsKeyEventsFor(*text);
  } catch (const TextError& e) {
    throw UsageError("type: " + e.Text());
  }
  return request;
}

void TypeText(HeadlessClient& client, const TypeRequest& request) {
  client.LogIn();
  input::KeyboardPipeline& keyboard = client.Viewer().Keyboard();
  // Not interactive: nobody to teach the way out to.
  keyboard.ForcePassthruMode(true);
  platform::HeadlessKeyboard& local = client.Keyboard();
  std::string failure;
  keyboard.TypeKeys(
      request.keys, static_cast<uint32_t>(request.keyDelayMs),
      [&local](const input::KeyEvent& key) {
        local.PressByUser(static_cast<int>(key.virtualKey), key.scanCode, key.extended, !key.down);
      },
      [&failure](const std::string& text) { failure = text; });
  WaitForKeys(client, failure);
}

void SendKeyCommand(HeadlessClient& client, KeyCommand command) {
  client.LogIn();
  input::KeyboardPipeline& keyboard = client.Viewer().Keyboard();
  std::string failure;
  const auto onFailure = [&failure](const std::string& text) { failure = text; };
  if (command == KeyCommand::CtrlAltDel)
    keyboard.SendCtrlAltDel(onFailure);
  else
    keyboard.SendAltTab(onFailure);
  WaitForKeys(client, failure);
}

}  // namespace orbctl
