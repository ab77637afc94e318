#pragma once
// A fault of the markup reader: what went wrong, and where (line and column
// counted from 1, the column in bytes since the last line break).

#include <cstdint>
#include <string>

#include "platform/TextError.h"

namespace admin::XML {

enum ParseError : uint32_t {
  NO_ERROR = 0,
  NOT_WELL_FORMED = 1,
  INVALID_VALUE = 2,
  PREMATURE_EOF = 3,
};

// The text of an error code; "" for a code the reader never gives.
const char* ParseErrorText(uint32_t code);

// Its text is what the operator is shown: "Error on Line: ...".
class ParseException : public TextError {
 public:
  ParseException(uint32_t code, uint32_t line, uint32_t column, uint32_t bytesRead);
  uint32_t Code() const { return m_code; }
  uint32_t Line() const { return m_line; }
  uint32_t Column() const { return m_column; }
  uint32_t BytesRead() const { return m_bytesRead; }

 private:
  uint32_t m_code;
  uint32_t m_line;
  uint32_t m_column;
  uint32_t m_bytesRead;
};

}  // namespace admin::XML
