#include "admin/SwitchKeyCodes.h"

#include <array>
#include <string_view>

#include "settings/TextNoCase.h"

namespace admin {
namespace {

// The 123 key names in keyboard order, and the extra token "**", which the
// unit gives its own meaning.
constexpr std::array<std::string_view, 124> KEY_NAMES = {
    "ESC",   "F1",        "F2",       "F3",       "F4",      "F5",          "F6",         "F7",
    "F8",    "F9",        "F10",      "F11",      "F12",     "PrintScreen", "ScrollLock", "Home",
    "End",   "PageUp",    "PageDown", "Insert",   "Delete",  "~",           "!",          "@",
    "#",     "$",         "%",        "^",        "&",       "*",           "(",          ")",
    "_",     "+",         "|",        "`",        "1",       "2",           "3",          "4",
    "5",     "6",         "7",        "8",        "9",       "0",           "-",          "=",
    "\\",    "BackSpace", "Q",        "W",        "E",       "R",           "T",          "Y",
    "U",     "I",         "O",        "P",        "A",       "S",           "D",          "F",
    "G",     "H",         "J",        "K",        "L",       "Z",           "X",          "C",
    "V",     "B",         "N",        "M",        "[",       "]",           "{",          "}",
    ";",     ":",         "'",        "\"",       ",",       ".",           "/",          "<",
    ">",     "?",         "Tab",      "CapsLock", "LShift",  "RShift",      "LCtrl",      "RCtrl",
    "LAlt",  "RAlt",      "LArrow",   "RArrow",   "UArrow",  "DArrow",      "KP0",        "KP1",
    "KP2",   "KP3",       "KP4",      "KP5",      "KP6",     "KP7",         "KP8",        "KP9",
    "KP/",   "KP*",       "KP-",      "KP+",      "KPEnter", "NumLock",     "Pause",      "Break",
    "SysRq", "Space",     "Enter",    "**"};

struct Conversion {
  std::string_view from;
  std::string_view to;
  std::string_view warning;
};

constexpr std::array<Conversion, 4> CONVERSIONS = {{
    {" ctrl", " LCtrl", "Warning: ctrl converted to LCtrl\n"},
    {" shift", " LShift", "Warning: shift converted to LShift\n"},
    {" alt", " LAlt", "Warning: alt converted to LAlt\n"},
    {" return ", " Enter ", "Warning: return converted to Enter\n"},
}};

// Replaces every match of from, ignoring case; true when there was one.
bool ReplaceNoCase(std::string& text, std::string_view from, std::string_view to) {
  bool replaced = false;
  const std::string upperFrom = settings::UpperCase(from);
  for (size_t at = 0; (at = settings::UpperCase(text).find(upperFrom, at)) != std::string::npos;) {
    text.replace(at, from.size(), to);
    // A trailing blank of the match may start the next one.
    at += to.size() - (to.back() == ' ' ? 1 : 0);
    replaced = true;
  }
  return replaced;
}

bool IsSeparator(char c) { return c == ' ' || c == '^'; }

bool IsKeyToken(const std::string& token) {
  return ValidKeyTokens().find(" " + settings::UpperCase(token) + " ") != std::string::npos;
}

std::string CollapseAndTrim(const std::string& text) {
  std::string out;
  for (char c : text)
    if (!(c == ' ' && !out.empty() && out.back() == ' ')) out += c;
  const size_t first = out.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return out.substr(first, out.find_last_not_of(" \t") - first + 1);
}

}  // namespace

const std::string& ValidKeyTokens() {
  static const std::string tokens = [] {
    std::string list = " ";
    for (std::string_view name : KEY_NAMES) {
      const std::string upper = settings::UpperCase(name);
      list += upper + " " + upper + "-UP " + upper + "-DN ";
    }
    return list;
  }();
  return tokens;
}

NormalisedKeyCodes NormaliseKeyCodes(const std::string& codes) {
  NormalisedKeyCodes result;
  std::string text = " " + codes + " ";
  for (const Conversion& conversion : CONVERSIONS)
    if (ReplaceNoCase(text, conversion.from, conversion.to)) result.details += conversion.warning;

  std::string kept;
  for (size_t at = 0; at < text.size();) {
    if (IsSeparator(text[at])) {
      kept += text[at++];
      continue;
    }
    size_t end = at;
    while (end < text.size() && !IsSeparator(text[end])) ++end;
    const std::string token = text.substr(at, end - at);
    if (IsKeyToken(token)) {
      kept += token;
    } else {
      result.details += "Invalid entry  " + token + "  removed.\n";
      result.invalid = true;
    }
    at = end;
  }
  result.text = CollapseAndTrim(kept);
  return result;
}

}  // namespace admin
