#include "session/FailureRecord.h"

namespace session {

void FailureRecord::Set(const std::string& title, const std::string& text) {
  std::lock_guard lock(m_mutex);
  m_title = title;
  m_text = text;
}

void FailureRecord::SetTitle(const std::string& title) {
  std::lock_guard lock(m_mutex);
  m_title = title;
}

void FailureRecord::SetText(const std::string& text) {
  std::lock_guard lock(m_mutex);
  m_text = text;
}

std::string FailureRecord::Title() const {
  std::lock_guard lock(m_mutex);
  return m_title;
}

std::string FailureRecord::Text() const {
  std::lock_guard lock(m_mutex);
  return m_text;
}

void FailureRecord::BeginAttempt() {
  std::lock_guard lock(m_mutex);
  m_attemptInProgress = true;
  m_attemptMessages.clear();
}

void FailureRecord::EndAttempt() {
  std::lock_guard lock(m_mutex);
  m_attemptInProgress = false;
}

bool FailureRecord::IsAttemptInProgress() const {
  std::lock_guard lock(m_mutex);
  return m_attemptInProgress;
}

void FailureRecord::AppendAttemptMessage(const std::string& text) {
  std::lock_guard lock(m_mutex);
  m_attemptMessages += text;
}

std::string FailureRecord::AttemptMessages() const {
  std::lock_guard lock(m_mutex);
  return m_attemptMessages;
}

std::string FailureRecord::OperatorText() const {
  std::lock_guard lock(m_mutex);
  return m_text.empty() ? m_attemptMessages : m_text;
}

}  // namespace session
