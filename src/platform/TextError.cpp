#include "platform/TextError.h"

std::string ErrorIn(std::string_view className, std::string_view operation,
                    std::string_view cause) {
  std::string text = "Error in ";
  text.append(className).append("::").append(operation).append("():\n").append(cause);
  return text;
}

std::string UnknownErrorIn(std::string_view className, std::string_view operation) {
  std::string text = "Unknown error in ";
  text.append(className).append("::").append(operation).append(".");
  return text;
}
