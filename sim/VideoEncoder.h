#pragma once
// Turns changes of the screen into video packets in one of the three encodings, keeping the
// picture the viewer holds so that only what differs travels.

#include <zlib.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "Colour.h"
#include "Options.h"
#include "Packet.h"
#include "Picture.h"

namespace sim {

// Limits of the viewer's decoder, per packet.
constexpr std::size_t MAX_INFLATED = 50000;
constexpr int MAX_INTERVALS = 100;
constexpr int MAX_INTERVAL_PIXELS = 1600;

// One horizontal run of codes on one row; code 0 leaves the viewer's pixel alone.
struct Run {
  int y = 0, x = 0;
  std::vector<std::uint16_t> codes;
};

class VideoEncoder {
 public:
  VideoEncoder();
  ~VideoEncoder();
  VideoEncoder(const VideoEncoder&) = delete;
  VideoEncoder& operator=(const VideoEncoder&) = delete;

  // The viewer has a fresh bitmap of this size.
  void Reset(int width, int height);
  // Pixels inside `area` are never sent; the viewer holds `code` there (filled by other means).
  void KeepOut(std::optional<Rect> area, std::uint16_t code);
  // The next compressed packet ends the deflate stream (a fault the viewer must survive).
  void FinishNextStream() { m_finishNext = true; }
  // What comes next is compressed without reference to anything sent before, so a viewer that
  // lost some of it still decodes the rest.
  void ForgetHistory() { m_forgetHistory = true; }

  // Packets that bring the viewer from what it holds to `picture`, which must have the size
  // of the last Reset. With `full` every pixel is sent, else only the rows that differ.
  std::vector<Packet> Update(const Picture& picture, bool full, Encoding encoding);

  // What the viewer shows once it has decoded everything sent so far.
  const Picture& Held() const { return m_held; }

 private:
  std::vector<Run> Changes(const Picture& picture, bool full);
  Packet Raw(const Run& run) const;
  Packet SingleRun(const Run& run);
  std::vector<Packet> MultiSegment(const std::vector<Run>& runs);
  Bytes Deflate(const Bytes& plain);

  z_stream m_zlib{};
  bool m_finishNext = false;
  bool m_forgetHistory = false;
  Picture m_held;
  std::optional<Rect> m_keepOut;
  std::uint16_t m_keepOutCode = CODE_BLACK;
  std::uint32_t m_mixedTurn = 0;
};

// The uncompressed run-length items for a list of codes.
Bytes RunLengthItems(const std::vector<std::uint16_t>& codes);

}  // namespace sim
