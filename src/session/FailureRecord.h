#pragma once
// What the operator is told about the last failure of the session: its title
// and text (the failure's report to the observer carries its own copy), and
// the unit's texts collected while a connect attempt was under way. Written by the connect, monitor
// and window threads, read by the window thread; one lock guards all of it.

#include <mutex>
#include <string>

namespace session {

class FailureRecord {
 public:
  void Set(const std::string& title, const std::string& text);
  void SetTitle(const std::string& title);
  void SetText(const std::string& text);
  std::string Title() const;
  std::string Text() const;

  // A connect command begins collecting the unit's texts; its end stops it.
  void BeginAttempt();
  void EndAttempt();
  bool IsAttemptInProgress() const;
  void AppendAttemptMessage(const std::string& text);
  std::string AttemptMessages() const;

  // The one text that tells the operator why the session ended: the failure
  // text, else what the unit said while connecting, else nothing.
  std::string OperatorText() const;

 private:
  mutable std::mutex m_mutex;
  std::string m_title;
  std::string m_text;
  bool m_attemptInProgress = false;
  std::string m_attemptMessages;
};

}  // namespace session
