#include "SwitchTable.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace sim {

namespace {

constexpr int HEADER_LINES = 5;

std::string Trim(const std::string& text) {
  const auto begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return "";
  return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
}

}  // namespace

std::string DefaultSwitchTable() {
  return "\ncustom\n\n\n\n"
         "`1`Alpha`LCtrl-dn 1 LCtrl-up\n"
         "`2`Bravo`LCtrl-dn 2 LCtrl-up\n"
         "`3`Charlie`ScrollLock ScrollLock 3 Enter\n";
}

std::string LoadSwitchTable(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error("cannot read switch table file " + path);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  std::string text;
  const std::string raw = bytes.str();
  for (std::size_t i = 0; i < raw.size(); ++i)
    if (!(raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n')) text += raw[i];
  try {
    CheckSwitchTable(text);
  } catch (const std::runtime_error& e) {
    throw std::runtime_error("switch table file " + path + ": " + e.what());
  }
  return text;
}

void CheckSwitchTable(const std::string& text) {
  if (text.find('\r') != std::string::npos)
    throw std::runtime_error("a CR in the text; lines end with LF alone");
  if (text.find('\0') != std::string::npos) throw std::runtime_error("a zero inside the text");
  if (text.empty() || text.back() != '\n')
    throw std::runtime_error("the last line does not end with LF");
  bool typed = false;
  int ports = 0, number = 0;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    ++number;
    const std::string where = "line " + std::to_string(number) + ": ";
    if (number <= HEADER_LINES) {
      typed = typed || !Trim(line).empty();
      continue;
    }
    if (!typed) throw std::runtime_error(where + "no switch type before the ports");
    if (std::count(line.begin(), line.end(), '`') < 3)
      throw std::runtime_error(where + "a port line needs three backquotes");
    ++ports;
  }
  if (ports == 0) throw std::runtime_error("no port lines");
}

Bytes SwitchTablePayload(const std::string& text) {
  Bytes payload(text.begin(), text.end());
  payload.push_back(0);
  return payload;
}

std::string SwitchTableFromPayload(const Bytes& payload) {
  if (payload.empty() || payload.back() != 0)
    throw std::runtime_error("the text has no terminating zero");
  std::string text(payload.begin(), payload.end() - 1);
  CheckSwitchTable(text);
  return text;
}

}  // namespace sim
