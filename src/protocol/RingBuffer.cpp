#include "protocol/RingBuffer.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/TextError.h"

RingBuffer::RingBuffer(size_t capacity) {
  try {
    m_storage.resize(capacity);
  } catch (const std::bad_alloc&) {
    throw TextError("Could not alloc space for ring buffer.");
  }
}

void RingBuffer::Write(const uint8_t* bytes, size_t n) {
  std::lock_guard lock(m_lock);
  const size_t capacity = m_storage.size();
  if (n > capacity - m_count) throw TextError("Ring buffer overflowed.");
  if (n == 0) return;
  const size_t first = std::min(n, capacity - m_writeIndex);
  std::memcpy(m_storage.data() + m_writeIndex, bytes, first);
  std::memcpy(m_storage.data(), bytes + first, n - first);
  m_writeIndex = (m_writeIndex + n) % capacity;
  m_count += n;
}

size_t RingBuffer::Read(uint8_t* destination, size_t n, bool consume) {
  std::lock_guard lock(m_lock);
  const size_t capacity = m_storage.size();
  const size_t k = std::min(n, m_count);
  if (k == 0) return 0;
  const size_t first = std::min(k, capacity - m_readIndex);
  std::memcpy(destination, m_storage.data() + m_readIndex, first);
  std::memcpy(destination + first, m_storage.data(), k - first);
  if (consume) {
    m_readIndex = (m_readIndex + k) % capacity;
    m_count -= k;
  }
  return k;
}

size_t RingBuffer::Count() const {
  std::lock_guard lock(m_lock);
  return m_count;
}

size_t RingBuffer::FreeSpace() const {
  std::lock_guard lock(m_lock);
  return m_storage.size() - m_count;
}

void RingBuffer::Clear() {
  std::lock_guard lock(m_lock);
  m_count = 0;
  m_readIndex = 0;
  m_writeIndex = 0;
}
