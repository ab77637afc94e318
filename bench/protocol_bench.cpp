// Packet throughput through the whole wire path (form, encrypt, checksum, ring
// buffer, cut, verify, decrypt) against the bare library calls doing the same
// cryptographic and checksum work on the same bytes, so that the cost of the
// framing itself can be read off as the ratio of the two.

#include <benchmark/benchmark.h>

#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/blowfish.h>
#include <openssl/des.h>
#include <zlib.h>

#include <cstring>
#include <vector>

#include "protocol/PacketForming.h"
#include "protocol/PacketReader.h"
#include "protocol/PacketTypes.h"
#include "support/RecordingReceiveLink.h"

namespace {
const PayloadCipher::DesKey KEY1{1, 2, 3, 4, 5, 6, 7, 0};
const PayloadCipher::DesKey KEY2{9, 8, 7, 6, 5, 4, 3, 0};
const PayloadCipher::DesKey KEY3{0x10, 0x32, 0x54, 0x76, 0x98, 0xBA, 0xDC, 0};
const std::vector<uint8_t> BLOWFISH_KEY(20, 0x5C);

std::vector<uint8_t> Data(size_t n) {
  std::vector<uint8_t> data(n);
  for (size_t i = 0; i < n; ++i) data[i] = static_cast<uint8_t>(i * 7 + 3);
  return data;
}

void WirePath(benchmark::State& state) {
  const int cipherId = static_cast<int>(state.range(0));
  const auto data = Data(static_cast<size_t>(state.range(1)));
  PayloadCipher cipher;
  cipher.SetKeys(BLOWFISH_KEY, KEY1, KEY2, KEY3);
  cipher.SetSessionCipher(cipherId);
  RingBuffer ring;
  RecordingReceiveLink link{ring};
  PacketHeader received;
  std::vector<uint8_t> payload(60000);
  for (auto _ : state) {
    PacketHeader header(SEGMENT, 0);
    const auto packet = FormPacket(header, cipher, {data.data(), data.size()});
    ring.Write(packet.data(), packet.size());
    const int32_t length = GetPacket(ring, link, received, payload.data(), 60000);
    if (received.encrypted) cipher.DecryptPayload(payload.data(), length, received);
    benchmark::DoNotOptimize(payload.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(1));
}

// The same work with the library calls alone: encrypt, checksum on sending,
// checksum and decrypt on receiving.
void BareCalls(benchmark::State& state) {
  const int cipherId = static_cast<int>(state.range(0));
  const auto data = Data(static_cast<size_t>(state.range(1)));
  const size_t padded = cipherId == ENCRYPTION_NONE ? data.size() : PaddedSize(data.size());
  std::vector<uint8_t> buffer(padded + 4);
  BF_KEY blowfish;
  BF_set_key(&blowfish, static_cast<int>(BLOWFISH_KEY.size()), BLOWFISH_KEY.data());
  DES_key_schedule s1, s2, s3;
  DES_cblock key;
  std::memcpy(key, KEY1.data(), 8);
  DES_set_key_unchecked(&key, &s1);
  std::memcpy(key, KEY2.data(), 8);
  DES_set_key_unchecked(&key, &s2);
  std::memcpy(key, KEY3.data(), 8);
  DES_set_key_unchecked(&key, &s3);

  // Word order as on the wire, which is the host's own on the little-endian
  // machines this runs on.
  auto blowfishBlocks = [&](auto primitive) {
    for (size_t offset = 0; offset < padded; offset += 8) {
      BF_LONG words[2];
      std::memcpy(words, buffer.data() + offset, 4);
      std::memcpy(words + 1, buffer.data() + offset + 4, 4);
      primitive(words, &blowfish);
      std::memcpy(buffer.data() + offset, words, 4);
      std::memcpy(buffer.data() + offset + 4, words + 1, 4);
    }
  };
  auto tripleDes = [&](int direction) {
    DES_cblock feedback;
    std::memcpy(feedback, KEY3.data(), 8);
    int position = 0;
    DES_ede3_cfb64_encrypt(buffer.data(), buffer.data(), static_cast<long>(padded), &s1, &s2, &s3,
                           &feedback, &position, direction);
  };

  for (auto _ : state) {
    std::memcpy(buffer.data(), data.data(), data.size());
    if (cipherId == ENCRYPTION_BLOWFISH) blowfishBlocks(BF_encrypt);
    if (cipherId == ENCRYPTION_TRIPLE_DES) tripleDes(DES_ENCRYPT);
    const uLong sent = crc32(0, buffer.data(), static_cast<uInt>(padded));
    const uLong check = crc32(0, buffer.data(), static_cast<uInt>(padded));
    benchmark::DoNotOptimize(sent == check);
    if (cipherId == ENCRYPTION_BLOWFISH) blowfishBlocks(BF_decrypt);
    if (cipherId == ENCRYPTION_TRIPLE_DES) tripleDes(DES_DECRYPT);
    benchmark::DoNotOptimize(buffer.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(1));
}

void Cases(benchmark::internal::Benchmark* b) {
  b->ArgNames({"cipher", "bytes"});
  for (int cipher : {ENCRYPTION_NONE, ENCRYPTION_TRIPLE_DES, ENCRYPTION_BLOWFISH})
    for (int bytes : {1024, 50 * 1024}) b->Args({cipher, bytes});
}
}  // namespace

BENCHMARK(WirePath)->Apply(Cases);
BENCHMARK(BareCalls)->Apply(Cases);
BENCHMARK_MAIN();
