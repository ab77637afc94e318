#include "video/VideoDecoder.h"

#include <algorithm>
#include <cstring>

#include "platform/Clock.h"
#include "platform/Format.h"
#include "platform/TextError.h"
#include "platform/Trace.h"
#include "protocol/PacketTypes.h"

namespace video {
namespace {

constexpr const char* INFLATE_ERROR_TEXT = "ZLib decompression error.\n";
constexpr const char* NO_PIXELS_TEXT = "Received no pixel info, or too much.\n";
constexpr const char* ODD_LENGTH_TEXT =
    "Found odd number of characters in ZLib packet, which is not possible on a proper packet.\n";
// The single-run form never reaches below this row of the largest screen.
constexpr int64_t SINGLE_RUN_ROWS = 1200;
constexpr int64_t SINGLE_RUN_COLUMNS = 1600;
constexpr size_t DUMPED_INPUT_BYTES = 50;

enum Opcode : uint8_t {
  MH_POSITION = 0,
  MH_PIXELS = 1,
  MH_NEXT_ROW = 4,
  MH_PIXELS_REL_LEN = 5,
};

uint16_t LoadBE16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }

// -15..+15: magnitude in the low four bits, bit 4 for negative.
int32_t SignedOffset(uint8_t opcode) {
  const int32_t magnitude = opcode & 15;
  return (opcode & 16) ? -magnitude : magnitude;
}

void TraceError(const char* text) { TraceCategory(5, ERROR_RECOVERY_CATEGORY, "%s", text); }

std::string DumpInput(const uint8_t* input, size_t length) {
  const size_t shown = std::min(length, DUMPED_INPUT_BYTES);
  std::string hex;
  std::string characters;
  for (size_t i = 0; i < shown; ++i) {
    hex += Format("%02X ", input[i]);
    characters += (input[i] >= 32 && input[i] < 127) ? static_cast<char>(input[i]) : '.';
  }
  return hex + "\n" + characters + "\n";
}

}  // namespace

VideoDecoder::VideoDecoder(FrameBuffer& bmp, VideoObserver* observer)
    : m_bmp(bmp),
      m_observer(observer),
      m_inflated(MAX_INFLATED_BYTES + 1),
      m_intervals(MAX_INTERVALS) {
  ResetZLib();
}

VideoDecoder::~VideoDecoder() {
  if (m_zlibReady) inflateEnd(&m_zlib);
}

bool VideoDecoder::ResetZLib() {
  if (m_zlibReady) inflateEnd(&m_zlib);
  m_zlib = z_stream{};
  m_zlibReady = inflateInit(&m_zlib) == Z_OK;
  // The unit never ends its stream, so zlib's running check value could never
  // be compared; each packet's CRC-32 guards the bytes instead.
  if (m_zlibReady) inflateValidate(&m_zlib, 0);
  m_bitmapCursor = 0;
  m_lastRunLength = 0;
  m_resumeAfterLoss = false;
  return m_zlibReady;
}

void VideoDecoder::HandleInterval(const PacketHeader& header, const uint8_t* payload,
                                  size_t length) {
  try {
    const int mode = header.type == MULTISEGMENT ? SEGMENT_MODE_OPCODES : SEGMENT_MODE_SINGLE_RUN;
    const size_t dataSize = std::min<size_t>(header.DataSize, length);
    const int count = GetIntervals(header.subtype, mode, payload, dataSize);
    const platform::Size decodedFor{m_width, m_height};
    if (m_observer && m_observer->PaintsEachInterval()) {
      for (int i = 0; i < count; ++i) {
        if (m_observer->PaintsEachInterval()) m_observer->PaintNow();
        m_bmp.ImageUpdates(Intervals(count).subspan(static_cast<size_t>(i), 1), decodedFor);
      }
    } else {
      m_bmp.ImageUpdates(Intervals(count), decodedFor);
    }
    m_bmp.Gate().EndCut();
    if (m_observer) m_observer->AfterVideoPacket();
  } catch (const TextError& e) {
    m_bmp.Gate().EndCut();
    throw TextError("Error getting interval.\n" + e.Text());
  }
}

int VideoDecoder::GetIntervals(uint8_t subtype, int segmentMode, const uint8_t* payload,
                               size_t dataSize) {
  const platform::Size size = m_bmp.Gate().BeginCut();
  m_width = size.width;
  m_height = size.height;
  m_intervalCount = 0;
  if (payload == nullptr) dataSize = 0;
  if (subtype == SUBTYPE_UNCOMPRESSED) return GetRunLengthIntervals(payload, dataSize);
  if (subtype == SUBTYPE_COMPRESSED) return GetZLibIntervals(segmentMode, payload, dataSize);
  return 0;
}

int VideoDecoder::GetRunLengthIntervals(const uint8_t* payload, size_t dataSize) {
  if (dataSize < 4) return 0;
  // Repeats are spelt out, so the interval's codes lie in one place.
  uint8_t* const codes = m_runLengthCodes.data();
  int32_t count = 0;
  const auto append = [&](const uint8_t* code) {
    codes[2 * count] = code[0];
    codes[2 * count + 1] = code[1];
    ++count;
  };
  size_t at = 4;
  while (at + 3 <= dataSize && count < MAX_INTERVAL_PIXELS) {
    const uint8_t* head = payload + at;
    const uint8_t countByte = head[2];
    at += 3;
    if (countByte >= 32) {
      for (int i = countByte - 32 + 1; i > 0 && count < MAX_INTERVAL_PIXELS; --i) append(head);
      continue;
    }
    append(head);
    for (int i = 32 - countByte; i > 0 && at + 2 <= dataSize; --i, at += 2)
      if (count < MAX_INTERVAL_PIXELS) append(payload + at);
  }
  m_intervals[0] = {
      count, LoadBE16(payload), LoadBE16(payload + 2), {codes, 2 * static_cast<size_t>(count)}};
  return 1;
}

int VideoDecoder::GetZLibIntervals(int segmentMode, const uint8_t* payload, size_t dataSize) {
  if (segmentMode == SEGMENT_MODE_SINGLE_RUN)
    return GetSingleRunInterval(Inflate(payload, dataSize, true));
  if (segmentMode != SEGMENT_MODE_OPCODES) return 0;

  TraceCategory(4, HANDLE_INTERVAL_CATEGORY, "lInLen = %d\n", static_cast<int>(dataSize));
  TraceLatency(dataSize);
  return GetOpcodeIntervals(Inflate(payload, dataSize, false));
}

// A fresh stream after lost bytes: wrapped when the packet opens with a zlib
// header, raw deflate data (what follows a full flush) otherwise.
void VideoDecoder::RestartAfterLoss(const uint8_t* payload, size_t dataSize) {
  m_resumeAfterLoss = false;
  const bool header = dataSize >= 2 && (payload[0] & 0x0F) == Z_DEFLATED &&
                      (payload[0] >> 4) <= 7 && ((payload[0] << 8) | payload[1]) % 31 == 0;
  if (m_zlibReady) inflateEnd(&m_zlib);
  m_zlib = z_stream{};
  m_zlibReady = (header ? inflateInit(&m_zlib) : inflateInit2(&m_zlib, -MAX_WBITS)) == Z_OK;
  if (m_zlibReady && header) inflateValidate(&m_zlib, 0);
}

size_t VideoDecoder::Inflate(const uint8_t* payload, size_t dataSize, bool dumpOnError) {
  if (m_resumeAfterLoss) RestartAfterLoss(payload, dataSize);
  int result = Z_STREAM_ERROR;
  if (m_zlibReady) {
    m_zlib.next_in = const_cast<Bytef*>(payload);
    m_zlib.avail_in = static_cast<uInt>(dataSize);
    m_zlib.next_out = m_inflated.data();
    m_zlib.avail_out = static_cast<uInt>(m_inflated.size());
    result = inflate(&m_zlib, Z_SYNC_FLUSH);
  }
  if (result != Z_OK) {
    TraceError(INFLATE_ERROR_TEXT);
    throw TextError(std::string(INFLATE_ERROR_TEXT) +
                    (dumpOnError ? DumpInput(payload, dataSize) : std::string()));
  }
  // The buffer holds one byte more than a packet may inflate to, so a packet
  // that fills it was too large, and reading on would lose the stream's place.
  const size_t produced = m_inflated.size() - m_zlib.avail_out;
  if (produced > MAX_INFLATED_BYTES) {
    TraceError(NO_PIXELS_TEXT);
    throw TextError(NO_PIXELS_TEXT);
  }
  return produced;
}

int VideoDecoder::GetSingleRunInterval(size_t inflated) {
  if (inflated % 2 != 0) throw TextError(ODD_LENGTH_TEXT);
  if (inflated < 6) throw TextError(NO_PIXELS_TEXT);
  const uint8_t* data = m_inflated.data();
  const int32_t y = LoadBE16(data);
  const int32_t x = LoadBE16(data + 2);
  const auto pixels = static_cast<int64_t>((inflated - 4) / 2);
  if (pixels > (SINGLE_RUN_ROWS - y) * SINGLE_RUN_COLUMNS - x) return 0;
  const auto count = static_cast<int32_t>(std::min<int64_t>(pixels, MAX_INTERVAL_PIXELS));
  m_intervals[0] = {count, y, x, {data + 4, 2 * static_cast<size_t>(count)}};
  return 1;
}

void VideoDecoder::TraceLatency(size_t dataSize) {
  if (dataSize <= 100 || m_observer == nullptr) return;
  const uint64_t stamp = m_observer->TakeMouseMoveStamp();
  if (stamp == 0) return;
  const uint64_t now = platform::MicrosecondCount();
  TraceCategory(5, MOUSE_LATENCY_CATEGORY, "lInLen = %d    now %d   move time %d\n",
                static_cast<int>(dataSize), static_cast<int>(now), static_cast<int>(stamp));
  TraceCategory(5, MOUSE_LATENCY_CATEGORY, "Latency = %f  payload size %d\n",
                static_cast<double>(now - stamp) * 0.001, static_cast<int>(dataSize));
}

int VideoDecoder::GetOpcodeIntervals(size_t inflated) {
  if (inflated < 6) throw TextError(NO_PIXELS_TEXT);
  TraceCategory(5, HANDLE_INTERVAL_CATEGORY, "**** NEW INTERVAL PACKET, length = %d ****\n",
                static_cast<int>(inflated));
  const uint8_t* data = m_inflated.data();
  const int64_t total = static_cast<int64_t>(m_width) * m_height;
  // Each operand is read only when the inflated bytes hold it.
  const auto truncated = [&](size_t at, size_t need) {
    if (at + need <= inflated) return false;
    TraceError("Error in GetZLibIntervals() - 5\n");
    return true;
  };

  size_t at = 0;
  while (at < inflated) {
    const uint8_t opcode = data[at];
    switch (opcode >> 5) {
      case MH_POSITION: {
        if (truncated(at, 3)) return m_intervalCount;
        m_bitmapCursor = ((opcode & 31) << 16) + data[at + 1] + (data[at + 2] << 8);
        TraceCategory(4, HANDLE_INTERVAL_CATEGORY, "MH_POSITION %d\n",
                      static_cast<int>(m_bitmapCursor));
        if (m_bitmapCursor > total) {
          TraceCategory(5, ERROR_RECOVERY_CATEGORY,
                        "nBmpCursor= %d,  g_bmp.GetRect().right= %d g_bmp.GetRect().bottom= %d\n",
                        static_cast<int>(m_bitmapCursor), m_width - 1, m_height - 1);
          TraceError("Error in GetZLibIntervals() - 1\n");
        }
        at += 3;
        break;
      }
      case MH_PIXELS: {
        if (truncated(at, 2)) return m_intervalCount;
        const int32_t count = ((opcode & 31) << 8) + data[at + 1];
        if (truncated(at, 2 + 2 * static_cast<size_t>(count))) return m_intervalCount;
        m_lastRunLength = count;
        TraceCategory(4, HANDLE_INTERVAL_CATEGORY, "MH_PIXELS %d\n", count);
        if (m_bitmapCursor > total) TraceError("Error in GetZLibIntervals() - 2\n");
        if (!DecodePixelRun(m_bitmapCursor, data + at + 2, count)) return m_intervalCount;
        at += 2 + 2 * static_cast<size_t>(count);
        break;
      }
      case MH_NEXT_ROW: {
        m_bitmapCursor += m_width + SignedOffset(opcode);
        if (m_bitmapCursor >= total) TraceError("Error in GetZLibIntervals() - 3\n");
        at += 1;
        break;
      }
      case MH_PIXELS_REL_LEN: {
        const int32_t offset = SignedOffset(opcode);
        const int32_t count = m_lastRunLength + offset;
        TraceCategory(4, HANDLE_INTERVAL_CATEGORY, "MH_PIXELS_REL_LEN %d resulting in %d\n", offset,
                      count);
        TraceCategory(4, HANDLE_INTERVAL_CATEGORY, "data address: %d\n", static_cast<int>(at + 1));
        // A negative length says nothing about where the next opcode lies.
        if (count < 0) {
          TraceError("Error in GetZLibIntervals() - 5\n");
          return m_intervalCount;
        }
        if (truncated(at, 1 + 2 * static_cast<size_t>(count))) return m_intervalCount;
        m_lastRunLength = count;
        if (!DecodePixelRun(m_bitmapCursor, data + at + 1, count)) return m_intervalCount;
        at += 1 + 2 * static_cast<size_t>(count);
        break;
      }
      default:
        TraceError("Error in GetZLibIntervals() - 4\n");
        return m_intervalCount;
    }
  }
  return m_intervalCount;
}

bool VideoDecoder::DecodePixelRun(int64_t cursor, const uint8_t* codes, int32_t count) {
  const int64_t total = static_cast<int64_t>(m_width) * m_height;
  if (count <= 0 || m_width <= 0 || cursor < 0 || cursor + count > total) return true;
  auto x = static_cast<int32_t>(cursor % m_width);
  auto y = static_cast<int32_t>(cursor / m_width);
  while (count > 0) {
    const int32_t piece = std::min({count, m_width - x, MAX_INTERVAL_PIXELS});
    m_intervals[static_cast<size_t>(m_intervalCount)] = {
        piece, y, x, {codes, 2 * static_cast<size_t>(piece)}};
    codes += 2 * static_cast<size_t>(piece);
    count -= piece;
    x += piece;
    if (x == m_width) {
      x = 0;
      ++y;
    }
    if (++m_intervalCount == MAX_INTERVALS) return false;
  }
  return true;
}

}  // namespace video
