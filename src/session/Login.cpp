#include "session/Login.h"

#include <array>
#include <utility>
#include <vector>

#include "platform/Clock.h"
#include "platform/Format.h"
#include "platform/TextError.h"
#include "platform/Trace.h"
#include "protocol/PacketTypes.h"
#include "session/LineSpeed.h"
#include "session/LoginCrypto.h"
#include "session/LoginPackets.h"
#include "settings/MiscSettings.h"

namespace session {
namespace {

constexpr int PASSWORD_QUESTION = 1;
constexpr int CHALLENGE_QUESTION = 2;
constexpr const char* NO_STORED_ANSWER = "~";

}  // namespace

Login::Login(Session& link, settings::IniFile& ini, platform::OperatorDialogs& dialogs,
             std::string productName)
    : m_link(link), m_ini(ini), m_dialogs(dialogs), m_productName(std::move(productName)) {}

void Login::SetGivenAnswers(std::optional<std::string> userId,
                            std::optional<std::string> password) {
  m_givenUserId = std::move(userId);
  m_givenPassword = std::move(password);
}

void Login::AskUserQuestions(const PacketHeader& header, const uint8_t* payload, size_t length) {
  try {
    Ask(header.subtype, payload, length);
  } catch (const TextError& e) {
    throw TextError("Error in AskUserQuestions():\n" + e.Text());
  } catch (...) {
    throw TextError("Error in AskUserQuestions():\nUnknown error.");
  }
}

void Login::Ask(int count, const uint8_t* payload, size_t length) {
  const std::vector<std::string> questions = ReadUserQuestions(count, payload, length);
  const bool passwordLogin = count == PASSWORD_LOGIN_QUESTIONS;
  if (passwordLogin) SendTimingPacket(m_link);

  std::vector<std::string> answers;
  std::string password;
  for (int i = 0; i < count; ++i) {
    const std::string text(QuestionText(questions[i]));
    const bool isPassword = passwordLogin && i == PASSWORD_QUESTION;
    const std::string prompt = isPassword ? text
                                          : "Destination: " + m_link.TargetLocation() +
                                                "   Route: " + m_link.TargetAddress() + "\n" + text;
    std::optional<std::string> answer = Answer(isPassword, prompt);
    if (!answer) {
      SendReplies(0, {});
      if (passwordLogin) m_link.AbortLogin(LOGIN_ABORTED_TEXT);
      return;
    }
    if (answer->size() > MAX_ANSWER_LENGTH) answer->resize(MAX_ANSWER_LENGTH);
    if (isPassword) {
      password = std::move(*answer);
      break;
    }
    answers.push_back(std::move(*answer));
  }

  if (passwordLogin) {
    const std::string& challenge = questions[CHALLENGE_QUESTION];
    Trace("String to encrypt: %s\n", std::string(QuestionText(challenge)).c_str());
    std::array<uint8_t, CHALLENGE_OUTPUT_SIZE> output;
    const size_t answerLength = EncryptRandomString(
        output.data(), output.size(), reinterpret_cast<const uint8_t*>(challenge.data()),
        challenge.size(), password, m_link.Cipher());
    const std::string hex = BinToHex(output.data(), answerLength);
    Trace("strHexifiedEncryptedString = %s\n", hex.c_str());
    answers.push_back(hex);
    answers.push_back(
        Format("%02X", settings::ReadMiscNumber(m_ini, "EncryptionTypeClientPrefers")));
  }
  SendReplies(static_cast<int>(answers.size()), answers);
}

std::optional<std::string> Login::Answer(bool password, const std::string& prompt) {
  const std::optional<std::string>& given = password ? m_givenPassword : m_givenUserId;
  if (given) return given;
  const std::string stored = settings::ReadMisc(m_ini, password ? "Password" : "UserID");
  if (stored.rfind(NO_STORED_ANSWER, 0) != 0) return stored;
  const std::string title = m_productName + " Login";
  return password ? m_dialogs.PromptPassword(title, prompt)
                  : m_dialogs.PromptText(title, prompt, "");
}

void Login::SendReplies(int count, const std::vector<std::string>& answers) {
  PacketHeader header(QUESTION_REPLIES, static_cast<uint8_t>(count));
  if (count == 0) {
    m_link.SendPacket(header);
    return;
  }
  const std::vector<uint8_t> payload = EncodeQuestionReplies(answers);
  m_link.SendPacket(header, {payload.data(), payload.size()});
}

void Login::LoggedIn(const PacketHeader& header, const uint8_t* payload, size_t length) {
  Trace("LoggedIn() encryption == %d\n", length > 0 ? payload[0] : 0);
  switch (header.subtype) {
    case 0:
      m_administrator = false;
      ++m_refusals;
      m_link.SetLoggedIn(false);
      return;
    case 1:
    case 2:
      m_administrator = header.subtype == 2;
      m_link.Cipher().SetSessionCipher(m_link.NegotiatedCipher());
      m_link.SetLoggedIn(true, {m_administrator, m_link.NegotiatedCipher()});
      m_loginTime = platform::CalendarSeconds();
      return;
    default:
      m_administrator = false;
      m_link.SetLoggedIn(false);
      m_dialogs.MessageBox(m_productName, BAD_LOGGED_IN_TEXT, platform::DialogButtons::Ok,
                           platform::DialogIcon::Warning);
      return;
  }
}

}  // namespace session
