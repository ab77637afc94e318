#include "settings/TraceLog.h"

#include <sys/socket.h>
#include <sys/time.h>

#include <chrono>
#include <cstdlib>

#include "platform/Format.h"
#include "platform/SocketErrors.h"
#include "platform/TextError.h"
#include "settings/LeadingInt.h"
#include "settings/TextNoCase.h"

namespace settings {
namespace {

constexpr std::string_view SECTION = "LOGGING";
constexpr size_t BUFFER = 2000;
constexpr int DEFAULT_THRESHOLD = 5;
constexpr int CONNECT_WAIT_MS = 2000;
// A receiver that stops reading must not stall every thread that traces.
constexpr int SEND_TIMEOUT_MS = 2000;

bool StartsWithYes(std::string_view value) {
  return !value.empty() && (value.front() == 'y' || value.front() == 'Y');
}

// The text in the pieces a debugger's output call or the receiver takes.
template <class Send>
bool ForEachPiece(std::string_view text, Send&& send) {
  for (size_t at = 0; at < text.size(); at += TraceLog::PIECE) {
    if (!send(text.substr(at, TraceLog::PIECE))) return false;
  }
  return true;
}

}  // namespace

TraceLog::TraceLog(std::filesystem::path workingDirectory, TickSource ticks)
    : m_workingDirectory(std::move(workingDirectory)),
      m_ticks(std::move(ticks)),
      m_debugWindowToStderr(std::getenv("TSV_DEBUG_WINDOW") != nullptr) {
  if (std::FILE* filters = std::fopen((m_workingDirectory / "Filters.txt").c_str(), "wb")) {
    std::fclose(filters);
  }
}

TraceLog::~TraceLog() {
  std::lock_guard lock(m_outputLock);
  CloseSink();
}

void TraceLog::RegisterCategory(int firstId, int lastId, std::string_view name) {
  if (lastId == -1) lastId = firstId;
  if (firstId < 0 || lastId < firstId || lastId >= CATEGORY_IDS) {
    throw TextError(ErrorIn(
        "TraceLog", "RegisterCategory",
        Format("Category ids %d to %d are outside 0 to %d.", firstId, lastId, CATEGORY_IDS - 1)));
  }
  std::lock_guard lock(m_outputLock);
  if (!name.empty()) {
    if (m_nameCount > MAX_CATEGORY_NAMES) {
      throw TextError(
          ErrorIn("TraceLog", "RegisterCategory",
                  Format("Too many trace categories: at most %d names.", MAX_CATEGORY_NAMES)));
    }
    m_names[m_nameCount++] = name;
  }
  const auto index = static_cast<uint8_t>(m_nameCount - 1);
  for (int id = firstId; id <= lastId; ++id) {
    m_categoryIndex[id] = index;
    m_enabled[id] = false;
  }
  m_possibleCategories += std::string(name) + ", ";
}

void TraceLog::EnableCategory(std::string_view name) {
  std::lock_guard lock(m_outputLock);
  for (int id = 0; id < CATEGORY_IDS; ++id) {
    if (SameNoCase(m_names[m_categoryIndex[id]], name)) m_enabled[id] = true;
  }
}

bool TraceLog::IsEnabled(int id) const {
  return id >= 0 && id < CATEGORY_IDS && m_categoryIndex[id] != 0 && m_enabled[id];
}

std::string TraceLog::PossibleCategories() const {
  std::lock_guard lock(m_outputLock);
  return m_possibleCategories;
}

std::string TraceLog::LastError() const {
  std::lock_guard lock(m_outputLock);
  return m_lastError;
}

void TraceLog::ReadSettings(const IniFile& settingsFile) {
  IniFile ini = settingsFile;
  std::string logTo = ini.Read(SECTION, "LogTo", "DEBUG_WINDOW", BUFFER);
  const size_t found = std::string_view(" DEBUG_WINDOW IP LOGFILE NONE ").find(logTo);
  if (found == std::string_view::npos || found == 0) logTo = "DEBUG_WINDOW";
  ini.Write(SECTION, "LogToPossibilities", "DEBUG_WINDOW, IP, LOGFILE, NONE");
  ini.Write(SECTION, "LogTo", logTo);

  const std::string path = ini.Read(SECTION, "Path", "log.txt", BUFFER);
  ini.Write(SECTION, "Path", path);
  const std::string mode = UpperCase(logTo);
  const TraceMode chosen = mode == "IP"        ? TraceMode::IP
                           : mode == "LOGFILE" ? TraceMode::LOGFILE
                           : mode == "NONE"    ? TraceMode::NONE
                                               : TraceMode::DEBUG_WINDOW;

  const std::string thresholdText = ini.Read(SECTION, "Threshold", "5", BUFFER);
  ini.Write(SECTION, "Threshold", thresholdText);
  int threshold = LeadingInt(thresholdText);
  if (threshold < 0 || threshold > 10) threshold = DEFAULT_THRESHOLD;

  const std::string showTimeStamp = ini.Read(SECTION, "ShowTimeStamp", "YES", BUFFER);
  ini.Write(SECTION, "ShowTimeStamp", showTimeStamp);
  const std::string showCategory = ini.Read(SECTION, "ShowCategory", "YES", BUFFER);
  ini.Write(SECTION, "ShowCategory", showCategory);

  const std::string categories = ini.Read(SECTION, "Categories", "NONE", BUFFER);
  ini.Write(SECTION, "Categories", categories);
  if (UpperCase(categories) == "ALL") {
    for (int id = 0; id < CATEGORY_IDS; ++id) {
      if (m_categoryIndex[id] != 0) m_enabled[id] = true;
    }
  } else {
    std::string_view rest = categories;
    for (;;) {
      const size_t comma = rest.find(',');
      const std::string_view piece = TrimBlanks(rest.substr(0, comma));
      if (!piece.empty()) EnableCategory(piece);
      if (comma == std::string_view::npos) break;
      rest.remove_prefix(comma + 1);
    }
  }

  std::lock_guard lock(m_outputLock);
  CloseSink();
  m_ini = std::move(ini);
  m_path = path;
  m_lastOpenAttempt.reset();
  m_threshold = threshold;
  m_showTimeStamp = StartsWithYes(showTimeStamp);
  m_showCategory = StartsWithYes(showCategory);
  m_mode = chosen;
}

bool TraceLog::Accepts(int level, int category) const noexcept {
  if (m_mode.load() == TraceMode::NONE) return false;
  if (level == platform::TRACE_NO_LEVEL && category == platform::TRACE_NO_CATEGORY) return true;
  if (level != -1 && level < m_threshold.load()) return false;
  return category == platform::TRACE_NO_CATEGORY || IsEnabled(category);
}

void TraceLog::Write(int, int category, std::string_view text) noexcept {
  try {
    std::lock_guard lock(m_outputLock);
    std::string line;
    if (m_showCategory && category >= 0 && category < CATEGORY_IDS) {
      const std::string& name = m_names[m_categoryIndex[category]];
      if (!name.empty()) line = Format("%15s: ", name.c_str());
    }
    line += text;
    if (m_possibleCategoriesPending && m_ini) {
      m_ini->Write(SECTION, "PossibleCategories", m_possibleCategories);
      m_possibleCategoriesPending = false;
    }
    if (m_showTimeStamp) {
      const uint32_t t = m_ticks();
      line.insert(0, Format("%2dm %2ds %3dms ", static_cast<int>(t / 60000 % 60),
                            static_cast<int>(t / 1000 % 60), static_cast<int>(t % 1000)));
    }
    Output(line);
  } catch (...) {
    // A trace line is never worth failing the caller's work.
  }
}

void TraceLog::Output(const std::string& text) {
  const TraceMode mode = m_mode.load();
  if (mode == TraceMode::DEBUG_WINDOW) {
    if (!m_debugWindowToStderr) return;
    ForEachPiece(text, [](std::string_view piece) {
      return std::fwrite(piece.data(), 1, piece.size(), stderr) == piece.size();
    });
    return;
  }
  if (mode == TraceMode::NONE) return;

  if (!SinkUsable()) {
    const uint32_t wait = mode == TraceMode::IP ? IP_RETRY_MS : LOGFILE_RETRY_MS;
    const uint32_t now = m_ticks();
    if (!m_lastOpenAttempt || now - *m_lastOpenAttempt > wait) {
      m_lastOpenAttempt = now;
      OpenSink();
    }
    if (!SinkUsable()) return;
  }

  if (mode == TraceMode::IP) {
    const bool sent = ForEachPiece(text, [this](std::string_view piece) {
      return m_socket.SendAll(piece.data(), piece.size());
    });
    if (!sent) m_socket.Close();
    return;
  }
  std::string stored;
  stored.reserve(text.size() + text.size() / 16);
  for (char c : text) {
    if (c == '\n') stored += '\r';
    stored += c;
  }
  std::fwrite(stored.data(), 1, stored.size(), m_file.get());
  std::fflush(m_file.get());
}

bool TraceLog::SinkUsable() const {
  switch (m_mode.load()) {
    case TraceMode::LOGFILE:
      return m_file != nullptr;
    case TraceMode::IP:
      return m_socket.IsOpen() && ::send(m_socket.Fd(), "", 0, MSG_NOSIGNAL) == 0;
    default:
      return true;
  }
}

void TraceLog::OpenSink() {
  CloseSink();
  if (m_mode.load() == TraceMode::LOGFILE) OpenLogFile();
  if (m_mode.load() == TraceMode::IP) OpenIpSink();
}

void TraceLog::OpenLogFile() {
  if (m_path.empty()) m_path = "log.txt";
  // Each run starts a fresh log.
  m_file.reset(std::fopen((m_workingDirectory / m_path).c_str(), "wb"));
  if (m_ini) m_ini->Write(SECTION, "Path", m_path);
}

void TraceLog::OpenIpSink() {
  std::string address = m_path;
  if (address.empty() && m_ini) address = m_ini->Read(SECTION, "PATH", "127.0.0.1", 81);
  // An empty key reads as empty rather than as the default.
  if (address.empty()) address = "127.0.0.1";
  const std::optional<uint32_t> receiver = platform::ParseDottedIPv4(address);
  if (!receiver) return;
  if (!m_socket.Open()) {
    m_lastError =
        ErrorIn("TraceLog", "OpenSink",
                Format("Could not open socket. Error code is: %d\n", platform::LastSocketError()));
    return;
  }
  bool connected = false;
  if (m_socket.SetBlocking(false)) {
    const int started = m_socket.Connect({*receiver, IP_PORT});
    connected = started == 0 ||
                (started == platform::WSAEWOULDBLOCK &&
                 m_socket.WaitWritable(CONNECT_WAIT_MS) == 1 && m_socket.ConnectResult() == 0);
  }
  if (!connected || !m_socket.SetBlocking(true)) {
    m_socket.Close();
    return;
  }
  const timeval timeout{SEND_TIMEOUT_MS / 1000, (SEND_TIMEOUT_MS % 1000) * 1000};
  ::setsockopt(m_socket.Fd(), SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
}

void TraceLog::CloseSink() {
  m_file.reset();
  m_socket.Close();
}

}  // namespace settings
