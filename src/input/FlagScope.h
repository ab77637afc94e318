#pragma once
// Sets a flag for the length of a block and puts back what it was, however
// the block ends (a throw, or a nested block that set it too).

namespace input {

class FlagScope {
 public:
  explicit FlagScope(bool& flag) : m_flag(flag), m_before(flag) { m_flag = true; }
  ~FlagScope() { m_flag = m_before; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

 private:
  bool& m_flag;
  bool m_before;
};

}  // namespace input
