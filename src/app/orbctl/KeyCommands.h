#pragma once
// orbctl type, ctrl-alt-del and alt-tab: keys for the remote computer, sent
// through the viewer's keyboard pipeline once logged in.

#include <string>
#include <vector>

#include "HeadlessClient.h"
#include "input/KeyEvent.h"

namespace orbctl {

inline constexpr int DEFAULT_KEY_DELAY_MS = 20;

struct TypeRequest {
  std::vector<input::KeyEvent> keys;
  int keyDelayMs = DEFAULT_KEY_DELAY_MS;
};

// TEXT [--key-delay-ms N]. Throws UsageError for bad arguments and for a
// character that no key of a US keyboard types.
TypeRequest ParseTypeArguments(const std::vector<std::string>& arguments);
// Logs in, enters pass-through and types the keys as the local keyboard
// would deliver them; returns once every key is on the wire. Throws TextError.
void TypeText(HeadlessClient& client, const TypeRequest& request);

enum class KeyCommand { CtrlAltDel, AltTab };
// The remote key command's fixed sequence after login. Throws TextError.
void SendKeyCommand(HeadlessClient& client, KeyCommand command);

}  // namespace orbctl
