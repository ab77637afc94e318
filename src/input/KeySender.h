#pragma once
// Every key for the unit leaves here as a KBD packet. The sender keeps, per
// scan code, the last state sent, so that a key-up without its key-down is
// not sent and nothing stays pressed on the remote computer.
// Window thread only.

#include <cstdint>
#include <functional>

#include "input/KeyboardState.h"
#include "platform/Desktop.h"
#include "session/Session.h"

namespace input {

class KeySender {
 public:
  // The packet's scrambling byte; a fresh random one for each packet.
  using ScrambleSource = std::function<uint8_t()>;

  KeySender(session::Session& session, const platform::KeyboardDevice& keyboard,
            ScrambleSource scramble);

  // One KBD packet; the modifier bytes read from the local keyboard when asked
  // for, zero otherwise. Throws "In SendKeystroke()\n" + the cause.
  void SendKeystroke(const Keystroke& key, bool withModifiers);
  // The path of every sender but focus loss: WM_CHAR is dropped; the first
  // key after entering pass-through is dropped when it is a key-up; a key-up
  // of a key last sent as up is dropped (except scan code 0x37, which the
  // platform delivers without its key-down).
  void SendBalancedKeystroke(const Keystroke& key, bool withModifiers);
  // Pass-through was entered: the next key is a first key again.
  void ResetFirstKey() { m_firstKeySeen = false; }
  // Every key last sent as down goes up, with the modifier states.
  void LiftSentKeys();

  const Keystroke& Sent(uint8_t scan) const { return m_sentKeys[scan]; }
  bool IsSentKeyDown(uint8_t scan) const { return m_sentKeys.IsDown(scan); }
  // The unit is not to see this key's key-up.
  void MarkSentUp(uint8_t scan);

 private:
  void Remember(const Keystroke& key);

  session::Session& m_session;
  const platform::KeyboardDevice& m_keyboard;
  ScrambleSource m_scramble;
  ScanTable m_sentKeys;
  bool m_firstKeySeen = false;
};

}  // namespace input
