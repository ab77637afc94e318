#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/HeadlessDialogs.h"
#include "platform/TextError.h"
#include "protocol/LittleEndian.h"
#include "protocol/PacketForming.h"
#include "protocol/PacketTypes.h"
#include "session/Login.h"
#include "session/LoginCrypto.h"
#include "session/LoginPackets.h"
#include "settings/IniFile.h"
#include "settings/MiscSettings.h"
#include "settings/TempDir.h"
#include "support/FakeSession.h"

using namespace session;
using platform::HeadlessDialogs;
using testing::ElementsAre;
using testing::HasSubstr;

namespace {

// An ASK_USER_QUESTIONS payload; each question's length counts its zero.
std::vector<uint8_t> Questions(const std::vector<std::string>& questions) {
  std::vector<uint8_t> payload(QUESTION_LENGTHS_SIZE, 0);
  for (size_t i = 0; i < questions.size(); ++i) {
    StoreLE32(payload.data() + 4 * i, static_cast<uint32_t>(questions[i].size() + 1));
    payload.insert(payload.end(), questions[i].begin(), questions[i].end());
    payload.push_back(0);
  }
  return payload;
}

// The answers of a QUESTION_REPLIES payload, by its lengths.
std::vector<std::string> Answers(const SentPacket& packet) {
  std::vector<std::string> answers;
  size_t at = ANSWER_LENGTHS_SIZE;
  for (int i = 0; i < packet.header.subtype; ++i) {
    const size_t length = LoadLE16(packet.payload.data() + 2 * i);
    answers.emplace_back(reinterpret_cast<const char*>(&packet.payload[at]), length - 1);
    at += length;
  }
  EXPECT_EQ(at + 1, packet.payload.size()) << "one closing zero after the last answer";
  return answers;
}

std::string Decrypted(const std::string& password, std::vector<uint8_t> data) {
  const LoginKeys keys = DeriveLoginKeys(password);
  PayloadCipher cipher;
  cipher.SetKeys(keys.blowfish, keys.key1, keys.key2, keys.key3);
  cipher.SetSessionCipher(ENCRYPTION_BLOWFISH);
  PacketHeader header(PING, 0, static_cast<uint16_t>(data.size()),
                      static_cast<uint16_t>(data.size()));
  header.encrypted = 1;
  cipher.DecryptPayload(data.data(), data.size(), header);
  return std::string(data.begin(), data.end());
}

// A password whose SHA-1 digest starts with a zero byte, found by search.
std::string PasswordWithZeroDigest(int skip) {
  for (int i = 0;; ++i) {
    const std::string candidate = "p" + std::to_string(i);
    if (DeriveLoginKeys(candidate).blowfish[0] == 0 && skip-- == 0) return candidate;
  }
}

}  // namespace

TEST(LoginPackets, ReadsQuestionsWithTheirZeroAndRefusesWhatIsNotThere) {
  const std::vector<uint8_t> good = Questions({"User ID:", "Password:", "abc", "Encryption:"});
  const auto questions = ReadUserQuestions(4, good.data(), good.size());
  ASSERT_EQ(questions.size(), 4u);
  EXPECT_EQ(questions[2], std::string("abc\0", 4));
  EXPECT_EQ(QuestionText(questions[0]), "User ID:");

  std::vector<uint8_t> overlong = good;
  StoreLE32(overlong.data() + 12, 1000);
  struct Case {
    int count;
    std::vector<uint8_t> payload;
    const char* error;
  };
  const Case cases[] = {
      {11, good, "at most 10"},
      {4, std::vector<uint8_t>(good.begin(), good.begin() + 39), "without their lengths"},
      {4, std::vector<uint8_t>(good.begin(), good.end() - 1), "Question 3"},
      {4, overlong, "Question 3"},
  };
  for (const Case& c : cases) {
    try {
      ReadUserQuestions(c.count, c.payload.data(), c.payload.size());
      ADD_FAILURE() << c.error;
    } catch (const TextError& e) {
      EXPECT_THAT(e.Text(), HasSubstr(c.error));
    }
  }
}

TEST(LoginPackets, EncodesAnswersWithLengthsAndClosingZero) {
  const std::vector<uint8_t> payload = EncodeQuestionReplies({"admin", "0a1b", "0D"});
  ASSERT_EQ(payload.size(), 20u + 6 + 5 + 3 + 1);
  EXPECT_EQ(LoadLE16(&payload[0]), 6);
  EXPECT_EQ(LoadLE16(&payload[2]), 5);
  EXPECT_EQ(LoadLE16(&payload[4]), 3);
  for (size_t i = 6; i < 20; ++i) EXPECT_EQ(payload[i], 0) << i;
  EXPECT_EQ(std::string(payload.begin() + 20, payload.end()), std::string("admin\0"
                                                                          "0a1b\0"
                                                                          "0D\0\0",
                                                                          15));
}

TEST(LoginCrypto, AnswerIsTheZeroPaddedChallengeUnderTheBlowfishKey) {
  struct Case {
    size_t textLength;  // the challenge's bytes, its zero included
    size_t answerLength;
  };
  for (const Case c : {Case{16, 16}, Case{17, 24}, Case{200, 200}, Case{1, 8}}) {
    std::string text(c.textLength - 1, 'x');
    text.push_back('\0');
    std::vector<uint8_t> output(CHALLENGE_OUTPUT_SIZE, 0xEE);
    PayloadCipher cipher;
    const size_t length = EncryptRandomString(output.data(), output.size(),
                                              reinterpret_cast<const uint8_t*>(text.data()),
                                              text.size(), "secret", cipher);
    ASSERT_EQ(length, c.answerLength) << c.textLength;
    output.resize(length);
    EXPECT_EQ(Decrypted("secret", output), text + std::string(length - text.size(), '\0'));
  }
}

TEST(LoginCrypto, RefusesAChallengeLongerThanTheOutput) {
  const std::string text(201, 'x');
  std::vector<uint8_t> output(CHALLENGE_OUTPUT_SIZE);
  PayloadCipher cipher;
  try {
    EncryptRandomString(output.data(), output.size(), reinterpret_cast<const uint8_t*>(text.data()),
                        text.size(), "secret", cipher);
    ADD_FAILURE();
  } catch (const TextError& e) {
    EXPECT_EQ(e.Text(), "Error in EncryptRandomString():\nOutput buffer too small.");
  }
  EXPECT_THROW(BinToHex(output.data(), 201), TextError);
}

TEST(LoginCrypto, DesKeysFollowTheDigestText) {
  const LoginKeys keys = DeriveLoginKeys("admin");
  for (size_t i = 0; i < 7; ++i) EXPECT_EQ(keys.key3[i], keys.key1[i] ^ keys.key2[i]) << i;
  EXPECT_EQ(keys.key1[7], 0);
  EXPECT_EQ(keys.key2[7], 0);
  EXPECT_EQ(keys.key3[7], 0);
  EXPECT_EQ(BinToHex(keys.blowfish.data(), keys.blowfish.size()),
            "d033e22ae348aeb5660fc2140aec35850c4da997");  // SHA-1 of "admin"

  // A digest that starts with a zero byte is the empty text: every such
  // password gives the same DES keys, though their Blowfish keys differ.
  const LoginKeys first = DeriveLoginKeys(PasswordWithZeroDigest(0));
  const LoginKeys second = DeriveLoginKeys(PasswordWithZeroDigest(1));
  EXPECT_NE(first.blowfish, second.blowfish);
  EXPECT_EQ(first.key1, second.key1);
  EXPECT_EQ(first.key2, second.key2);
  EXPECT_EQ(first.key3, second.key3);
  EXPECT_NE(first.key1, keys.key1);
}

class LoginExchange : public testing::Test {
 protected:
  LoginExchange() : ini(dir.File("Remote.ini")), login(link, ini, dialogs, "Tessaline") {}

  void Ask(const std::vector<std::string>& questions) {
    const std::vector<uint8_t> payload = Questions(questions);
    PacketHeader header(ASK_USER_QUESTIONS, static_cast<uint8_t>(questions.size()));
    login.AskUserQuestions(header, payload.data(), payload.size());
  }
  void AskPassword(const std::string& challenge) {
    Ask({"User ID:", "Password:", challenge, "Encryption:"});
  }
  const SentPacket& LastSent() {
    EXPECT_FALSE(link.sent.empty());
    return link.sent.back();
  }

  TempDir dir;
  settings::IniFile ini;
  HeadlessDialogs dialogs;
  FakeSession link;
  Login login;
};

TEST_F(LoginExchange, PasswordLoginAnswersNameChallengeAndPreferredCipher) {
  settings::WriteMisc(ini, "Password", "admin");
  dialogs.Script(HeadlessDialogs::Answer::Text("admin"));
  const std::string challenge(15, 'C');  // 16 bytes with its zero
  AskPassword(challenge);

  EXPECT_EQ(link.SentCount(THROUGHPUT_TEST_PACKET), 1u);
  EXPECT_EQ(dialogs.Count(HeadlessDialogs::Kind::PromptPassword), 0u);
  const auto prompt = dialogs.Last(HeadlessDialogs::Kind::PromptText);
  ASSERT_TRUE(prompt);
  EXPECT_EQ(prompt->title, "Tessaline Login");
  EXPECT_EQ(prompt->text, "Destination: Lab   Route: 10.0.0.5\nUser ID:");

  const SentPacket& reply = LastSent();
  EXPECT_EQ(reply.header.type, QUESTION_REPLIES);
  EXPECT_EQ(reply.header.subtype, 3);
  const auto answers = Answers(reply);
  ASSERT_EQ(answers.size(), 3u);
  EXPECT_EQ(answers[0], "admin");
  EXPECT_EQ(answers[1].size(), 32u);
  EXPECT_EQ(answers[2], "0D");

  std::vector<uint8_t> expected(CHALLENGE_OUTPUT_SIZE);
  PayloadCipher fresh;
  const std::string bytes = challenge + '\0';
  const size_t length = EncryptRandomString(expected.data(), expected.size(),
                                            reinterpret_cast<const uint8_t*>(bytes.data()),
                                            bytes.size(), "admin", fresh);
  EXPECT_EQ(answers[1], BinToHex(expected.data(), length));
}

TEST_F(LoginExchange, WithoutStoredPasswordThePasswordDialogAsks) {
  dialogs.Script(HeadlessDialogs::Answer::Text(std::string(120, 'u')));
  dialogs.Script(HeadlessDialogs::Answer::Text("pw"));
  AskPassword(std::string(16, 'C'));  // 17 bytes: a 24-byte answer

  const auto prompt = dialogs.Last(HeadlessDialogs::Kind::PromptPassword);
  ASSERT_TRUE(prompt);
  EXPECT_EQ(prompt->text, "Password:");
  const SentPacket& reply = LastSent();
  EXPECT_EQ(LoadLE16(&reply.payload[0]), 101);
  EXPECT_EQ(LoadLE16(&reply.payload[2]), 49);
  EXPECT_EQ(LoadLE16(&reply.payload[4]), 3);
  EXPECT_EQ(Answers(reply)[0], std::string(100, 'u'));
}

TEST_F(LoginExchange, CancelSendsEmptyRepliesAndAbortsOnlyAPasswordLogin) {
  dialogs.Script(HeadlessDialogs::Answer::Text("admin"));
  dialogs.Script(HeadlessDialogs::Answer::Cancel());
  AskPassword("challenge");
  EXPECT_EQ(LastSent().header.subtype, 0);
  EXPECT_TRUE(LastSent().payload.empty());
  EXPECT_TRUE(link.aborted);
  EXPECT_EQ(link.failure, "Aborted at your request.\n");

  link.sent.clear();
  link.aborted = false;
  dialogs.Script(HeadlessDialogs::Answer::Cancel());
  Ask({"Name:", "Room:"});
  EXPECT_EQ(LastSent().header.subtype, 0);
  EXPECT_FALSE(link.aborted);
  EXPECT_EQ(link.SentCount(THROUGHPUT_TEST_PACKET), 0u);
}

TEST_F(LoginExchange, OrdinaryLoginAnswersEveryQuestionFromTheUserName) {
  settings::WriteMisc(ini, "UserID", "operator");
  Ask({"Name:", "Room:"});
  EXPECT_EQ(LastSent().header.subtype, 2);
  EXPECT_THAT(Answers(LastSent()), ElementsAre("operator", "operator"));
}

TEST_F(LoginExchange, GivenAnswersTakeThePlaceOfStoredOnes) {
  settings::WriteMisc(ini, "UserID", "stored");
  login.SetGivenAnswers("given", "pw");
  AskPassword("abc");
  EXPECT_EQ(Answers(LastSent())[0], "given");
  EXPECT_EQ(dialogs.Calls().size(), 0u);
}

TEST_F(LoginExchange, ChallengeOverTwoHundredBytesIsRefused) {
  login.SetGivenAnswers("admin", "admin");
  AskPassword(std::string(199, 'C'));
  EXPECT_EQ(LoadLE16(&LastSent().payload[2]), 401);
  try {
    AskPassword(std::string(200, 'C'));
    ADD_FAILURE();
  } catch (const TextError& e) {
    EXPECT_EQ(e.Text(),
              "Error in AskUserQuestions():\nError in EncryptRandomString():\nOutput buffer too "
              "small.");
  }
}

TEST_F(LoginExchange, LoggedInSubtypeDecidesFlagsAndCipher) {
  struct Case {
    uint8_t subtype;
    int negotiated;
    bool loggedIn;
    bool administrator;
    int sessionCipher;
    size_t warnings;
  };
  const Case cases[] = {
      {0, 13, false, false, ENCRYPTION_NONE, 0},
      {1, 12, true, false, 12, 0},
      {2, 13, true, true, 13, 0},
      {1, 0, true, false, 0, 0},
      {3, 13, false, false, ENCRYPTION_NONE, 1},
  };
  for (const Case& c : cases) {
    link.cipher.SetSessionCipher(ENCRYPTION_NONE);
    link.negotiated = c.negotiated;
    dialogs.ClearCalls();
    const uint8_t payload[] = {static_cast<uint8_t>(c.negotiated)};
    login.LoggedIn(PacketHeader(LOGGED_IN, c.subtype, 1, 1), payload, sizeof payload);
    SCOPED_TRACE(c.subtype);
    EXPECT_EQ(link.loggedIn, c.loggedIn);
    EXPECT_EQ(login.IsAdministrator(), c.administrator);
    EXPECT_EQ(link.cipher.SessionCipher(), c.sessionCipher);
    if (c.loggedIn) {
      // The observer hears the same rights and cipher.
      EXPECT_EQ(link.grant.administrator, c.administrator);
      EXPECT_EQ(link.grant.cipher, c.sessionCipher);
    }
    EXPECT_EQ(dialogs.Count(HeadlessDialogs::Kind::MessageBox), c.warnings);
  }
  EXPECT_EQ(dialogs.Last(HeadlessDialogs::Kind::MessageBox)->text, BAD_LOGGED_IN_TEXT);

  // No cipher agreed: the session cipher is 0 and nothing can be sent.
  link.negotiated = 0;
  login.LoggedIn(PacketHeader(LOGGED_IN, 1), nullptr, 0);
  PacketHeader ping(PING, 0);
  const uint8_t stamp[4] = {};
  try {
    FormPacket(ping, link.cipher, {stamp, sizeof stamp});
    ADD_FAILURE();
  } catch (const TextError& e) {
    EXPECT_THAT(e.Text(), HasSubstr("Unsupported encryption standard in EncryptPayload() : 0."));
  }
}
