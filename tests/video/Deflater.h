#pragma once
// The unit's side of the compression: one deflate stream whose every packet
// ends with a sync flush, so the viewer can inflate each as it arrives.

#include <zlib.h>

#include <cstdint>
#include <stdexcept>
#include <vector>

using Bytes = std::vector<uint8_t>;

class Deflater {
 public:
  Deflater() {
    if (deflateInit(&m_zlib, Z_DEFAULT_COMPRESSION) != Z_OK)
      throw std::runtime_error("deflateInit");
  }
  ~Deflater() { deflateEnd(&m_zlib); }
  Deflater(const Deflater&) = delete;
  Deflater& operator=(const Deflater&) = delete;

  Bytes Packet(const Bytes& plain) {
    Bytes out(deflateBound(&m_zlib, plain.size()) + 64);
    m_zlib.next_in = const_cast<Bytef*>(plain.data());
    m_zlib.avail_in = static_cast<uInt>(plain.size());
    m_zlib.next_out = out.data();
    m_zlib.avail_out = static_cast<uInt>(out.size());
    if (deflate(&m_zlib, Z_SYNC_FLUSH) != Z_OK || m_zlib.avail_in != 0)
      throw std::runtime_error("deflate");
    out.resize(out.size() - m_zlib.avail_out);
    return out;
  }

 private:
  z_stream m_zlib{};
};
