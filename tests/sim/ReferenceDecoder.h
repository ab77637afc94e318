#pragma once
// A viewer's picture rebuilt from the unit's video packets, written from the wire format alone,
// with the decoder's limits checked: at most 50,000 inflated bytes and 100 intervals a packet.

#include <zlib.h>

#include <array>
#include <stdexcept>
#include <vector>

#include "sim/ViewerClient.h"

namespace client {

class ReferenceDecoder {
 public:
  ReferenceDecoder() { inflateInit(&m_zlib); }
  ~ReferenceDecoder() { inflateEnd(&m_zlib); }
  ReferenceDecoder(const ReferenceDecoder&) = delete;
  ReferenceDecoder& operator=(const ReferenceDecoder&) = delete;

  void Resize(int width, int height) {
    m_width = width;
    m_height = height;
    m_rgb.assign(std::size_t(width) * height * 3, 0);
  }

  // Applies one packet if it is video or a fill; returns false for any other packet.
  bool Apply(const Frame& f) {
    if (f.type == 65) return Fill(f.data), true;
    if (f.type != 10 && f.type != 11) return false;
    if (f.payloadSize > 60000) throw std::runtime_error("payload over 60,000 bytes");
    m_intervals = 0;
    if (f.subtype == 1) return Raw(f.data), true;
    const Bytes plain = Inflate(f.data);
    if (f.type == 10)
      Single(plain);
    else
      Opcodes(plain);
    return true;
  }

  const std::vector<std::uint8_t>& Rgb() const { return m_rgb; }

  static std::array<std::uint8_t, 3> Expand(std::uint16_t code) {
    if (code == 1) return {0, 0, 0};
    auto round = [](unsigned v, unsigned max) { return std::uint8_t(v * 255.0 / max + 0.5); };
    return {round(code >> 11, 31), round((code >> 5) & 63, 63), round(code & 31, 31)};
  }

 private:
  void Put(int x, int y, std::uint16_t code) {
    if (code == 0 || x < 0 || y < 0 || x >= m_width || y >= m_height) return;
    const auto c = Expand(code);
    std::copy(c.begin(), c.end(), m_rgb.begin() + (std::size_t(y) * m_width + x) * 3);
  }
  void CountInterval() {
    if (++m_intervals > 100) throw std::runtime_error("more than 100 intervals in a packet");
  }
  static std::uint16_t Be16(const Bytes& b, std::size_t at) {
    if (at + 2 > b.size()) throw std::runtime_error("video data ends early");
    return std::uint16_t(b[at] << 8 | b[at + 1]);
  }
  void Raw(const Bytes& d) {
    CountInterval();
    const int y = Be16(d, 0);
    int x = Be16(d, 2);
    std::size_t at = 4;
    while (at < d.size()) {
      const std::uint16_t code = Be16(d, at);
      const int n = d.at(at + 2);
      at += 3;
      if (n >= 32) {
        for (int i = 0; i < n - 31; ++i) Put(x++, y, code);
      } else {
        Put(x++, y, code);
        for (int i = 0; i < 32 - n; ++i, at += 2) Put(x++, y, Be16(d, at));
      }
    }
  }
  Bytes Inflate(const Bytes& in) {
    Bytes out(50000);
    m_zlib.next_in = const_cast<Bytef*>(in.data());
    m_zlib.avail_in = uInt(in.size());
    m_zlib.next_out = out.data();
    m_zlib.avail_out = uInt(out.size());
    if (inflate(&m_zlib, Z_SYNC_FLUSH) != Z_OK || m_zlib.avail_in != 0)
      throw std::runtime_error("inflate failed or needs more than 50,000 bytes");
    out.resize(out.size() - m_zlib.avail_out);
    if (out.size() < 6) throw std::runtime_error("fewer than 6 inflated bytes");
    return out;
  }
  void Single(const Bytes& d) {
    if (d.size() % 2) throw std::runtime_error("odd inflated length");
    CountInterval();
    const int y = Be16(d, 0), x = Be16(d, 2);
    for (std::size_t i = 4, col = x; i < d.size(); i += 2, ++col) Put(int(col), y, Be16(d, i));
  }
  void Run(const Bytes& d, std::size_t& at, int count) {
    if (m_cursor + count > m_width * m_height) throw std::runtime_error("run beyond the picture");
    CountInterval();
    for (int i = 0; i < count; ++i, at += 2) {
      const int pixel = m_cursor + i;
      if (i > 0 && pixel % m_width == 0) CountInterval();
      Put(pixel % m_width, pixel / m_width, Be16(d, at));
    }
  }
  static int Offset(std::uint8_t b) { return (b & 16) ? -(b & 15) : (b & 15); }
  void Opcodes(const Bytes& d) {
    std::size_t at = 0;
    while (at < d.size()) {
      const std::uint8_t b = d[at];
      switch (b >> 5) {
        case 0:
          m_cursor = ((b & 31) << 16) + d.at(at + 1) + (d.at(at + 2) << 8);
          at += 3;
          break;
        case 1:
          m_last = ((b & 31) << 8) + d.at(at + 1);
          at += 2;
          Run(d, at, m_last);
          break;
        case 4:
          m_cursor += m_width + Offset(b);
          at += 1;
          break;
        case 5:
          m_last += Offset(b);
          at += 1;
          Run(d, at, m_last);
          break;
        default:
          throw std::runtime_error("unknown opcode");
      }
    }
  }
  void Fill(const Bytes& d) {
    auto s16 = [&](int i) { return int(std::int16_t(d.at(i) | d.at(i + 1) << 8)); };
    int x1 = s16(0), y1 = s16(2), x2 = s16(4), y2 = s16(6);
    if (x1 < 0) x1 = 0, y1 = 0, x2 = m_width - 1, y2 = m_height - 1;
    for (int y = y1; y <= y2; ++y)
      for (int x = x1; x <= x2; ++x)
        if (x >= 0 && y >= 0 && x < m_width && y < m_height) {
          std::uint8_t* p = &m_rgb[(std::size_t(y) * m_width + x) * 3];
          p[0] = d.at(8), p[1] = d.at(9), p[2] = d.at(10);
        }
  }

  z_stream m_zlib{};
  int m_width = 0, m_height = 0;
  std::vector<std::uint8_t> m_rgb;
  int m_cursor = 0, m_last = 0, m_intervals = 0;
};

}  // namespace client
