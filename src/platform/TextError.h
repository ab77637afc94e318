#pragma once
// Failures travel as text worded for the operator. Each layer that catches one
// wraps it with the class and operation it was in, so the operator sees the
// whole path from the command down to the cause.

#include <exception>
#include <string>
#include <string_view>
#include <utility>

class TextError : public std::exception {
 public:
  explicit TextError(std::string text) : m_text(std::move(text)) {}
  const char* what() const noexcept override { return m_text.c_str(); }
  const std::string& Text() const noexcept { return m_text; }

 private:
  std::string m_text;
};

// "Error in CClass::Operation():\n" + cause
std::string ErrorIn(std::string_view className, std::string_view operation,
                    std::string_view cause);
// "Unknown error in CClass::Operation."
std::string UnknownErrorIn(std::string_view className, std::string_view operation);

// Runs body; a TextError leaves wrapped with class and operation, anything else
// leaves as the unknown-error text naming the same.
template <class Body>
decltype(auto) WrapErrors(std::string_view className, std::string_view operation, Body&& body) {
  try {
    return std::forward<Body>(body)();
  } catch (const TextError& e) {
    throw TextError(ErrorIn(className, operation, e.Text()));
  } catch (...) {
    throw TextError(UnknownErrorIn(className, operation));
  }
}

// For command handlers and thread bodies, which must not let anything escape:
// returns the failure text (wrapped as above), or an empty string on success.
template <class Body>
std::string CatchAll(std::string_view className, std::string_view operation, Body&& body) {
  try {
    std::forward<Body>(body)();
    return {};
  } catch (const TextError& e) {
    return ErrorIn(className, operation, e.Text());
  } catch (...) {
    return UnknownErrorIn(className, operation);
  }
}
