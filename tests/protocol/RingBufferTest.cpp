#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "platform/TextError.h"
#include "protocol/RingBuffer.h"

namespace {
std::vector<uint8_t> Sequence(size_t n, uint8_t first = 0) {
  std::vector<uint8_t> bytes(n);
  std::iota(bytes.begin(), bytes.end(), first);
  return bytes;
}
}  // namespace

TEST(RingBuffer, FillsToCapacityAndRefusesOneMoreByte) {
  RingBuffer ring;
  EXPECT_EQ(ring.Capacity(), 100000u);
  const auto bytes = Sequence(100000);
  ring.Write(bytes.data(), bytes.size());
  EXPECT_EQ(ring.FreeSpace(), 0u);
  const uint8_t extra = 1;
  try {
    ring.Write(&extra, 1);
    FAIL();
  } catch (const TextError& e) {
    EXPECT_EQ(e.Text(), "Ring buffer overflowed.");
  }
  std::vector<uint8_t> out(100001);
  EXPECT_EQ(ring.Consume(out.data(), out.size()), 100000u);
  out.resize(100000);
  EXPECT_EQ(out, bytes);
  EXPECT_TRUE(ring.IsEmpty());
}

TEST(RingBuffer, WrapsAtTheEndOfItsStorage) {
  RingBuffer ring(16);
  std::vector<uint8_t> scratch(16);
  const auto first = Sequence(12);
  ring.Write(first.data(), first.size());
  ring.Consume(scratch.data(), 12);

  // Ends exactly at the end of the storage; the next write starts at the front.
  const auto tail = Sequence(4, 100);
  ring.Write(tail.data(), tail.size());
  const auto across = Sequence(6, 200);
  ring.Write(across.data(), across.size());
  EXPECT_EQ(ring.Count(), 10u);

  std::vector<uint8_t> peeked(10), consumed(10);
  EXPECT_EQ(ring.Peek(peeked.data(), 10), 10u);
  EXPECT_EQ(ring.Count(), 10u);
  EXPECT_EQ(ring.Consume(consumed.data(), 10), 10u);
  EXPECT_EQ(peeked, consumed);
  EXPECT_EQ(consumed, (std::vector<uint8_t>{100, 101, 102, 103, 200, 201, 202, 203, 204, 205}));

  // A write that itself wraps, then a read over the wrap point.
  const auto wrapping = Sequence(14, 50);
  ring.Write(wrapping.data(), wrapping.size());
  EXPECT_EQ(ring.FreeSpace(), 2u);
  std::vector<uint8_t> out(14);
  EXPECT_EQ(ring.Consume(out.data(), out.size()), 14u);
  EXPECT_EQ(out, wrapping);
}

TEST(RingBuffer, ReadsWhatIsThereAndClears) {
  RingBuffer ring(8);
  std::vector<uint8_t> out(8, 0xEE);
  EXPECT_EQ(ring.Consume(out.data(), 8), 0u);
  const auto bytes = Sequence(5);
  ring.Write(bytes.data(), bytes.size());
  EXPECT_EQ(ring.Peek(out.data(), 8), 5u);
  ring.Clear();
  EXPECT_TRUE(ring.IsEmpty());
  EXPECT_EQ(ring.FreeSpace(), 8u);
  ring.Write(Sequence(8).data(), 8);
  EXPECT_EQ(ring.Count(), 8u);
}
