#include "video/ColorTable.h"

#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace video {
namespace {

// floor(value * 255 / 31 + 0.5) and floor(value * 255 / 63 + 0.5), exact for
// every 5- and 6-bit value, so no table is needed: a 256 KB one missed the
// cache on every new colour.
constexpr unsigned FIVE_MUL = 527, FIVE_ADD = 23;
constexpr unsigned SIX_MUL = 259, SIX_ADD = 33;
constexpr uint16_t BLACK_CODE = 1;

inline uint32_t Expand(uint16_t code) {
  if (code == BLACK_CODE) return 0;
  const uint32_t blue = ((code & 31u) * FIVE_MUL + FIVE_ADD) >> 6;
  const uint32_t green = (((code >> 5) & 63u) * SIX_MUL + SIX_ADD) >> 6;
  const uint32_t red = ((code >> 11) * FIVE_MUL + FIVE_ADD) >> 6;
  return blue | green << 8 | red << 16;
}

inline uint16_t CodeAt(const uint8_t* codes, int32_t i) {
  return static_cast<uint16_t>((codes[2 * i] << 8) | codes[2 * i + 1]);
}

inline void StorePixel(uint8_t* pixel, uint32_t word) {
  pixel[0] = static_cast<uint8_t>(word);
  pixel[1] = static_cast<uint8_t>(word >> 8);
  pixel[2] = static_cast<uint8_t>(word >> 16);
}

void ExpandEach(const uint8_t* codes, int32_t count, uint8_t* pixels) {
  for (int32_t i = 0; i < count; ++i, pixels += 3) {
    const uint16_t code = CodeAt(codes, i);
    if (code != 0) StorePixel(pixels, Expand(code));
  }
}

#if defined(__SSE2__)
__attribute__((target("avx2"))) inline __m256i Scale256(__m256i value, unsigned multiplier,
                                                        unsigned addend) {
  const __m256i product =
      _mm256_mullo_epi16(value, _mm256_set1_epi16(static_cast<int16_t>(multiplier)));
  return _mm256_srli_epi16(
      _mm256_add_epi16(product, _mm256_set1_epi16(static_cast<int16_t>(addend))), 6);
}

inline __m128i Scale(__m128i value, unsigned multiplier, unsigned addend) {
  const __m128i product = _mm_mullo_epi16(value, _mm_set1_epi16(static_cast<int16_t>(multiplier)));
  return _mm_srli_epi16(_mm_add_epi16(product, _mm_set1_epi16(static_cast<int16_t>(addend))), 6);
}

// Four 32-bit blue-green-red-zero pixels to twelve packed bytes in the low
// twelve bytes of the result.
inline __m128i PackFour(__m128i bgrx) {
  const __m128i low24 = _mm_set1_epi64x(0x0000000000FFFFFF);
  const __m128i next24 = _mm_set1_epi64x(0x0000FFFFFF000000);
  const __m128i pairs =
      _mm_or_si128(_mm_and_si128(bgrx, low24), _mm_and_si128(_mm_srli_epi64(bgrx, 8), next24));
  const __m128i firstSix = _mm_set_epi64x(0, 0x0000FFFFFFFFFFFF);
  const __m128i nextSix =
      _mm_set_epi64x(0x00000000FFFFFFFF, static_cast<int64_t>(0xFFFF000000000000));
  return _mm_or_si128(_mm_and_si128(pairs, firstSix),
                      _mm_and_si128(_mm_srli_si128(pairs, 2), nextSix));
}

// Eight codes to 24 bytes of pixels; a pixel whose code is 0 keeps its bytes.
inline void ExpandEight(uint8_t* pixels, __m128i code) {
  const __m128i unchanged = _mm_cmpeq_epi16(code, _mm_setzero_si128());
  const int unchangedBytes = _mm_movemask_epi8(unchanged);
  if (unchangedBytes == 0xFFFF) return;
  const __m128i blue = Scale(_mm_and_si128(code, _mm_set1_epi16(31)), FIVE_MUL, FIVE_ADD);
  const __m128i green =
      Scale(_mm_and_si128(_mm_srli_epi16(code, 5), _mm_set1_epi16(63)), SIX_MUL, SIX_ADD);
  const __m128i red = Scale(_mm_srli_epi16(code, 11), FIVE_MUL, FIVE_ADD);
  // Code 1 is black: its red and green are 0 already.
  const __m128i black = _mm_cmpeq_epi16(code, _mm_set1_epi16(BLACK_CODE));
  const __m128i blueGreen = _mm_or_si128(_mm_andnot_si128(black, blue), _mm_slli_epi16(green, 8));
  const __m128i first = PackFour(_mm_unpacklo_epi16(blueGreen, red));
  const __m128i second = PackFour(_mm_unpackhi_epi16(blueGreen, red));
  __m128i head = _mm_or_si128(first, _mm_slli_si128(second, 12));
  __m128i tail = _mm_srli_si128(second, 4);
  auto* const headAt = reinterpret_cast<__m128i*>(pixels);
  auto* const tailAt = reinterpret_cast<__m128i*>(pixels + 16);
  if (unchangedBytes != 0) {
    // The same packing turns the unchanged lanes into a mask over their bytes.
    const __m128i keepFirst = PackFour(_mm_unpacklo_epi16(unchanged, unchanged));
    const __m128i keepSecond = PackFour(_mm_unpackhi_epi16(unchanged, unchanged));
    const __m128i keepHead = _mm_or_si128(keepFirst, _mm_slli_si128(keepSecond, 12));
    const __m128i keepTail = _mm_srli_si128(keepSecond, 4);
    head = _mm_or_si128(_mm_andnot_si128(keepHead, head),
                        _mm_and_si128(keepHead, _mm_loadu_si128(headAt)));
    tail = _mm_or_si128(_mm_andnot_si128(keepTail, tail),
                        _mm_and_si128(keepTail, _mm_loadl_epi64(tailAt)));
  }
  _mm_storeu_si128(headAt, head);
  _mm_storel_epi64(tailAt, tail);
}

// Sixteen pixels' channels: in each 128-bit lane of blueGreen the eight blue
// bytes then the eight green ones, and red in the low bytes of red's words.
struct Channels {
  __m256i blueGreen, red;
};

// Each channel is isolated at a bit position where one rounding multiply
// (round(x * m / 32768)) gives exactly the nearest 8-bit value: checked for
// every code by the tests. `raw` holds the codes as loaded, their bytes
// swapped, which puts blue at bits 8-12; `code` holds them in native order.
__attribute__((target("avx2"), always_inline)) inline Channels Split(__m256i raw, __m256i code) {
  const __m256i black = _mm256_cmpeq_epi16(code, _mm256_set1_epi16(BLACK_CODE));
  const __m256i blueField = _mm256_and_si256(raw, _mm256_set1_epi16(31 << 8));
  const __m256i greenField = _mm256_and_si256(code, _mm256_set1_epi16(63 << 5));
  const __m256i redField = _mm256_and_si256(_mm256_srli_epi16(code, 7), _mm256_set1_epi16(31 << 4));
  const __m256i blue =
      _mm256_mulhrs_epi16(_mm256_andnot_si256(black, blueField), _mm256_set1_epi16(0x041D));
  const __m256i green = _mm256_mulhrs_epi16(greenField, _mm256_set1_epi16(0x1031));
  const __m256i red = _mm256_mulhrs_epi16(redField, _mm256_set1_epi16(0x41CD));
  return {_mm256_packus_epi16(blue, green), red};
}

// The 48 bytes of sixteen pixels, in order.
struct Packed {
  __m128i first, second, third;
};

// Lane 0 of `edges` holds the first 16 bytes and lane 1 the last 16; the
// middle 16 are split over the two lanes of `middle`.
__attribute__((target("avx2"), always_inline)) inline Packed Interleave(Channels c) {
  const __m256i edgeBlueGreen =
      _mm256_setr_epi8(0, 8, -1, 1, 9, -1, 2, 10, -1, 3, 11, -1, 4, 12, -1, 5, -1, 3, 11, -1, 4, 12,
                       -1, 5, 13, -1, 6, 14, -1, 7, 15, -1);
  const __m256i edgeRed =
      _mm256_setr_epi8(-1, -1, 0, -1, -1, 2, -1, -1, 4, -1, -1, 6, -1, -1, 8, -1, 4, -1, -1, 6, -1,
                       -1, 8, -1, -1, 10, -1, -1, 12, -1, -1, 14);
  const __m256i middleBlueGreen =
      _mm256_setr_epi8(13, -1, 6, 14, -1, 7, 15, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
                       -1, -1, -1, -1, 0, 8, -1, 1, 9, -1, 2, 10);
  const __m256i middleRed =
      _mm256_setr_epi8(-1, 10, -1, -1, 12, -1, -1, 14, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
                       -1, -1, -1, -1, -1, -1, -1, 0, -1, -1, 2, -1, -1);
  const __m256i edges = _mm256_or_si256(_mm256_shuffle_epi8(c.blueGreen, edgeBlueGreen),
                                        _mm256_shuffle_epi8(c.red, edgeRed));
  const __m256i middle = _mm256_or_si256(_mm256_shuffle_epi8(c.blueGreen, middleBlueGreen),
                                         _mm256_shuffle_epi8(c.red, middleRed));
  return {_mm256_castsi256_si128(edges),
          _mm_or_si128(_mm256_castsi256_si128(middle), _mm256_extracti128_si256(middle, 1)),
          _mm256_extracti128_si256(edges, 1)};
}

// Sixteen codes to 48 bytes at a 16-byte boundary; a pixel whose code is 0
// keeps its bytes.
__attribute__((target("avx2"), always_inline)) inline void ExpandSixteen(uint8_t* pixels,
                                                                         __m256i raw,
                                                                         __m256i code) {
  Packed bytes = Interleave(Split(raw, code));
  auto* const out = reinterpret_cast<__m128i*>(pixels);
  const __m256i unchanged = _mm256_cmpeq_epi16(code, _mm256_setzero_si256());
  if (!_mm256_testz_si256(unchanged, unchanged)) {
    // The same interleaving turns the unchanged words into a mask over their bytes.
    const Packed keep = Interleave({_mm256_packs_epi16(unchanged, unchanged), unchanged});
    bytes.first = _mm_blendv_epi8(bytes.first, _mm_load_si128(out), keep.first);
    bytes.second = _mm_blendv_epi8(bytes.second, _mm_load_si128(out + 1), keep.second);
    bytes.third = _mm_blendv_epi8(bytes.third, _mm_load_si128(out + 2), keep.third);
  }
  // Streamed past the caches: a frame is far larger than them.
  _mm_stream_si128(out, bytes.first);
  _mm_stream_si128(out + 1, bytes.second);
  _mm_stream_si128(out + 2, bytes.third);
}

// Returns how many codes it expanded: all but fewer than sixteen at the end.
__attribute__((target("avx2"))) int32_t ExpandWide(const uint8_t* codes, int32_t count,
                                                   uint8_t* pixels) {
  const __m256i swap = _mm256_setr_epi8(1, 0, 3, 2, 5, 4, 7, 6, 9, 8, 11, 10, 13, 12, 15, 14, 1, 0,
                                        3, 2, 5, 4, 7, 6, 9, 8, 11, 10, 13, 12, 15, 14);
  int32_t i = 0;
  // Streaming stores need 16-byte alignment, which 48-byte steps keep.
  while (i < count && reinterpret_cast<uintptr_t>(pixels) % 16 != 0) {
    ExpandEach(codes, 1, pixels);
    ++i, codes += 2, pixels += 3;
  }
  for (; i + 16 <= count; i += 16, codes += 32, pixels += 48) {
    const __m256i raw = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(codes));
    ExpandSixteen(pixels, raw, _mm256_shuffle_epi8(raw, swap));
  }
  return i;
}
#endif

}  // namespace

uint32_t ExpandCode(uint16_t code) { return Expand(code); }

void MakeExpandedVisible() {
#if defined(__SSE2__)
  _mm_sfence();
#endif
}

void ExpandCodes(const uint8_t* codes, int32_t count, uint8_t* pixels) {
  int32_t i = 0;
#if defined(__SSE2__)
  static const bool WIDE = __builtin_cpu_supports("avx2");
  if (WIDE) {
    i = ExpandWide(codes, count, pixels);
    codes += 2 * i;
    pixels += 3 * i;
  }
  // Eight pixels at a time.
  for (; i + 8 <= count; i += 8, codes += 16, pixels += 24) {
    __m128i code = _mm_loadu_si128(reinterpret_cast<const __m128i*>(codes));
    code = _mm_or_si128(_mm_slli_epi16(code, 8), _mm_srli_epi16(code, 8));
    ExpandEight(pixels, code);
  }
#endif
  ExpandEach(codes, count - i, pixels);
}

}  // namespace video
