#include "VideoEncoder.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace sim {

namespace {

void PutCodes(Bytes& out, const std::vector<std::uint16_t>& codes) {
  for (auto code : codes) PutBe16(out, code);
}

std::uint8_t SignedOffset(std::uint8_t opcode, int d) {
  return static_cast<std::uint8_t>(opcode | (d < 0 ? 16 | -d : d));
}

constexpr std::uint8_t MH_POSITION = 0x00, MH_PIXELS = 0x20, MH_NEXT_ROW = 0x80,
                       MH_PIXELS_REL_LEN = 0xA0;

}  // namespace

Bytes RunLengthItems(const std::vector<std::uint16_t>& codes) {
  constexpr std::size_t MAX_REPEAT = 255 - 32 + 1;  // count byte 255
  constexpr std::size_t MAX_LITERAL = 32 + 1;       // count byte 0
  Bytes out;
  std::size_t at = 0;
  while (at < codes.size()) {
    std::size_t same = 1;
    while (at + same < codes.size() && codes[at + same] == codes[at] && same < MAX_REPEAT) ++same;
    if (same >= 2 || at + 1 == codes.size()) {
      PutBe16(out, codes[at]);
      out.push_back(static_cast<std::uint8_t>(32 + same - 1));
      at += same;
      continue;
    }
    // A literal list runs until the next pair of equal codes, which a repeat carries better.
    std::size_t length = 1;
    while (at + length < codes.size() && length < MAX_LITERAL &&
           !(at + length + 1 < codes.size() && codes[at + length] == codes[at + length + 1]))
      ++length;
    if (length == 1) {
      PutBe16(out, codes[at]);
      out.push_back(32);
    } else {
      PutBe16(out, codes[at]);
      out.push_back(static_cast<std::uint8_t>(32 - (length - 1)));
      for (std::size_t i = 1; i < length; ++i) PutBe16(out, codes[at + i]);
    }
    at += length;
  }
  return out;
}

VideoEncoder::VideoEncoder() {
  if (deflateInit(&m_zlib, Z_DEFAULT_COMPRESSION) != Z_OK)
    throw std::runtime_error("cannot start the video compression");
}

VideoEncoder::~VideoEncoder() { deflateEnd(&m_zlib); }

void VideoEncoder::Reset(int width, int height) { m_held = Picture(width, height, CODE_BLACK); }

void VideoEncoder::KeepOut(std::optional<Rect> area, std::uint16_t code) {
  m_keepOut = area;
  m_keepOutCode = code;
}

std::vector<Run> VideoEncoder::Changes(const Picture& picture, bool full) {
  if (picture.width != m_held.width || picture.height != m_held.height)
    throw std::logic_error("picture size differs from the viewer's bitmap");
  std::vector<Run> runs;
  for (int y = 0; y < picture.height; ++y) {
    auto kept = [&](int x) { return m_keepOut && m_keepOut->Contains(x, y); };
    auto differs = [&](int x) { return !kept(x) && (full || picture.At(x, y) != m_held.At(x, y)); };
    int first = 0, last = picture.width - 1;
    while (first <= last && !differs(first)) ++first;
    while (last >= first && !differs(last)) --last;
    if (first > last) continue;
    Run run{y, first, {}};
    for (int x = first; x <= last; ++x)
      run.codes.push_back(differs(x) ? picture.At(x, y) : CODE_UNCHANGED);
    runs.push_back(std::move(run));
  }
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x)
      m_held.At(x, y) = m_keepOut && m_keepOut->Contains(x, y) ? m_keepOutCode : picture.At(x, y);
  return runs;
}

std::vector<Packet> VideoEncoder::Update(const Picture& picture, bool full, Encoding encoding) {
  const std::vector<Run> runs = Changes(picture, full);
  if (encoding == Encoding::Mixed) {
    static constexpr Encoding TURNS[] = {Encoding::MultiSegment, Encoding::Segment, Encoding::Raw};
    encoding = TURNS[m_mixedTurn++ % 3];
  }
  if (encoding == Encoding::MultiSegment) return MultiSegment(runs);
  std::vector<Packet> packets;
  for (const auto& run : runs)
    packets.push_back(encoding == Encoding::Raw ? Raw(run) : SingleRun(run));
  return packets;
}

Packet VideoEncoder::Raw(const Run& run) const {
  Packet packet{SEGMENT, 1, {}};
  PutBe16(packet.data, run.y);
  PutBe16(packet.data, run.x);
  const Bytes items = RunLengthItems(run.codes);
  packet.data.insert(packet.data.end(), items.begin(), items.end());
  return packet;
}

Packet VideoEncoder::SingleRun(const Run& run) {
  Bytes plain;
  PutBe16(plain, run.y);
  PutBe16(plain, run.x);
  PutCodes(plain, run.codes);
  return {SEGMENT, 2, Deflate(plain)};
}

std::vector<Packet> VideoEncoder::MultiSegment(const std::vector<Run>& runs) {
  std::vector<Packet> packets;
  Bytes plain;
  int intervals = 0;
  const Run* previous = nullptr;
  auto flush = [&] {
    if (plain.empty()) return;
    packets.push_back({MULTISEGMENT, 2, Deflate(plain)});
    plain.clear();
    intervals = 0;
    previous = nullptr;
  };
  for (const auto& run : runs) {
    const std::size_t worst = 3 + 2 + 2 * run.codes.size();
    if (intervals == MAX_INTERVALS || plain.size() + worst > MAX_INFLATED) flush();
    const int shift = previous ? run.x - previous->x : 0;
    const int growth =
        previous ? static_cast<int>(run.codes.size()) - static_cast<int>(previous->codes.size())
                 : 0;
    if (previous && run.y == previous->y + 1 && std::abs(shift) <= 15 && std::abs(growth) <= 15) {
      plain.push_back(SignedOffset(MH_NEXT_ROW, shift));
      plain.push_back(SignedOffset(MH_PIXELS_REL_LEN, growth));
    } else {
      const std::uint32_t cursor = static_cast<std::uint32_t>(run.y) * m_held.width + run.x;
      plain.push_back(static_cast<std::uint8_t>(MH_POSITION | ((cursor >> 16) & 31)));
      plain.push_back(cursor & 0xFF);
      plain.push_back((cursor >> 8) & 0xFF);
      const auto count = static_cast<std::uint32_t>(run.codes.size());
      plain.push_back(static_cast<std::uint8_t>(MH_PIXELS | (count >> 8)));
      plain.push_back(count & 0xFF);
    }
    PutCodes(plain, run.codes);
    ++intervals;
    previous = &run;
  }
  flush();
  return packets;
}

Bytes VideoEncoder::Deflate(const Bytes& plain) {
  const int mode = m_finishNext ? Z_FINISH : Z_SYNC_FLUSH;
  Bytes out(deflateBound(&m_zlib, plain.size()) + 64);
  std::size_t produced = 0;
  if (std::exchange(m_forgetHistory, false)) {
    m_zlib.next_in = nullptr;
    m_zlib.avail_in = 0;
    m_zlib.next_out = out.data();
    m_zlib.avail_out = static_cast<uInt>(out.size());
    if (const int rc = deflate(&m_zlib, Z_FULL_FLUSH); rc != Z_OK && rc != Z_BUF_ERROR)
      throw std::runtime_error("video compression failed");
    produced = out.size() - m_zlib.avail_out;
  }
  m_zlib.next_in = const_cast<Bytef*>(plain.data());
  m_zlib.avail_in = static_cast<uInt>(plain.size());
  for (;;) {
    if (produced == out.size()) out.resize(out.size() * 2);
    m_zlib.next_out = out.data() + produced;
    m_zlib.avail_out = static_cast<uInt>(out.size() - produced);
    const int rc = deflate(&m_zlib, mode);
    produced = out.size() - m_zlib.avail_out;
    if (rc == Z_STREAM_END) break;
    if (rc != Z_OK && rc != Z_BUF_ERROR) throw std::runtime_error("video compression failed");
    if (mode == Z_SYNC_FLUSH && m_zlib.avail_out != 0) break;
  }
  out.resize(produced);
  if (m_finishNext) {
    m_finishNext = false;
    deflateReset(&m_zlib);
  }
  return out;
}

}  // namespace sim
