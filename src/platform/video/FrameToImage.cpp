#include "platform/video/FrameToImage.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace pvx::platform::video {
namespace {

// BT.601 studio range in 10-bit fixed point: 1.164, 1.596, 0.392, 0.813, 2.017.
constexpr int kY = 1192, kRV = 1634, kGU = 401, kGV = 833, kBU = 2065;

inline uchar Clamp(int v) { return uchar(std::clamp(v, 0, 255)); }

inline QRgb Pixel(int y, int u, int v) {
  const int c = (y - 16) * kY + 512, d = u - 128, e = v - 128;  // + 512 rounds
  return 0xFF000000u | (uint(Clamp((c + kRV * e) >> 10)) << 16) |
         (uint(Clamp((c - kGU * d - kGV * e) >> 10)) << 8) | Clamp((c + kBU * d) >> 10);
}

// Pixels from `x` on, one pair at a time. Y0, U, Y1, V are the byte offsets within a pair.
template <int Y0, int U, int Y1, int V>
void ScalarPairs(const uchar* in, QRgb* out, int x, int width) {
  for (in += x * 2; x + 1 < width; x += 2, in += 4) {
    out[x] = Pixel(in[Y0], in[U], in[V]);
    out[x + 1] = Pixel(in[Y1], in[U], in[V]);
  }
  if (x < width) out[x] = Pixel(in[Y0], in[U], in[V]);  // a lone last pixel
}

#if defined(__SSE2__)
// Eight pixels a step in 16-bit lanes: inputs are scaled by 64 and coefficients by 4, so the
// high half of a product is the pixel value in quarters, rounded at the end.
template <bool LumaFirst>
int SimdPixels(const uchar* in, QRgb* out, int width) {
  const __m128i lowBytes = _mm_set1_epi16(0x00FF);
  const __m128i y16 = _mm_set1_epi16(16), c128 = _mm_set1_epi16(128), half = _mm_set1_epi16(2);
  const __m128i cy = _mm_set1_epi16(kY * 4), crv = _mm_set1_epi16(kRV * 4),
                cgu = _mm_set1_epi16(kGU * 4), cgv = _mm_set1_epi16(kGV * 4),
                cbu = _mm_set1_epi16(kBU * 4);
  const __m128i alpha = _mm_set1_epi8(char(0xFF));
  int x = 0;
  for (; x + 8 <= width; x += 8, in += 16) {
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
#endif

template <int Y0, int U, int Y1, int V>
void ConvertRows(const uchar* data, int stride, int width, int height, QImage& image) {
  for (int row = 0; row < height; ++row) {
    const uchar* in = data + ptrdiff_t(row) * stride;
    auto* out = reinterpret_cast<QRgb*>(image.scanLine(row));
    int x = 0;
#if defined(__SSE2__)
    x = SimdPixels<Y0 == 0>(in, out, width);
#endif
    ScalarPairs<Y0, U, Y1, V>(in, out, x, width);
  }
}

}  // namespace

QImage FrameToImage(PackedFormat format, const uchar* data, int stride, int width, int height,
                    QImage reuse) {
  const bool fits = reuse.isDetached() && reuse.width() == width && reuse.height() == height &&
                    reuse.format() == QImage::Format_RGB32;
  QImage image = fits ? std::move(reuse) : QImage(width, height, QImage::Format_RGB32);
  if (image.isNull()) return image;
  switch (format) {
    case PackedFormat::YUY2: ConvertRows<0, 1, 2, 3>(data, stride, width, height, image); break;
    case PackedFormat::UYVY: ConvertRows<1, 0, 3, 2>(data, stride, width, height, image); break;
    case PackedFormat::BGRx:
      // BGRx in memory is 0xxxRRGGBB on little-endian, which is Format_RGB32.
      for (int y = 0; y < height; ++y)
        std::memcpy(image.scanLine(y), data + ptrdiff_t(y) * stride, size_t(width) * 4);
      break;
  }
  return image;
}

}  // namespace pvx::platform::video
