#include "PowerStrip.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "Log.h"

namespace sim {

namespace {

constexpr std::size_t OPEN_PAYLOAD = 16;
constexpr std::uint8_t OPENED = 0, WRITTEN = 0, READ_DONE = 0, FAILED = 1;

std::string Hex(const Bytes& bytes) {
  std::string text;
  char digits[4];
  for (const std::uint8_t b : bytes) {
    std::snprintf(digits, sizeof digits, "%s%02X", text.empty() ? "" : " ", b);
    text += digits;
  }
  return text;
}

}  // namespace

bool PowerStrip::IsSerial(std::uint8_t type) {
  return type == SERIAL_OPEN || type == SERIAL_CLOSE || type == SERIAL_WRITE || type == SERIAL_READ;
}

std::optional<Packet> PowerStrip::Handle(const Packet& packet, bool admin) {
  if (!admin) {
    Log("a serial request from a viewer without administrator rights is refused");
    if (packet.type == SERIAL_CLOSE) return std::nullopt;
    return Packet{packet.type, FAILED, {}};
  }
  switch (packet.type) {
    case SERIAL_OPEN:
      return Open(packet);
    case SERIAL_CLOSE:
      m_open = false;
      Say("STRIP CLOSE");
      return std::nullopt;
    case SERIAL_WRITE:
      return Write(packet);
    default:
      return Read(packet);
  }
}

void PowerStrip::Say(const std::string& line) const {
  Log("%s", line.c_str());
  if (!m_log) return;
  std::puts(line.c_str());
  std::fflush(stdout);
}

Packet PowerStrip::Open(const Packet& packet) {
  if (packet.data.size() != OPEN_PAYLOAD) {
    Say("STRIP OPEN refused: " + std::to_string(packet.data.size()) + " bytes of settings");
    return {SERIAL_OPEN, FAILED, {}};
  }
  const Bytes& d = packet.data;
  char line[160];
  std::snprintf(line, sizeof line,
                "STRIP OPEN port %u baud %u timeout %u parity %u data %u flow %u stop %u rtscts %u",
                d[8], GetLe32(&d[0]), GetLe32(&d[4]), d[9], d[10], d[11], d[12], d[13]);
  Say(line);
  m_open = true;
  m_lastWrite.reset();
  m_line.clear();
  m_answer.clear();
  return {SERIAL_OPEN, OPENED, {}};
}

Packet PowerStrip::Write(const Packet& packet) {
  if (!m_open) {
    Say("STRIP WRITE refused: the port is not open");
    return {SERIAL_WRITE, FAILED, {}};
  }
  const auto now = std::chrono::steady_clock::now();
  const long long since =
      m_lastWrite
          ? std::chrono::duration_cast<std::chrono::milliseconds>(now - *m_lastWrite).count()
          : 0;
  m_lastWrite = now;
  Say("STRIP WRITE +" + std::to_string(since) + "ms " + Hex(packet.data));
  for (const std::uint8_t b : packet.data) {
    m_answer += static_cast<char>(b);
    if (b != '\r') continue;
    m_answer += "\nOK\r\n";
  }
  return {SERIAL_WRITE, WRITTEN, {}};
}

Packet PowerStrip::Read(const Packet& packet) {
  if (!m_open || packet.data.size() < 4) return {SERIAL_READ, FAILED, {}};
  const std::size_t wanted = std::min<std::size_t>(GetLe32(&packet.data[0]), m_answer.size());
  Packet reply{SERIAL_READ, READ_DONE, {}};
  PutLe32(reply.data, static_cast<std::uint32_t>(wanted));
  reply.data.insert(reply.data.end(), m_answer.begin(), m_answer.begin() + wanted);
  m_answer.erase(0, wanted);
  return reply;
}

std::string LoadPowerProfile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error("cannot read power strip profile " + path);
  std::ostringstream text;
  text << file.rdbuf();
  if (text.str().find('\0') != std::string::npos)
    throw std::runtime_error("power strip profile " + path + ": a zero inside the text");
  return text.str();
}

void PreloadPowerProfile(FileStore& files, const std::string& text) {
  if (files.Files().count(POWER_PROFILE_PATH)) return;
  const std::string path = POWER_PROFILE_PATH;
  Packet put{PUT_FILE, 1, {}};
  PutLe32(put.data, static_cast<std::uint32_t>(path.size() + 1));
  PutLe32(put.data, static_cast<std::uint32_t>(text.size() + 1));
  put.data.insert(put.data.end(), path.begin(), path.end());
  put.data.push_back(0);
  put.data.insert(put.data.end(), text.begin(), text.end());
  put.data.push_back(0);
  files.Put(put, false);
}

}  // namespace sim
