#include "input/KeySender.h"

#include <utility>

#include "input/KbdPacket.h"
#include "input/VirtualKeys.h"
#include "platform/TextError.h"
#include "platform/Trace.h"
#include "protocol/PacketTypes.h"

namespace input {

KeySender::KeySender(session::Session& session, const platform::KeyboardDevice& keyboard,
                     ScrambleSource scramble)
    : m_session(session), m_keyboard(keyboard), m_scramble(std::move(scramble)) {}

void KeySender::SendKeystroke(const Keystroke& key, bool withModifiers) {
  try {
    KbdPayload payload =
        MakeKbdPayload(key, withModifiers ? ReadModifiers(m_keyboard) : ModifierBytes{});
    const uint8_t scramble = m_scramble();
    Scramble(payload, scramble);
    PacketHeader header(KBD, scramble);
    m_session.SendPacket(header, {payload.data(), payload.size()});
    if (key.Message() != WM_CHAR) Remember(key);
  } catch (const TextError& e) {
    throw TextError("In SendKeystroke()\n" + e.Text());
  }
}

void KeySender::SendBalancedKeystroke(const Keystroke& key, bool withModifiers) {
  if (key.Message() == WM_CHAR) return;
  if (!m_firstKeySeen) {
    m_firstKeySeen = true;
    if (key.IsUp()) return;
  }
  const uint8_t scan = static_cast<uint8_t>(key.GetOEMCode());
  if (key.IsUp() && m_sentKeys[scan].IsUp() && scan != SCAN_PRINT_SCREEN) {
    TraceLevel(5, "Eat unblncd UP ##> %s\n", key.Dump().c_str());
    return;
  }
  SendKeystroke(key, withModifiers);
}

void KeySender::LiftSentKeys() {
  for (int scan = 0; scan < 256; ++scan) {
    if (m_sentKeys[scan].IsUp()) continue;
    Keystroke lifted = m_sentKeys[scan];
    lifted.SetUp(true);
    TraceLevel(5, "%21s %s\n", "Fcus Lost lift key =>", lifted.Dump().c_str());
    SendKeystroke(lifted, true);
  }
}

void KeySender::MarkSentUp(uint8_t scan) { m_sentKeys.Mark(scan, false); }

void KeySender::Remember(const Keystroke& key) {
  const uint8_t scan = static_cast<uint8_t>(key.GetOEMCode());
  m_sentKeys.Store(key);
  TraceLevel(3, "SAVING STATE OF 0X%X\n", scan);
}

}  // namespace input
