#pragma once
// The login exchange on the window thread: the unit's questions answered from
// the stored answers or the login dialogs, the challenge encrypted under the
// password, and the unit's verdict.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/Desktop.h"
#include "protocol/PacketHeader.h"
#include "session/Session.h"
#include "settings/IniFile.h"

namespace session {

// Answers are cut to this many characters.
inline constexpr size_t MAX_ANSWER_LENGTH = 100;
// The number of questions of a password login: user name, password,
// challenge, and one that is not answered.
inline constexpr int PASSWORD_LOGIN_QUESTIONS = 4;
inline constexpr const char* LOGIN_ABORTED_TEXT = "Aborted at your request.\n";
inline constexpr const char* BAD_LOGGED_IN_TEXT =
    "Warning, LOGGED_IN packet received with incorrect subtype.";

class Login {
 public:
  Login(Session& link, settings::IniFile& ini, platform::OperatorDialogs& dialogs,
        std::string productName);

  // Answers given outside the settings (the command-line client's options);
  // they take the place of the stored UserID and Password.
  void SetGivenAnswers(std::optional<std::string> userId, std::optional<std::string> password);

  // ASK_USER_QUESTIONS: the subtype is the number of questions. Throws
  // "Error in AskUserQuestions():\n" + cause.
  void AskUserQuestions(const PacketHeader& header, const uint8_t* payload, size_t length);
  // LOGGED_IN: the subtype is the unit's verdict.
  void LoggedIn(const PacketHeader& header, const uint8_t* payload, size_t length);

  bool IsAdministrator() const { return m_administrator; }
  // Calendar seconds of the last successful login; 0 before one.
  int64_t LoginTime() const { return m_loginTime; }
  // Refusals (LOGGED_IN subtype 0) since this object was made.
  int Refusals() const { return m_refusals; }

 private:
  // The answer to one question, or nothing when the operator cancelled.
  std::optional<std::string> Answer(bool password, const std::string& prompt);
  void Ask(int count, const uint8_t* payload, size_t length);
  void SendReplies(int count, const std::vector<std::string>& answers);

  Session& m_link;
  settings::IniFile& m_ini;
  platform::OperatorDialogs& m_dialogs;
  std::string m_productName;
  std::optional<std::string> m_givenUserId;
  std::optional<std::string> m_givenPassword;
  bool m_administrator = false;
  int64_t m_loginTime = 0;
  int m_refusals = 0;
};

}  // namespace session
