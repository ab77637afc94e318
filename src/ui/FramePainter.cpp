#include "ui/FramePainter.h"

#include <algorithm>
#include <cstring>

namespace ui {
namespace {

constexpr int BYTES_PER_PIXEL = 3;

QColor ToColor(view::Rgb rgb) { return QColor(rgb.red, rgb.green, rgb.blue); }

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
  QImage image(right - left, bottom - top, QImage::Format_BGR888);
  const size_t rowBytes = static_cast<size_t>(right - left) * BYTES_PER_PIXEL;
  for (int y = top; y < bottom; ++y)
    std::memcpy(image.scanLine(y - top),
                pixels.Row(y) + static_cast<size_t>(left) * BYTES_PER_PIXEL, rowBytes);
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
