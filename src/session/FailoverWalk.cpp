#include "session/FailoverWalk.h"

#include <utility>

#include "platform/Trace.h"

namespace session {

settings::AddressEntry FailoverWalk::Target() const {
  std::lock_guard lock(m_mutex);
  return m_target;
}

void FailoverWalk::SetTarget(settings::AddressEntry target) {
  std::lock_guard lock(m_mutex);
  m_target = std::move(target);
}

std::string FailoverWalk::ConnectionType() const {
  std::lock_guard lock(m_mutex);
  return m_target.Addresses().ConnectionType();
}

void FailoverWalk::Rewind() {
  std::lock_guard lock(m_mutex);
  m_target.Addresses().Rewind();
  m_target.Addresses().SetRestarted(true);
  m_target.Addresses().SetFailoverText("");
  m_active = m_target.Addresses().LastSlot() > 0;
}

void FailoverWalk::Stop(const std::string& text) {
  std::lock_guard lock(m_mutex);
  m_target.Addresses().SetFailoverText(text);
  m_active = false;
}

bool FailoverWalk::Step(bool loggedIn) {
  std::lock_guard lock(m_mutex);
  if (!m_active) return false;
  const int next = m_target.Addresses().CurrentSlot() + 1;
  if (next <= m_target.Addresses().LastSlot()) {
    const std::string failed = m_target.Addresses().Address();
    m_target.Addresses().SelectSlot(next);
    Trace("%s\n", ("Connect to " + failed + " failed,\ntrying " + m_target.Addresses().Address())
                      .substr(0, 200)
                      .c_str());
    return true;
  }
  m_active = false;
  if (!loggedIn && m_target.Addresses().LastSlot() > 0)
    m_target.Addresses().AppendFailoverText("\n\nAll attempts failed.\n");
  return false;
}

void FailoverWalk::AppendText(const std::string& text) {
  std::lock_guard lock(m_mutex);
  m_target.Addresses().AppendFailoverText(text);
}

std::string FailoverWalk::Text() const {
  std::lock_guard lock(m_mutex);
  return m_target.Addresses().FailoverText();
}

}  // namespace session
