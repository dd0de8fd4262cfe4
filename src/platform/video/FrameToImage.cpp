#include "platform/video/FrameToImage.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define PVX_X86_SIMD 1
#include <immintrin.h>
#endif

namespace pvx::platform::video {
namespace {

// BT.601 studio range in 10-bit fixed point: 1.164, 1.596, 0.392, 0.813, 2.017.
constexpr int kY = 1192, kRV = 1634, kGU = 401, kGV = 833, kBU = 2065;

inline uchar Clamp(int v) { return uchar(std::clamp(v, 0, 255)); }

// The steps of the vector paths, so that every path gives the same pixel: each term in
// quarters rounded down, the sum rounded at the end.
inline QRgb Pixel(int y, int u, int v) {
  const int c = (((y - 16) * kY) >> 8) + 2, d = u - 128, e = v - 128;
  return 0xFF000000u | (uint(Clamp((c + ((kRV * e) >> 8)) >> 2)) << 16) |
         (uint(Clamp((c - ((kGU * d) >> 8) - ((kGV * e) >> 8)) >> 2)) << 8) |
         Clamp((c + ((kBU * d) >> 8)) >> 2);
}

// `count` pixels from the start of a pair on. Y0, U, Y1, V are the byte offsets within a pair.
template <int Y0, int U, int Y1, int V>
void ScalarPairs(const uchar* in, QRgb* out, int count) {
  int x = 0;
  for (; x + 1 < count; x += 2, in += 4) {
    out[x] = Pixel(in[Y0], in[U], in[V]);
    out[x + 1] = Pixel(in[Y1], in[U], in[V]);
  }
  if (x < count) out[x] = Pixel(in[Y0], in[U], in[V]);  // a lone last pixel
}

#if PVX_X86_SIMD
// The vector paths work in 16-bit lanes: inputs are scaled by 64 and coefficients by 4, so the
// high half of a product is the pixel value in quarters, rounded at the end. Both give the
// same pixels; the wider one runs where the processor has it.
template <bool LumaFirst>
int Sse2Pixels(const uchar* in, QRgb* out, int count) {
  const __m128i lowBytes = _mm_set1_epi16(0x00FF);
  const __m128i y16 = _mm_set1_epi16(16), c128 = _mm_set1_epi16(128), half = _mm_set1_epi16(2);
  const __m128i cy = _mm_set1_epi16(kY * 4), crv = _mm_set1_epi16(kRV * 4),
                cgu = _mm_set1_epi16(kGU * 4), cgv = _mm_set1_epi16(kGV * 4),
                cbu = _mm_set1_epi16(kBU * 4);
  const __m128i alpha = _mm_set1_epi8(char(0xFF));
  int x = 0;
  for (; x + 8 <= count; x += 8, in += 16) {
    const __m128i raw = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    const __m128i y = LumaFirst ? _mm_and_si128(raw, lowBytes) : _mm_srli_epi16(raw, 8);
    const __m128i uv = LumaFirst ? _mm_srli_epi16(raw, 8) : _mm_and_si128(raw, lowBytes);
    // uv holds U0 V0 U1 V1 ...: spread each to the two pixels of its pair.
    __m128i u = _mm_shufflehi_epi16(_mm_shufflelo_epi16(uv, _MM_SHUFFLE(2, 2, 0, 0)), _MM_SHUFFLE(2, 2, 0, 0));
    __m128i v = _mm_shufflehi_epi16(_mm_shufflelo_epi16(uv, _MM_SHUFFLE(3, 3, 1, 1)), _MM_SHUFFLE(3, 3, 1, 1));
    const __m128i c =
        _mm_add_epi16(_mm_mulhi_epi16(_mm_slli_epi16(_mm_sub_epi16(y, y16), 6), cy), half);
    u = _mm_slli_epi16(_mm_sub_epi16(u, c128), 6);
    v = _mm_slli_epi16(_mm_sub_epi16(v, c128), 6);
    const __m128i r = _mm_srai_epi16(_mm_add_epi16(c, _mm_mulhi_epi16(v, crv)), 2);
    const __m128i g = _mm_srai_epi16(
        _mm_sub_epi16(_mm_sub_epi16(c, _mm_mulhi_epi16(u, cgu)), _mm_mulhi_epi16(v, cgv)), 2);
    const __m128i b = _mm_srai_epi16(_mm_add_epi16(c, _mm_mulhi_epi16(u, cbu)), 2);
    const __m128i r8 = _mm_packus_epi16(r, r), g8 = _mm_packus_epi16(g, g), b8 = _mm_packus_epi16(b, b);
    const __m128i bg = _mm_unpacklo_epi8(b8, g8), ra = _mm_unpacklo_epi8(r8, alpha);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_unpacklo_epi16(bg, ra));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x + 4), _mm_unpackhi_epi16(bg, ra));
  }
  return x;
}

// Sixteen pixels a step; the 256-bit operations work per 128-bit half, so the two halves of
// the result are put back in order at the store.
template <bool LumaFirst>
__attribute__((target("avx2"))) int Avx2Pixels(const uchar* in, QRgb* out, int count) {
  const __m256i lowBytes = _mm256_set1_epi16(0x00FF);
  const __m256i y16 = _mm256_set1_epi16(16), c128 = _mm256_set1_epi16(128),
                half = _mm256_set1_epi16(2);
  const __m256i cy = _mm256_set1_epi16(kY * 4), crv = _mm256_set1_epi16(kRV * 4),
                cgu = _mm256_set1_epi16(kGU * 4), cgv = _mm256_set1_epi16(kGV * 4),
                cbu = _mm256_set1_epi16(kBU * 4);
  const __m256i alpha = _mm256_set1_epi8(char(0xFF));
  int x = 0;
  for (; x + 16 <= count; x += 16, in += 32) {
    const __m256i raw = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in));
    const __m256i y = LumaFirst ? _mm256_and_si256(raw, lowBytes) : _mm256_srli_epi16(raw, 8);
    const __m256i uv = LumaFirst ? _mm256_srli_epi16(raw, 8) : _mm256_and_si256(raw, lowBytes);
    __m256i u = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(uv, _MM_SHUFFLE(2, 2, 0, 0)), _MM_SHUFFLE(2, 2, 0, 0));
    __m256i v = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(uv, _MM_SHUFFLE(3, 3, 1, 1)), _MM_SHUFFLE(3, 3, 1, 1));
    const __m256i c = _mm256_add_epi16(
        _mm256_mulhi_epi16(_mm256_slli_epi16(_mm256_sub_epi16(y, y16), 6), cy), half);
    u = _mm256_slli_epi16(_mm256_sub_epi16(u, c128), 6);
    v = _mm256_slli_epi16(_mm256_sub_epi16(v, c128), 6);
    const __m256i r = _mm256_srai_epi16(_mm256_add_epi16(c, _mm256_mulhi_epi16(v, crv)), 2);
    const __m256i g = _mm256_srai_epi16(
        _mm256_sub_epi16(_mm256_sub_epi16(c, _mm256_mulhi_epi16(u, cgu)), _mm256_mulhi_epi16(v, cgv)),
        2);
    const __m256i b = _mm256_srai_epi16(_mm256_add_epi16(c, _mm256_mulhi_epi16(u, cbu)), 2);
    const __m256i r8 = _mm256_packus_epi16(r, r), g8 = _mm256_packus_epi16(g, g),
                  b8 = _mm256_packus_epi16(b, b);
    const __m256i bg = _mm256_unpacklo_epi8(b8, g8), ra = _mm256_unpacklo_epi8(r8, alpha);
    const __m256i lo = _mm256_unpacklo_epi16(bg, ra), hi = _mm256_unpackhi_epi16(bg, ra);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x), _mm256_permute2x128_si256(lo, hi, 0x20));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x + 8),
                        _mm256_permute2x128_si256(lo, hi, 0x31));
  }
  return x;
}

// The widest steps first; what is left over goes to the narrower ones.
template <bool LumaFirst>
int VectorPixels(const uchar* in, QRgb* out, int count) {
  static const bool avx2 = __builtin_cpu_supports("avx2");
  const int done = avx2 ? Avx2Pixels<LumaFirst>(in, out, count) : 0;
  return done + Sse2Pixels<LumaFirst>(in + done * 2, out + done, count - done);
}
#endif

template <int Y0, int U, int Y1, int V>
void ConvertYuvRows(const uchar* rows, int stride, int x, int width, int height, uchar* out,
                    qsizetype outStride) {
  for (int row = 0; row < height; ++row, rows += stride, out += outStride) {
    auto* dst = reinterpret_cast<QRgb*>(out);
    int from = x, count = width;
    if (from & 1 && count > 0) {  // starts on the second pixel of a pair
      const uchar* pair = rows + (from - 1) * 2;
      *dst++ = Pixel(pair[Y1], pair[U], pair[V]);
      ++from;
      --count;
    }
    const uchar* in = rows + from * 2;
    int done = 0;
#if PVX_X86_SIMD
    done = VectorPixels<Y0 == 0>(in, dst, count);
#endif
    ScalarPairs<Y0, U, Y1, V>(in + done * 2, dst + done, count - done);
  }
}

}  // namespace

void ConvertPacked(PackedFormat format, const uchar* rows, int stride, int x, int width,
                   int height, uchar* out, qsizetype outStride) {
  switch (format) {
    case PackedFormat::YUY2:
      ConvertYuvRows<0, 1, 2, 3>(rows, stride, x, width, height, out, outStride);
      break;
    case PackedFormat::UYVY:
      ConvertYuvRows<1, 0, 3, 2>(rows, stride, x, width, height, out, outStride);
      break;
    case PackedFormat::BGRx:
      // BGRx in memory is 0xxxRRGGBB on little-endian: the pixel with its alpha set.
      for (int row = 0; row < height; ++row, rows += stride, out += outStride) {
        const auto* in = reinterpret_cast<const quint32*>(rows) + x;
        auto* dst = reinterpret_cast<QRgb*>(out);
        for (int i = 0; i < width; ++i) dst[i] = in[i] | 0xFF000000u;
      }
      break;
  }
}

QImage FrameToImage(PackedFormat format, const uchar* data, int stride, int width, int height,
                    QImage reuse) {
  const bool fits = reuse.isDetached() && reuse.width() == width && reuse.height() == height &&
                    reuse.format() == QImage::Format_RGB32;
  QImage image = fits ? std::move(reuse) : QImage(width, height, QImage::Format_RGB32);
  if (image.isNull()) return image;
  ConvertPacked(format, data, stride, 0, width, height, image.bits(), image.bytesPerLine());
  return image;
}

QImage FrameToImage(const TRawFrame& frame, QImage reuse) {
  if (frame.IsNull()) return {};
  return FrameToImage(frame.format, frame.data, frame.stride, frame.size.width(),
                      frame.size.height(), std::move(reuse));
}

}  // namespace pvx::platform::video
