#include "admin/XmlParseException.h"

#include <array>
#include <cstdio>

namespace admin::XML {
namespace {

std::string Shown(uint32_t code, uint32_t line, uint32_t column) {
  char text[200];
  std::snprintf(text, sizeof text, "Error on Line: %u\nError on Column: %u\n%s\n", line, column,
                ParseErrorText(code));
  return text;
}

}  // namespace

const char* ParseErrorText(uint32_t code) {
  static constexpr std::array<const char*, 4> TEXTS = {"no error", "not well-formed",
                                                       "invalid value", "premature eof"};
  return code < TEXTS.size() ? TEXTS[code] : "";
}

ParseException::ParseException(uint32_t code, uint32_t line, uint32_t column, uint32_t bytesRead)
    : TextError(Shown(code, line, column)),
      m_code(code),
      m_line(line),
      m_column(column),
      m_bytesRead(bytesRead) {}

}  // namespace admin::XML
