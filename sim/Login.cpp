#include "Login.h"

#include <random>

#include "Cipher.h"

namespace sim {

namespace {

constexpr int QUESTION_SLOTS = 10;

std::optional<Bytes> FromHex(const std::string& text) {
  if (text.size() % 2 != 0) return std::nullopt;
  auto digit = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  Bytes out;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    const int high = digit(text[i]), low = digit(text[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    out.push_back(static_cast<std::uint8_t>(high * 16 + low));
  }
  return out;
}

}  // namespace

std::string RandomChallenge(int length) {
  static const char ALPHABET[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::mt19937 generator{std::random_device{}()};
  std::uniform_int_distribution<int> pick(0, sizeof ALPHABET - 2);
  std::string text;
  for (int i = 0; i < length; ++i) text += ALPHABET[pick(generator)];
  return text;
}

Packet AskUserQuestions(const std::string& challenge) {
  const std::string questions[] = {"User ID:", "Password:", challenge, "Encryption:"};
  Packet packet{ASK_USER_QUESTIONS, 4, {}};
  for (int i = 0; i < QUESTION_SLOTS; ++i)
    PutLe32(packet.data, i < 4 ? static_cast<std::uint32_t>(questions[i].size() + 1) : 0);
  for (const auto& question : questions) {
    packet.data.insert(packet.data.end(), question.begin(), question.end());
    packet.data.push_back(0);
  }
  return packet;
}

std::optional<Replies> ParseQuestionReplies(const Packet& packet) {
  Replies replies;
  replies.count = packet.subtype;
  if (replies.count == 0) return replies;
  if (replies.count > QUESTION_SLOTS || packet.data.size() < 2 * QUESTION_SLOTS)
    return std::nullopt;
  std::size_t at = 2 * QUESTION_SLOTS;
  for (int i = 0; i < replies.count; ++i) {
    const std::size_t length = GetLe16(&packet.data[2 * i]);
    // Each answer counts its terminating zero, which must be where the length says.
    if (length == 0 || at + length > packet.data.size() || packet.data[at + length - 1] != 0)
      return std::nullopt;
    replies.answers.emplace_back(packet.data.begin() + at, packet.data.begin() + at + length - 1);
    at += length;
  }
  return replies;
}

const User* CheckLogin(const UserList& users, const std::string& challenge,
                       const Replies& replies) {
  if (replies.answers.size() < 2) return nullptr;
  const User* user = users.Find(replies.answers[0]);
  const auto answer = FromHex(replies.answers[1]);
  if (!user || !answer) return nullptr;
  return *answer == SessionKeys::FromPassword(user->password).ChallengeAnswer(challenge) ? user
                                                                                         : nullptr;
}

}  // namespace sim
