#include "input/KeySender.h"

#include <utility>

#include "input/KbdPacket.h"
#include "input/VirtualKeys.h"
#include "platform/TextError.h"
#include "platform/Trace.h"
#include "platform/WindowMessages.h"
#include "protocol/PacketTypes.h"

namespace input {

KeySender::KeySender(session::Session& session, const platform::KeyboardDevice& keyboard,
                     ScrambleSource scramble)
    : m_session(session), m_keyboard(keyboard), m_scramble(std::move(scramble)) {}

void KeySender::SendKeystroke(uint32_t message, uint32_t wParam, uint32_t lParam,
                              bool withModifiers) {
  try {
    KbdPayload payload = MakeKbdPayload(
        message, wParam, lParam, withModifiers ? ReadModifiers(m_keyboard) : ModifierBytes{});
    const uint8_t key = m_scramble();
    Scramble(payload, key);
    PacketHeader header(KBD, key);
    m_session.SendPacket(header, {payload.data(), payload.size()});
    if (message != platform::WM_CHAR) Remember(message, wParam, lParam);
  } catch (const TextError& e) {
    throw TextError("In SendKeystroke()\n" + e.Text());
  }
}

void KeySender::SendBalancedKeystroke(uint32_t message, uint32_t wParam, uint32_t lParam,
                                      bool withModifiers) {
  if (message == platform::WM_CHAR) return;
  const Keystroke key(message, wParam, lParam);
  if (!m_firstKeySeen) {
    m_firstKeySeen = true;
    if (key.IsUp()) return;
  }
  const uint8_t scan = static_cast<uint8_t>(key.GetOEMCode());
  if (key.IsUp() && m_sentKeys[scan].IsUp() && scan != SCAN_PRINT_SCREEN) {
    TraceLevel(5, "Eat unblncd UP ##> %s\n", key.Dump().c_str());
    return;
  }
  SendKeystroke(message, wParam, lParam, withModifiers);
}

void KeySender::LiftSentKeys() {
  for (int scan = 0; scan < 256; ++scan) {
    if (m_sentKeys[scan].IsUp()) continue;
    Keystroke lifted = m_sentKeys[scan];
    lifted.SetUp(true);
    TraceLevel(5, "%21s %s\n", "Fcus Lost lift key =>", lifted.Dump().c_str());
    SendKeystroke(lifted.Message(), lifted.VirtualKey(), lifted.KeyData(), true);
  }
}

void KeySender::MarkSentUp(uint8_t scan) {
  m_sentKeys.Mark(scan, false);
  m_sentDown[scan] = false;
}

void KeySender::Remember(uint32_t message, uint32_t wParam, uint32_t lParam) {
  const uint8_t scan = static_cast<uint8_t>((lParam >> 16) & 0xFF);
  m_sentKeys.Store(message, wParam, lParam);
  m_sentDown[scan] = m_sentKeys.IsDown(scan);
  TraceLevel(3, "SAVING STATE OF 0X%X\n", scan);
}

}  // namespace input
