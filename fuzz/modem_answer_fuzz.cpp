// The modem's answer reader: an answer table built from the input, a command
// and an answer judged against it, and the stream watcher fed the answer.
// Input: the expected class, the table's text length (16-bit) and text (lines
// "answer=class", with <cr> and <lf>), the command's length (8-bit) and
// bytes, then the answer.
//
// Judging never reads past the answer, says 0 exactly for an empty answer,
// classifies only into named classes it can then confirm, and the watcher
// reports a text only once every byte of it has been seen in a row.

#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "modem/AnswerReader.h"
#include "modem/ResponseClasses.h"

namespace {

modem::ResponseClasses Table(std::string_view text) {
  modem::ResponseClasses classes;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    const size_t equals = line.rfind('=');
    if (equals == std::string_view::npos) continue;
    int responseClass = 0;
    for (char c : line.substr(equals + 1)) responseClass = (responseClass * 10 + (c & 7)) % 256;
    classes.Add(modem::ExpandLineEnds(line.substr(0, equals)), responseClass);
  }
  return classes;
}

std::string_view Text(std::basic_string_view<uint8_t> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::InstallFormattingSink();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input input(data, size);
  const int expected = input.Byte() % modem::RESPONSE_CLASS_COUNT;
  const std::string_view tableText = Text(input.Take(input.Word()));
  const std::string command(Text(input.Take(input.Byte())));
  const std::string answer(Text(input.Rest()));
  const modem::ResponseClasses classes = Table(tableText);

  const int verdict = modem::JudgeAnswer(classes, command, answer, expected);
  fuzz::Require(verdict == 1 || verdict == -1 || verdict == 0, "a verdict out of range");
  fuzz::Require((verdict == 0) == answer.empty(), "nothing read and an answer disagree");
  const std::string_view stripped = modem::StripEcho(answer, command);
  fuzz::Require(stripped.size() <= answer.size(), "the echo grew the answer");

  const int found = classes.Classify(stripped);
  if (found >= 0) {
    fuzz::Require(!classes.Name(found).empty(), "classified into an unnamed class");
    fuzz::Require(classes.Contains(found, stripped), "a class that does not hold the answer");
  }

  if (!command.empty()) {
    modem::ExpectMatch match(command);
    size_t at = 0;
    for (char c : answer) {
      ++at;
      if (match.Feed(static_cast<uint8_t>(c))) {
        fuzz::Require(at >= command.size() &&
                          answer.compare(at - command.size(), command.size(), command) == 0,
                      "the watcher saw a text that did not come");
        break;
      }
    }
  }
  return 0;
}
