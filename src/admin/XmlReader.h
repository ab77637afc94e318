#pragma once
// A small streaming markup reader: it reads its input through one 2,048-byte
// buffer, counts lines and columns, skips declarations, processing
// instructions, comments, CDATA sections and document type declarations, and
// hands out elements, attributes and text. Any fault is an
// XML::ParseException with its code and position. Values are taken as they
// stand: no character references are expanded, since the unit writes none.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "admin/XmlBinding.h"
#include "admin/XmlParseException.h"

namespace admin::XML {

inline constexpr size_t INPUT_BUFFER = 2048;
// Open elements the reader keeps track of at once.
inline constexpr size_t NODE_POOL = 50;

struct Event {
  enum class Kind { StartElement, EndElement, Text, End };
  Kind kind = Kind::End;
  std::string name;
  std::vector<std::pair<std::string, std::string>> attributes;
  std::string text;
};

class Reader {
 public:
  // Reads up to n bytes into buffer; returns the count, 0 at the end.
  using Input = std::function<size_t(char* buffer, size_t n)>;

  explicit Reader(Input input);
  // The bytes must outlive the reader.
  static Reader FromMemory(const void* data, size_t size);
  static Reader FromString(std::string text);

  // The next element start, element end, text or the end of the input; an
  // empty element gives its start and then its end. White space between
  // elements is skipped.
  Event Next();
  // The character data up to the next '<', read as an element's content.
  std::string ReadText();
  // The value of the named attribute of the element last started.
  std::string ReadAttributeValue(const std::string& name, const std::string& fallback) const;

  // Reads the whole input, binding the root element to one of rows.
  void Parse(const Rows& rows);

  uint32_t Line() const { return m_line; }
  uint32_t Column() const { return m_column; }

 private:
  int Peek();
  int Get();
  [[noreturn]] void Fail(uint32_t code) const;
  int GetOrFail();
  void Expect(char c);
  void SkipBlanks();
  std::string ReadName();
  std::string ReadQuoted();
  void SkipUntil(const char* end);
  void SkipProcessingInstruction();
  void SkipDocumentType();
  Event ReadStartTag(char first);
  Event ReadEndTag();
  void BindElement(const Row& row, const Event& start);
  void SkipElement();

  Input m_input;
  std::array<char, INPUT_BUFFER> m_buffer{};
  size_t m_fill = 0;
  size_t m_read = 0;
  bool m_ended = false;
  uint32_t m_line = 1;
  uint32_t m_column = 0;
  uint32_t m_position = 0;
  std::vector<std::string> m_open;
  bool m_rootSeen = false;
  bool m_pendingEnd = false;
  Event m_current;
};

}  // namespace admin::XML
