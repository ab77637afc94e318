#include "ui/FramePainter.h"

#include <QPaintEngine>
#include <QtEndian>
#include <algorithm>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace ui {
namespace {

constexpr int BYTES_PER_PIXEL = 3;
constexpr uint32_t OPAQUE = 0xff000000u;

QColor ToColor(view::Rgb rgb) { return QColor(rgb.red, rgb.green, rgb.blue); }

// Blue, green, red bytes to 0xffRRGGBB. Each pixel but the last is read as four
// bytes at once (the fourth belongs to the next pixel and is overwritten), which
// keeps the loop to one load, one OR and one store.
void ConvertEach(const uint8_t* from, uint32_t* to, int width) {
  if (width <= 0) return;
  int x = 0;
  for (; x < width - 1; ++x, from += BYTES_PER_PIXEL) {
    uint32_t bgrx;
    std::memcpy(&bgrx, from, sizeof bgrx);
    to[x] = qFromLittleEndian(bgrx) | OPAQUE;
  }
  to[x] = OPAQUE | (uint32_t{from[2]} << 16) | (uint32_t{from[1]} << 8) | from[0];
}

#if defined(__SSE2__)
// Eight pixels a step: each half of the register takes twelve bytes (four
// pixels) and spreads them to four words. Returns the pixels converted; a step
// reads four bytes beyond its own, so it stops short of the row's end.
__attribute__((target("avx2"))) int ConvertWide(const uint8_t* from, uint32_t* to, int width) {
  const __m256i spread = _mm256_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1, 0,
                                          1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
  const __m256i opaque = _mm256_set1_epi32(static_cast<int>(OPAQUE));
  int x = 0;
  for (; x + 10 <= width; x += 8, from += 8 * BYTES_PER_PIXEL) {
    const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
    const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 12));
    const __m256i both = _mm256_inserti128_si256(_mm256_castsi128_si256(low), high, 1);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(to + x),
                        _mm256_or_si256(_mm256_shuffle_epi8(both, spread), opaque));
  }
  return x;
}
#endif

void ConvertRow(const uint8_t* from, uint32_t* to, int width) {
  int x = 0;
#if defined(__SSE2__)
  static const bool WIDE = __builtin_cpu_supports("avx2");
  if (WIDE) x = ConvertWide(from, to, width);
#endif
  ConvertEach(from + static_cast<size_t>(x) * BYTES_PER_PIXEL, to + x, width - x);
}

QRect ToQRect(const platform::Rect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

void DrawNotConnected(QPainter& painter, const view::NotConnectedText& card) {
  const QRect area = ToQRect(card.area);
  painter.fillRect(area, ToColor(card.background));
  QFont font(QString::fromStdString(card.font));
  if (card.fontHeight > 0) font.setPixelSize(card.fontHeight);
  painter.setFont(font);
  painter.setPen(ToColor(card.text));
  const QString text =
      QString::fromStdString(card.title) + "\n" + QString::fromStdString(card.detail);
  painter.drawText(area, Qt::AlignCenter, text);
}

// The part of the picture that lies inside it.
QRect InsidePicture(const video::PixelView& pixels, const platform::Rect& source) {
  return ToQRect(source).intersected(QRect(0, 0, pixels.width, pixels.height));
}

// Converts the picture's rows of `from` straight into `image` at `to`.
void ConvertInto(const video::PixelView& pixels, const QRect& from, QImage& image, QPoint to) {
  for (int y = from.top(); y <= from.bottom(); ++y)
    ConvertRow(pixels.Row(y) + static_cast<size_t>(from.left()) * BYTES_PER_PIXEL,
               reinterpret_cast<uint32_t*>(image.scanLine(to.y() + y - from.top())) + to.x(),
               from.width());
}

// The image the painter draws into, when it is one of 32-bit pixels reached
// by whole-pixel moves only (a window's backing store, as a rule); `offset`
// is then where the painter's origin lies in it, and `allowed` the part of it
// this paint may change.
QImage* DirectTarget(QPainter& painter, QPoint& offset, QRect& allowed) {
  QPaintEngine* engine = painter.paintEngine();
  if (engine == nullptr || engine->type() != QPaintEngine::Raster || painter.hasClipping())
    return nullptr;
  QPaintDevice* device = engine->paintDevice();
  if (device == nullptr || device->devType() != QInternal::Image) return nullptr;
  auto* image = static_cast<QImage*>(device);
  const QImage::Format format = image->format();
  if ((format != QImage::Format_RGB32 && format != QImage::Format_ARGB32 &&
       format != QImage::Format_ARGB32_Premultiplied) ||
      image->devicePixelRatio() != 1.0)
    return nullptr;
  const QTransform transform = painter.deviceTransform();
  if (transform.type() > QTransform::TxTranslate) return nullptr;
  offset = QPoint(static_cast<int>(transform.dx()), static_cast<int>(transform.dy()));
  if (offset.x() != transform.dx() || offset.y() != transform.dy()) return nullptr;
  allowed = painter.window().translated(offset).intersected(image->rect());
  const QRegion systemClip = engine->systemClip();
  if (!systemClip.isEmpty()) allowed = allowed.intersected(systemClip.boundingRect());
  return image;
}

// One pass instead of two: the rows go into the image the painter would have
// copied a converted part into.
bool DrawDirect(QPainter& painter, const view::PaintPlan& plan, const video::PixelView& pixels) {
  QPoint offset;
  QRect allowed;
  QImage* image = DirectTarget(painter, offset, allowed);
  if (image == nullptr) return false;
  // Where a pixel of the picture lands in the image.
  const QPoint shift =
      QPoint(plan.destination.x - plan.source.left, plan.destination.y - plan.source.top) + offset;
  const QRect target = InsidePicture(pixels, plan.source).translated(shift).intersected(allowed);
  if (!target.isEmpty()) ConvertInto(pixels, target.translated(-shift), *image, target.topLeft());
  return true;
}

}  // namespace

QImage CopyPixels(const video::PixelView& pixels, const platform::Rect& source) {
  if (!pixels.data) return {};
  const QRect inside = InsidePicture(pixels, source);
  if (inside.isEmpty()) return {};
  // The window's own 32-bit format: Qt draws it with a plain copy, where 24-bit
  // rows would take its slow generic conversion on every paint.
  QImage image(inside.size(), QImage::Format_RGB32);
  ConvertInto(pixels, inside, image, {0, 0});
  return image;
}

void DrawPaintPlan(QPainter& painter, const view::PaintPlan& plan, const video::PixelView& pixels) {
  if (plan.notConnected) {
    DrawNotConnected(painter, *plan.notConnected);
    return;
  }
  for (const platform::Rect& margin : plan.margins)
    painter.fillRect(ToQRect(margin), ToColor(view::MARGIN_COLOUR));
  if (!pixels.data || DrawDirect(painter, plan, pixels)) return;
  const QImage part = CopyPixels(pixels, plan.source);
  if (!part.isNull()) painter.drawImage(QPoint(plan.destination.x, plan.destination.y), part);
}

}  // namespace ui
