#include "session/LoginPackets.h"

#include <cstring>

#include "platform/Format.h"
#include "platform/TextError.h"
#include "protocol/LittleEndian.h"

namespace session {

std::vector<std::string> ReadUserQuestions(int count, const uint8_t* payload, size_t length) {
  if (count < 0 || count > MAX_QUESTIONS)
    throw TextError(
        Format("The unit asked %d questions; at most %d are possible.", count, MAX_QUESTIONS));
  if (count == 0) return {};
  if (length < QUESTION_LENGTHS_SIZE)
    throw TextError("The unit's questions arrived without their lengths.");
  std::vector<std::string> questions;
  size_t at = QUESTION_LENGTHS_SIZE;
  for (int i = 0; i < count; ++i) {
    const uint32_t size = LoadLE32(payload + 4 * i);
    if (size > length - at)
      throw TextError(Format("Question %d of the unit runs past the end of its packet.", i));
    questions.emplace_back(reinterpret_cast<const char*>(payload + at), size);
    at += size;
  }
  return questions;
}

std::string_view QuestionText(std::string_view question) {
  return question.substr(0, std::min(question.find('\0'), question.size()));
}

std::vector<uint8_t> EncodeQuestionReplies(const std::vector<std::string>& answers) {
  if (answers.size() > MAX_QUESTIONS) throw TextError("Too many answers for one reply.");
  std::vector<uint8_t> payload(ANSWER_LENGTHS_SIZE, 0);
  size_t area = 1;  // the closing zero
  for (size_t i = 0; i < answers.size(); ++i) {
    const size_t size = answers[i].size() + 1;
    area += size;
    if (area > ANSWER_AREA_SIZE || size > 0xFFFF) throw TextError("The answers are too long.");
    StoreLE16(payload.data() + 2 * i, static_cast<uint16_t>(size));
    payload.insert(payload.end(), answers[i].begin(), answers[i].end());
    payload.push_back(0);
  }
  payload.push_back(0);
  return payload;
}

}  // namespace session
