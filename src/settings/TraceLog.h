#pragma once
// The trace log: the one diagnostic channel. It decides which trace lines pass
// (mode, threshold, named categories of ids), stamps them and hands them to one
// sink: the debugger window (standard error when TSV_DEBUG_WINDOW is set), a
// TCP receiver on port 5679, or a log file. Its settings live in the LOGGING
// section, read once and written back in full so the operator finds every key.
// Install it with platform::InstallTraceSink; it must outlive its installation.

#include <array>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Clock.h"
#include "platform/TcpSocket.h"
#include "platform/Trace.h"
#include "settings/IniFile.h"

namespace settings {

enum class TraceMode { DEBUG_WINDOW = 0, IP = 1, LOGFILE = 2, NONE = 3 };

class TraceLog : public platform::TraceSink {
 public:
  using TickSource = std::function<uint32_t()>;

  static constexpr int CATEGORY_IDS = 10000;
  static constexpr int MAX_CATEGORY_NAMES = 254;
  static constexpr uint16_t IP_PORT = 5679;
  static constexpr size_t PIECE = 80;
  static constexpr uint32_t LOGFILE_RETRY_MS = 5000;
  static constexpr uint32_t IP_RETRY_MS = 30000;

  // Empties "Filters.txt" in the working directory, which also anchors a
  // relative log file path.
  explicit TraceLog(std::filesystem::path workingDirectory = ".",
                     TickSource ticks = platform::GetTickCount);
  ~TraceLog() override;
  TraceLog(const TraceLog&) = delete;
  TraceLog& operator=(const TraceLog&) = delete;

  // Names the ids firstId..lastId (lastId -1: firstId alone); their lines stay
  // off until enabled. Throws TextError for ids outside 0..9999 or a 255th name.
  void RegisterCategory(int firstId, int lastId, std::string_view name);
  // Switches on every id whose category has this name, compared ignoring case.
  void EnableCategory(std::string_view name);
  // Reads the LOGGING section of ini (kept for later write-backs) and writes
  // every key back. Bad values fall back; nothing here fails.
  void ReadSettings(const IniFile& ini);

  bool Accepts(int level, int category) const noexcept override;
  void Write(int level, int category, std::string_view text) noexcept override;

  TraceMode Mode() const { return m_mode.load(); }
  int Threshold() const { return m_threshold.load(); }
  bool IsEnabled(int id) const;
  std::string PossibleCategories() const;
  // The last failure to open the IP sink, worded by the error convention; a
  // trace call never raises it, so it waits here for whoever wants to know.
  std::string LastError() const;

 private:
  bool SinkUsable() const;
  void OpenSink();
  void OpenLogFile();
  void OpenIpSink();
  void CloseSink();
  void Output(const std::string& text);

  const std::filesystem::path m_workingDirectory;
  const TickSource m_ticks;
  const bool m_debugWindowToStderr;

  std::atomic<TraceMode> m_mode{TraceMode::DEBUG_WINDOW};
  std::atomic<int> m_threshold{0};
  std::atomic<bool> m_showTimeStamp{false};
  std::atomic<bool> m_showCategory{false};
  std::array<std::atomic<uint8_t>, CATEGORY_IDS> m_categoryIndex{};
  std::array<std::atomic<bool>, CATEGORY_IDS> m_enabled{};

  // Guarded by m_outputLock.
  mutable std::mutex m_outputLock;
  std::array<std::string, MAX_CATEGORY_NAMES + 1> m_names;
  int m_nameCount = 1;
  std::string m_possibleCategories;
  bool m_possibleCategoriesPending = true;
  std::optional<IniFile> m_ini;
  std::string m_path;
  platform::TcpSocket m_socket;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> m_file{nullptr, std::fclose};
  std::optional<uint32_t> m_lastOpenAttempt;
  std::string m_lastError;
};

}  // namespace settings
