#include "session/ConnectProgress.h"

namespace session {

void ConnectProgress::Open(int selection, const std::string& selectionText) {
  m_shown.clear();
  m_orb.SelectUnit(selection, selectionText);
  m_orb.RewindFailover();
  m_orb.ConnectCurrentTarget();
}

ConnectProgress::Tick ConnectProgress::OnTimer() {
  Tick tick;
  const std::string text = m_orb.FailoverText();
  if (text != m_shown) {
    m_shown = text;
    tick.textChanged = true;
    tick.text = ForDisplay(text);
  }
  if (m_orb.IsFailoverActive()) return tick;
  tick.walkEnded = true;
  if (m_orb.IsLoggedIn()) {
    const settings::AddressEntry target = m_orb.CurrentTarget();
    tick.close = true;
    tick.title = m_orb.ProductName() + " Viewer - " + target.Location();
    // An entry named after its address names it once.
    if (target.Addresses().Address() != target.Location())
      tick.title += " - " + target.Addresses().Address();
  }
  return tick;
}

std::string ConnectProgress::ForDisplay(std::string text) {
  for (size_t at; (at = text.find("\r\n\r\n\r\n")) != std::string::npos;) text.erase(at, 2);
  return text;
}

}  // namespace session
