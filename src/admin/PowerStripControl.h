#pragma once
// Drives the power strip through the unit's serial port: opens it with the
// profile's settings, sends commands piece by piece with a pause between
// pieces, reads what the strip answered, and closes it. The steps are queued
// and run on the window thread, each once the unit has answered the one
// before or its pause is over; nothing waits in place, and a control that is
// destroyed takes its pending step with it.

#include <chrono>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "admin/PowerStripLink.h"
#include "admin/PowerSwitchProfile.h"
#include "admin/ReplyWait.h"

namespace admin {

inline constexpr int OPEN_POLLS = 40;
inline constexpr int WRITE_POLLS = 80;
// Pieces of one command start about this many poll intervals apart.
inline constexpr int PIECE_SPACING_POLLS = 10;
inline constexpr auto REPEAT_GUARD = std::chrono::milliseconds(100);
inline constexpr const char* CONTROL_FAILED = "Could not control power strip.\n";
inline constexpr const char* PAUSING = "Sending command with pauses, standby...";

class PowerStripControl {
 public:
  using StatusLine = std::function<void(const std::string&)>;
  using Answer = std::function<void(const std::string&)>;

  PowerStripControl(const PowerStripLink& link, StatusLine status);
  PowerStripControl(const PowerStripControl&) = delete;
  PowerStripControl& operator=(const PowerStripControl&) = delete;

  // Steps for the next Start. Open: SERIAL_OPEN, which the unit must accept.
  void Open(const SerialSettings& settings);
  // One command string, piece by piece.
  void Send(std::string_view value);
  // What the strip answered since the last read, handed to answer.
  void Read(Answer answer);
  // Runs the steps queued since the last Start, after those of earlier
  // Starts. finished gets the first failure, the steps after it in this run
  // dropped, or an empty text once all went through. It may run before Start
  // returns; the control must outlive it.
  void Start(Finished finished);

  // The operator's choice of a command: false, and nothing queued, when it
  // came too soon after the last one or while steps are still running;
  // otherwise its Send is queued.
  bool Choose(std::string_view value);
  bool IsBusy() const { return m_busy; }
  // The unit took the SERIAL_OPEN, and no SERIAL_CLOSE has gone since.
  bool IsOpen() const { return m_open; }
  // Sends SERIAL_CLOSE at once; the unit does not answer it. Throws TextError.
  void Close();
  // Drops every queued step and the one in progress; nobody is told.
  void Cancel();

 private:
  // A queued step, or the end of a run (no work, only finished).
  struct Step {
    std::function<void()> work;
    Finished finished;
  };

  void Queue(std::function<void()> work);
  void QueueSend(std::string_view value, bool chosen);
  void Advance();
  void Fail(const std::string& failure);
  void EndRun(Finished finished, const std::string& failure);
  // Runs work; a failure it throws fails the run.
  void Attempt(const std::function<void()>& work);
  void Request(uint8_t type, uint8_t subtype, const std::string& bytes, int polls,
               std::function<void(int32_t status)> answered);
  void WriteNext();
  void PieceWritten();
  void SendEnded();

  PowerStripLink m_link;
  StatusLine m_status;
  std::deque<Step> m_steps;
  bool m_busy = false;
  bool m_open = false;
  // The command being sent and how far it went.
  std::vector<std::string> m_pieces;
  size_t m_piece = 0;
  size_t m_offset = 0;
  std::chrono::steady_clock::time_point m_pieceStarted{};
  bool m_sendingChoice = false;
  std::optional<std::chrono::steady_clock::time_point> m_lastChoice;
  // Last, so that they stop before anything they would reach is gone.
  ReplyWait m_wait;
  platform::Timer m_pause;
};

}  // namespace admin
