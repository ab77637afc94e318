#include "admin/PowerStripControl.h"

#include <algorithm>

#include "platform/TextError.h"
#include "protocol/PacketTypes.h"

namespace admin {
namespace {

constexpr uint8_t SERIAL_OPEN_REQUEST = 0, SERIAL_WRITE_BYTES = 2, SERIAL_READ_REQUEST = 0;
constexpr uint32_t READ_WANTED = 100, READ_SECOND_VALUE = 4;
constexpr int READ_POLLS = 50;
constexpr const char* NO_COMMUNICATION = "Could not communicate with remote.";

}  // namespace

PowerStripControl::PowerStripControl(const PowerStripLink& link, StatusLine status)
    : m_link(link), m_status(std::move(status)), m_wait(link.window), m_pause(link.window) {}

void PowerStripControl::Open(const SerialSettings& settings) {
  const std::vector<uint8_t> payload = SerialOpenPayload(settings);
  Queue([this, bytes = std::string(payload.begin(), payload.end())] {
    Request(SERIAL_OPEN, SERIAL_OPEN_REQUEST, bytes, OPEN_POLLS, [this](int32_t status) {
      if (status < 0) return Fail("Remote can't open the serial interface to power strip.");
      m_open = true;
      Advance();
    });
  });
}

void PowerStripControl::Send(std::string_view value) { QueueSend(value, false); }

void PowerStripControl::QueueSend(std::string_view value, bool chosen) {
  Queue([this, value = std::string(value), chosen] {
    m_sendingChoice = chosen;
    // Cut when its turn comes, so that a command that cannot be sent fails
    // the run where it stands, after what went before it.
    m_pieces = CommandPieces(value);
    m_piece = 0;
    m_offset = 0;
    WriteNext();
  });
}

void PowerStripControl::Read(Answer answer) {
  Queue([this, answer = std::move(answer)] {
    std::string request;
    for (const uint32_t word : {READ_WANTED, READ_SECOND_VALUE})
      for (int shift = 0; shift < 32; shift += 8) request += static_cast<char>(word >> shift);
    Request(SERIAL_READ, SERIAL_READ_REQUEST, request, READ_POLLS, [this, answer](int32_t status) {
      if (status != 0) return Fail(NO_COMMUNICATION);
      answer(m_link.serial.Text());
      Advance();
    });
  });
}

void PowerStripControl::Start(Finished finished) {
  m_steps.push_back({nullptr, std::move(finished)});
  if (m_busy) return;
  m_busy = true;
  Advance();
}

bool PowerStripControl::Choose(std::string_view value) {
  const auto now = std::chrono::steady_clock::now();
  if (m_busy || (m_lastChoice && now - *m_lastChoice < REPEAT_GUARD)) return false;
  m_lastChoice = now;
  QueueSend(value, true);
  return true;
}

void PowerStripControl::Close() {
  PacketHeader header(SERIAL_CLOSE, 0);
  m_link.sender.SendPacket(header);
  m_open = false;
}

void PowerStripControl::Cancel() {
  m_wait.Cancel();
  m_pause.Stop();
  m_steps.clear();
  m_busy = false;
  m_sendingChoice = false;
}

void PowerStripControl::Queue(std::function<void()> work) {
  m_steps.push_back({std::move(work), nullptr});
}

void PowerStripControl::Advance() {
  Step step = std::move(m_steps.front());
  m_steps.pop_front();
  if (!step.work) return EndRun(std::move(step.finished), {});
  Attempt(step.work);
}

void PowerStripControl::Fail(const std::string& failure) {
  if (m_steps.empty()) return;
  SendEnded();
  while (m_steps.front().work) m_steps.pop_front();
  Finished finished = std::move(m_steps.front().finished);
  m_steps.pop_front();
  EndRun(std::move(finished), failure);
}

void PowerStripControl::EndRun(Finished finished, const std::string& failure) {
  m_busy = !m_steps.empty();
  // The next run starts once this one's end is told, from a task of its own,
  // so that nothing here is touched after finished returns.
  if (m_busy) m_pause.StartOnce(0, [this] { Advance(); });
  finished(failure);
}

void PowerStripControl::Attempt(const std::function<void()>& work) {
  try {
    work();
  } catch (const TextError& e) {
    Fail(e.Text());
  } catch (const std::exception& e) {
    Fail(e.what());
  }
}

void PowerStripControl::Request(uint8_t type, uint8_t subtype, const std::string& bytes, int polls,
                                std::function<void(int32_t status)> answered) {
  const auto handle = [this, answered = std::move(answered)](int32_t status) {
    Attempt([&] { answered(status); });
  };
  // Silence leaves the slot as it was marked, which every caller reads as a failure.
  m_wait.Start(
      m_link.serial,
      [&] {
        PacketHeader header(type, subtype);
        m_link.sender.SendPacket(header, {bytes.data(), bytes.size()});
      },
      static_cast<uint32_t>(polls) * REPLY_POLL_INTERVAL_MS, handle,
      [handle] { handle(REPLY_AWAITED); });
}

// A piece longer than one packet carries goes as several writes, without a
// pause between them.
void PowerStripControl::WriteNext() {
  const std::string& piece = m_pieces[m_piece];
  if (m_offset == 0) m_pieceStarted = std::chrono::steady_clock::now();
  const size_t length = std::min(MAX_WRITE_BYTES, piece.size() - m_offset);
  Request(SERIAL_WRITE, SERIAL_WRITE_BYTES, piece.substr(m_offset, length), WRITE_POLLS,
          [this](int32_t status) {
            if (status < 0) {
              m_status("");
              return Fail(NO_COMMUNICATION);
            }
            m_offset += MAX_WRITE_BYTES;
            if (m_offset < m_pieces[m_piece].size()) return WriteNext();
            PieceWritten();
          });
}

void PowerStripControl::PieceWritten() {
  if (++m_piece == m_pieces.size()) {
    m_status("");
    SendEnded();
    return Advance();
  }
  m_offset = 0;
  // The next piece starts a whole spacing after this one began, however long
  // the unit took to take it.
  m_status(PAUSING);
  const auto spacing = std::chrono::milliseconds(PIECE_SPACING_POLLS * REPLY_POLL_INTERVAL_MS);
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      spacing - (std::chrono::steady_clock::now() - m_pieceStarted));
  if (left.count() <= 0) return WriteNext();
  m_pause.StartOnce(static_cast<uint32_t>(left.count()),
                    [this] { Attempt([this] { WriteNext(); }); });
}

// The operator's next choice is timed from the end of the one sent.
void PowerStripControl::SendEnded() {
  if (!m_sendingChoice) return;
  m_sendingChoice = false;
  m_lastChoice = std::chrono::steady_clock::now();
}

}  // namespace admin
