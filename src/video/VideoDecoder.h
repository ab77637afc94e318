#pragma once
// Turns the payload of a SEGMENT or MULTISEGMENT packet into intervals and
// writes them into the frame buffer. Three encodings: an uncompressed
// run-length form (subtype 1), and under compression (subtype 2) a single run
// after SEGMENT or an opcode stream after MULTISEGMENT. Compression is one
// zlib stream per connection, inflated packet by packet with sync flushes, so
// every compressed packet must pass through here in arrival order.
//
// Runs on the monitor thread; everything here but the frame buffer belongs to
// that thread. Every buffer is allocated once, none per packet.

#include <zlib.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "protocol/PacketHeader.h"
#include "video/FrameBuffer.h"
#include "video/Interval.h"
#include "video/VideoObserver.h"

namespace video {

inline constexpr int HANDLE_INTERVAL_CATEGORY = 2310;
inline constexpr int ERROR_RECOVERY_CATEGORY = 920;
inline constexpr int MOUSE_LATENCY_CATEGORY = 990;
inline constexpr size_t MAX_INFLATED_BYTES = 50000;
inline constexpr int MAX_INTERVALS = 100;
inline constexpr uint8_t SUBTYPE_UNCOMPRESSED = 1;
inline constexpr uint8_t SUBTYPE_COMPRESSED = 2;
// The video segment mode that selects the compressed form.
inline constexpr int SEGMENT_MODE_SINGLE_RUN = 0;
inline constexpr int SEGMENT_MODE_OPCODES = 3;

class VideoDecoder {
 public:
  explicit VideoDecoder(FrameBuffer& bmp, VideoObserver* observer = nullptr);
  ~VideoDecoder();
  VideoDecoder(const VideoDecoder&) = delete;
  VideoDecoder& operator=(const VideoDecoder&) = delete;

  // A fresh zlib stream (and position) for a new connection; false when
  // zlib cannot start one. Call while no monitor thread is decoding.
  bool ResetZLib();
  bool IsZLibReady() const { return m_zlibReady; }
  // Bytes of the stream were lost on the line (a serial link resynchronised):
  // the unit goes on from a point that needs nothing before it, either a
  // full flush inside its stream or a stream of its own; the next compressed
  // packet decides which. Call on the monitor thread.
  void ResumeAfterLoss() { m_resumeAfterLoss = true; }

  // The entry point for one video packet: header and decrypted payload
  // (length bytes of it present). Throws "Error getting interval.\n" + cause.
  void HandleInterval(const PacketHeader& header, const uint8_t* payload, size_t length);

  // The decoding step alone: fills the interval table and returns how many
  // intervals it holds. segmentMode: 0 after SEGMENT, 3 after MULTISEGMENT.
  // The intervals' codes lie in the decoder's buffers until the next packet.
  int GetIntervals(uint8_t subtype, int segmentMode, const uint8_t* payload, size_t dataSize);
  std::span<const Interval> Intervals(int count) const {
    return {m_intervals.data(), static_cast<size_t>(count)};
  }

 private:
  int GetRunLengthIntervals(const uint8_t* payload, size_t dataSize);
  int GetZLibIntervals(int segmentMode, const uint8_t* payload, size_t dataSize);
  int GetSingleRunInterval(size_t inflated);
  int GetOpcodeIntervals(size_t inflated);
  void RestartAfterLoss(const uint8_t* payload, size_t dataSize);
  size_t Inflate(const uint8_t* payload, size_t dataSize, bool dumpOnError);
  void TraceLatency(size_t dataSize);
  // Puts a run of codes (16-bit big-endian) from the cursor into the table,
  // split at row ends; false once the table is full.
  bool DecodePixelRun(int64_t cursor, const uint8_t* codes, int32_t count);

  FrameBuffer& m_bmp;
  VideoObserver* m_observer;
  z_stream m_zlib{};
  bool m_zlibReady = false;
  bool m_resumeAfterLoss = false;
  std::vector<uint8_t> m_inflated;
  std::array<uint8_t, 2 * MAX_INTERVAL_PIXELS> m_runLengthCodes{};
  std::vector<Interval> m_intervals;
  int m_intervalCount = 0;
  // Per packet: the picture's size when the packet started.
  int32_t m_width = 0;
  int32_t m_height = 0;
  // Across packets of one connection.
  int64_t m_bitmapCursor = 0;
  int32_t m_lastRunLength = 0;
};

}  // namespace video
