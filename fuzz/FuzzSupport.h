#pragma once
// What every fuzz target shares: trace lines formatted in full (a bad format
// argument is a finding too), the input read as a little byte stream, and a
// chunking pattern drawn from one seed byte so the data stays intact for the
// mutator.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string_view>

#include "platform/Trace.h"

namespace fuzz {

// Formats every line and drops it.
class FormattingSink : public platform::TraceSink {
 public:
  bool Accepts(int, int) const noexcept override { return true; }
  void Write(int, int, std::string_view text) noexcept override { m_bytes += text.size(); }

 private:
  size_t m_bytes = 0;
};

inline void InstallFormattingSink() {
  static FormattingSink sink;
  platform::InstallTraceSink(&sink);
}

// A broken promise of the code under test: reported as a crash with its reason.
[[noreturn]] inline void Fail(const char* what) {
  std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
  std::abort();
}
inline void Require(bool condition, const char* what) {
  if (!condition) Fail(what);
}

// Reads the input front to back; past its end every read yields zero.
class Input {
 public:
  Input(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
  size_t Left() const { return m_size - m_at; }
  uint8_t Byte() { return m_at < m_size ? m_data[m_at++] : 0; }
  uint16_t Word() {
    const uint16_t low = Byte();
    return static_cast<uint16_t>(low | Byte() << 8);
  }
  // Up to n bytes, fewer at the end.
  std::basic_string_view<uint8_t> Take(size_t n) {
    if (n > Left()) n = Left();
    const uint8_t* start = m_data + m_at;
    m_at += n;
    return {start, n};
  }
  std::basic_string_view<uint8_t> Rest() { return Take(Left()); }

 private:
  const uint8_t* m_data;
  size_t m_size;
  size_t m_at = 0;
};

// Sizes of the pieces a stream arrives in, from 1 to limit bytes, repeatable
// from the seed; seed 0 delivers everything in one piece.
class Chunker {
 public:
  Chunker(uint8_t seed, size_t limit) : m_random(seed), m_whole(seed == 0), m_limit(limit) {}
  size_t Next(size_t left) {
    if (m_whole) return left;
    const size_t size = 1 + m_random() % m_limit;
    return size < left ? size : left;
  }

 private:
  std::minstd_rand m_random;
  bool m_whole;
  size_t m_limit;
};

}  // namespace fuzz
