#include "admin/XmlReader.h"

#include <algorithm>
#include <cstring>

namespace admin::XML {
namespace {

// A CR is seen here before Get() turns it into a line break.
bool IsBlank(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// A name ends before white space, "/", ">" or "=".
bool IsNameEnd(int c) { return IsBlank(c) || c == '/' || c == '>' || c == '=' || c == '?'; }

bool IsNameStart(int c) { return c > ' ' && !IsNameEnd(c) && c != '<' && c != '"' && c != '\''; }

}  // namespace

Reader::Reader(Input input) : m_input(std::move(input)) { m_open.reserve(NODE_POOL); }

Reader Reader::FromMemory(const void* data, size_t size) {
  const char* bytes = static_cast<const char*>(data);
  return Reader([bytes, size, at = size_t{0}](char* buffer, size_t n) mutable {
    const size_t count = std::min(n, size - at);
    if (count > 0) std::memcpy(buffer, bytes + at, count);
    at += count;
    return count;
  });
}

Reader Reader::FromString(std::string text) {
  return Reader([text = std::move(text), at = size_t{0}](char* buffer, size_t n) mutable {
    const size_t count = text.copy(buffer, n, at);
    at += count;
    return count;
  });
}

int Reader::Peek() {
  if (m_read == m_fill && !m_ended) {
    m_fill = m_input(m_buffer.data(), m_buffer.size());
    m_read = 0;
    m_ended = m_fill == 0;
  }
  return m_read < m_fill ? static_cast<unsigned char>(m_buffer[m_read]) : -1;
}

// CR, LF, CR LF and LF CR each come back as one LF and count one line.
int Reader::Get() {
  const int c = Peek();
  if (c < 0) return c;
  ++m_read;
  ++m_position;
  ++m_column;
  if (c != '\r' && c != '\n') return c;
  const int partner = c == '\r' ? '\n' : '\r';
  if (Peek() == partner) {
    ++m_read;
    ++m_position;
  }
  ++m_line;
  m_column = 0;
  return '\n';
}

void Reader::Fail(uint32_t code) const { throw ParseException(code, m_line, m_column, m_position); }

int Reader::GetOrFail() {
  const int c = Get();
  if (c < 0) Fail(PREMATURE_EOF);
  return c;
}

void Reader::Expect(char c) {
  if (GetOrFail() != c) Fail(NOT_WELL_FORMED);
}

void Reader::SkipBlanks() {
  while (IsBlank(Peek())) Get();
}

std::string Reader::ReadName() {
  std::string name;
  for (int c = Peek(); !IsNameEnd(c); c = Peek()) {
    if (c < 0) Fail(PREMATURE_EOF);
    if (c == '<' || c == '"' || c == '\'') {
      Get();
      Fail(NOT_WELL_FORMED);
    }
    name += static_cast<char>(Get());
  }
  if (name.empty()) {
    Get();
    Fail(NOT_WELL_FORMED);
  }
  return name;
}

// After a name: blanks, "=", blanks and a value in either quote.
std::string Reader::ReadQuoted() {
  SkipBlanks();
  Expect('=');
  SkipBlanks();
  const int quote = GetOrFail();
  if (quote != '"' && quote != '\'') Fail(NOT_WELL_FORMED);
  std::string value;
  for (int c = GetOrFail(); c != quote; c = GetOrFail()) value += static_cast<char>(c);
  return value;
}

void Reader::SkipUntil(const char* end) {
  const size_t length = std::strlen(end);
  std::string tail;
  while (tail.size() < length || tail.compare(tail.size() - length, length, end) != 0) {
    tail += static_cast<char>(GetOrFail());
    if (tail.size() > length) tail.erase(0, 1);
  }
}

void Reader::SkipProcessingInstruction() {
  ReadName();
  for (;;) {
    SkipBlanks();
    const int c = GetOrFail();
    if (c == '?') {
      Expect('>');
      return;
    }
    if (!IsNameStart(c)) Fail(NOT_WELL_FORMED);
    ReadName();
    ReadQuoted();
  }
}

void Reader::SkipDocumentType() {
  for (const char c : std::string("OCTYPE")) Expect(c);
  int brackets = 0;
  for (int quote = 0;;) {
    const int c = GetOrFail();
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '[') {
      ++brackets;
    } else if (c == ']') {
      --brackets;
    } else if (c == '>' && brackets <= 0) {
      return;
    }
  }
}

Event Reader::ReadStartTag(char first) {
  Event event;
  event.kind = Event::Kind::StartElement;
  event.name = std::string(1, first) + (IsNameEnd(Peek()) ? std::string() : ReadName());
  if (m_open.empty() && m_rootSeen) Fail(NOT_WELL_FORMED);
  if (m_open.size() >= NODE_POOL) Fail(NOT_WELL_FORMED);
  for (;;) {
    SkipBlanks();
    const int c = GetOrFail();
    if (c == '>' || c == '/') {
      if (c == '/') {
        Expect('>');
        m_pendingEnd = true;
      }
      m_rootSeen = true;
      m_open.push_back(event.name);
      m_current = event;
      return event;
    }
    if (!IsNameStart(c)) Fail(NOT_WELL_FORMED);
    std::string name(1, static_cast<char>(c));
    if (!IsNameEnd(Peek())) name += ReadName();
    event.attributes.emplace_back(std::move(name), ReadQuoted());
  }
}

Event Reader::ReadEndTag() {
  Event event;
  event.kind = Event::Kind::EndElement;
  event.name = ReadName();
  SkipBlanks();
  Expect('>');
  if (m_open.empty() || m_open.back() != event.name) Fail(NOT_WELL_FORMED);
  m_open.pop_back();
  return event;
}

Event Reader::Next() {
  if (m_pendingEnd) {
    m_pendingEnd = false;
    Event event;
    event.kind = Event::Kind::EndElement;
    event.name = m_open.back();
    m_open.pop_back();
    return event;
  }
  for (;;) {
    const int c = Peek();
    if (c < 0) {
      if (!m_open.empty()) Fail(PREMATURE_EOF);
      return {};
    }
    if (c != '<') {
      if (m_open.empty()) {
        if (!IsBlank(Get())) Fail(NOT_WELL_FORMED);
        continue;
      }
      Event event;
      event.kind = Event::Kind::Text;
      event.text = ReadText();
      if (std::all_of(event.text.begin(), event.text.end(), IsBlank)) continue;
      return event;
    }
    Get();
    const int next = GetOrFail();
    if (next == '?') {
      SkipProcessingInstruction();
    } else if (next == '!') {
      const int kind = GetOrFail();
      if (kind == '-') {
        Expect('-');
        SkipUntil("-->");
      } else if (kind == '[') {
        for (const char k : std::string("CDATA[")) Expect(k);
        SkipUntil("]]>");
      } else if (kind == 'D') {
        SkipDocumentType();
      } else {
        Fail(NOT_WELL_FORMED);
      }
    } else if (next == '/') {
      return ReadEndTag();
    } else if (IsNameStart(next)) {
      return ReadStartTag(static_cast<char>(next));
    } else {
      Fail(NOT_WELL_FORMED);
    }
  }
}

std::string Reader::ReadText() {
  std::string text;
  for (int c = Peek(); c != '<'; c = Peek()) {
    if (c < 0) {
      Get();
      Fail(PREMATURE_EOF);
    }
    text += static_cast<char>(Get());
  }
  return text;
}

std::string Reader::ReadAttributeValue(const std::string& name, const std::string& fallback) const {
  for (const auto& [key, value] : m_current.attributes)
    if (key == name) return value;
  return fallback;
}

void Reader::Parse(const Rows& rows) {
  for (;;) {
    const Event event = Next();
    if (event.kind == Event::Kind::End) {
      if (!m_rootSeen) Fail(PREMATURE_EOF);
      return;
    }
    const auto row = std::find_if(rows.begin(), rows.end(), [&](const Row& r) {
      return !r.isAttribute && r.name == event.name;
    });
    if (row != rows.end())
      BindElement(*row, event);
    else
      SkipElement();
  }
}

void Reader::BindElement(const Row& row, const Event& start) {
  const auto store = [this](const Row& target, const std::string& text) {
    if (text.size() > target.limit) Fail(INVALID_VALUE);
    target.store(text);
  };
  for (const auto& [name, value] : start.attributes)
    for (const Row& child : row.children)
      if (child.isAttribute && child.name == name) store(child, value);
  std::string text;
  for (;;) {
    const Event event = Next();
    if (event.kind == Event::Kind::EndElement) break;
    if (event.kind == Event::Kind::Text) {
      text += event.text;
      continue;
    }
    const auto child = std::find_if(row.children.begin(), row.children.end(), [&](const Row& r) {
      return !r.isAttribute && r.name == event.name;
    });
    if (child != row.children.end())
      BindElement(*child, event);
    else
      SkipElement();
  }
  if (row.kind != Kind::Nested) store(row, text);
}

// The element just started, with everything inside it.
void Reader::SkipElement() {
  for (size_t depth = 1; depth > 0;) {
    const Event event = Next();
    if (event.kind == Event::Kind::StartElement) ++depth;
    if (event.kind == Event::Kind::EndElement) --depth;
  }
}

}  // namespace admin::XML
