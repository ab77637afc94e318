#pragma once
// The receive buffer between the socket or serial port and the packet cutter:
// a fixed ring of bytes with its own lock. Bytes are appended by the receive
// thread and cut out as whole packets; a look-ahead reads without consuming.

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

class RingBuffer {
 public:
  static constexpr size_t DEFAULT_CAPACITY = 100000;

  explicit RingBuffer(size_t capacity = DEFAULT_CAPACITY);

  // Appends all n bytes, or throws "Ring buffer overflowed." and changes
  // nothing. A receive larger than FreeSpace() must be appended in pieces.
  void Write(const uint8_t* bytes, size_t n);
  // Copies min(n, Count()) of the oldest bytes; removes them when consume is
  // set. Returns the number copied.
  size_t Read(uint8_t* destination, size_t n, bool consume);
  size_t Peek(uint8_t* destination, size_t n) { return Read(destination, n, false); }
  size_t Consume(uint8_t* destination, size_t n) { return Read(destination, n, true); }

  size_t Count() const;
  size_t FreeSpace() const;
  size_t Capacity() const { return m_storage.size(); }
  bool IsEmpty() const { return Count() == 0; }
  void Clear();

 private:
  mutable std::mutex m_lock;
  std::vector<uint8_t> m_storage;
  size_t m_count = 0;
  size_t m_readIndex = 0;
  size_t m_writeIndex = 0;
};
