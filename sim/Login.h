#pragma once
// The unit's side of the password login: the questions with their challenge, the parsing of
// the viewer's answers, and the check of the encrypted challenge against the accounts.

#include <optional>
#include <string>
#include <vector>

#include "Packet.h"
#include "Users.h"

namespace sim {

// `length` printable characters (the terminating zero travels besides).
std::string RandomChallenge(int length);

// ASK_USER_QUESTIONS with four questions: user name, password, the challenge, the cipher.
Packet AskUserQuestions(const std::string& challenge);

struct Replies {
  int count = 0;  // the subtype: 0 when the operator cancelled
  std::vector<std::string> answers;
};

// Nothing when the payload does not hold the answers its lengths announce.
std::optional<Replies> ParseQuestionReplies(const Packet& packet);

// The account whose password turns the challenge into the answer given, if any.
const User* CheckLogin(const UserList& users, const std::string& challenge, const Replies& replies);

}  // namespace sim
