#include "ui/FramePainter.h"

#include <QtEndian>
#include <algorithm>
#include <cstdint>
#include <cstring>

namespace ui {
namespace {

constexpr int BYTES_PER_PIXEL = 3;

QColor ToColor(view::Rgb rgb) { return QColor(rgb.red, rgb.green, rgb.blue); }

// Blue, green, red bytes to 0xffRRGGBB. Each pixel but the last is read as four
// bytes at once (the fourth belongs to the next pixel and is overwritten), which
// keeps the loop to one load, one OR and one store.
void CopyRow(const uint8_t* from, uint32_t* to, int width) {
  constexpr uint32_t OPAQUE = 0xff000000u;
  int x = 0;
  for (; x < width - 1; ++x, from += BYTES_PER_PIXEL) {
    uint32_t bgrx;
    std::memcpy(&bgrx, from, sizeof bgrx);
    to[x] = qFromLittleEndian(bgrx) | OPAQUE;
  }
  to[x] = OPAQUE | (uint32_t{from[2]} << 16) | (uint32_t{from[1]} << 8) | from[0];
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

}  // namespace

QImage CopyPixels(const video::PixelView& pixels, const platform::Rect& source) {
  const int left = std::max(0, source.left);
  const int top = std::max(0, source.top);
  const int right = std::min(pixels.width, source.right);
  const int bottom = std::min(pixels.height, source.bottom);
  if (!pixels.data || right <= left || bottom <= top) return {};
  // The window's own 32-bit format: Qt draws it with a plain copy, where 24-bit
  // rows would take its slow generic conversion on every paint.
  QImage image(right - left, bottom - top, QImage::Format_RGB32);
  for (int y = top; y < bottom; ++y)
    CopyRow(pixels.Row(y) + static_cast<size_t>(left) * BYTES_PER_PIXEL,
            reinterpret_cast<uint32_t*>(image.scanLine(y - top)), right - left);
  return image;
}

void DrawPaintPlan(QPainter& painter, const view::PaintPlan& plan, const video::PixelView& pixels) {
  if (plan.notConnected) {
    DrawNotConnected(painter, *plan.notConnected);
    return;
  }
  for (const platform::Rect& margin : plan.margins)
    painter.fillRect(ToQRect(margin), ToColor(view::MARGIN_COLOUR));
  const QImage part = CopyPixels(pixels, plan.source);
  if (!part.isNull()) painter.drawImage(QPoint(plan.destination.x, plan.destination.y), part);
}

}  // namespace ui
