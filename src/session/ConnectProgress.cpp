#include "session/ConnectProgress.h"

namespace session {

void ConnectProgress::Open(int selection, const std::string& selectionText) {
  m_shown.clear();
  m_connector.SelectUnit(selection, selectionText);
  m_connector.RewindFailover();
  m_connector.ConnectCurrentTarget();
}

ConnectProgress::Tick ConnectProgress::OnTimer() {
  Tick tick;
  const std::string text = m_connector.FailoverText();
  if (text != m_shown) {
    m_shown = text;
    tick.textChanged = true;
    tick.text = ForDisplay(text);
  }
  if (m_connector.IsFailoverActive()) return tick;
  tick.walkEnded = true;
  if (m_session.IsLoggedIn()) {
    const settings::AddressEntry target = m_connector.CurrentTarget();
    tick.close = true;
    tick.title = m_connector.ProductName() + " Viewer - " + target.Location();
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
