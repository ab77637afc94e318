#pragma once
// Captures every trace line while alive, for tests that check what was traced.

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Trace.h"

class TraceRecorder : public platform::TraceSink {
 public:
  TraceRecorder() { m_previous = platform::InstallTraceSink(this); }
  ~TraceRecorder() override { platform::InstallTraceSink(m_previous); }

  bool Accepts(int, int) const noexcept override { return true; }
  void Write(int, int, std::string_view text) noexcept override {
    std::lock_guard lock(m_mutex);
    m_lines.emplace_back(text);
  }

  std::vector<std::string> Lines() const {
    std::lock_guard lock(m_mutex);
    return m_lines;
  }
  // How many recorded lines contain the fragment.
  size_t Count(const std::string& fragment) const {
    std::lock_guard lock(m_mutex);
    return std::count_if(m_lines.begin(), m_lines.end(), [&](const std::string& line) {
      return line.find(fragment) != std::string::npos;
    });
  }

 private:
  platform::TraceSink* m_previous = nullptr;
  mutable std::mutex m_mutex;
  std::vector<std::string> m_lines;
};
