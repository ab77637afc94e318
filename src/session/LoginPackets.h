#pragma once
// The two login payloads as plain bytes: the unit's questions (read bounded by
// the bytes that arrived) and the viewer's answers.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace session {

inline constexpr int MAX_QUESTIONS = 10;
// Ten 32-bit question lengths open ASK_USER_QUESTIONS, ten 16-bit answer
// lengths open QUESTION_REPLIES.
inline constexpr size_t QUESTION_LENGTHS_SIZE = 4 * MAX_QUESTIONS;
inline constexpr size_t ANSWER_LENGTHS_SIZE = 2 * MAX_QUESTIONS;
// The answers, each with its zero, and the closing zero must fit this area.
inline constexpr size_t ANSWER_AREA_SIZE = 1012;

// Each question's bytes exactly as its length announces them, so the
// challenge keeps its terminating zero. Throws TextError for more than ten
// questions or lengths that run past the bytes present.
std::vector<std::string> ReadUserQuestions(int count, const uint8_t* payload, size_t length);

// A question's text: its bytes up to the first zero.
std::string_view QuestionText(std::string_view question);

// The QUESTION_REPLIES payload for the answers in slot order: the ten
// lengths (each counting its zero), the answers each followed by a zero, and
// one further zero. Throws TextError when they do not fit.
std::vector<uint8_t> EncodeQuestionReplies(const std::vector<std::string>& answers);

}  // namespace session
