#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QPainter>
#include <optional>
#include <vector>

#include "QtApp.h"
#include "ui/FramePainter.h"
#include "video/FrameBuffer.h"
#include "view/ViewPaint.h"

namespace {

// A picture stored as the frame buffer stores it (bottom-up, B, G, R, rows
// padded to four bytes), every pixel a colour of its own.
struct StoredPicture {
  int width;
  int height;
  int stride = video::FrameBuffer::StrideFor(width);
  std::vector<uint8_t> data = std::vector<uint8_t>(static_cast<size_t>(stride) * height);

  StoredPicture(int w, int h) : width(w), height(h) {
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        uint8_t* pixel = data.data() + static_cast<size_t>(height - 1 - y) * stride + 3 * x;
        const QColor colour = ColourAt(x, y);
        pixel[0] = static_cast<uint8_t>(colour.blue());
        pixel[1] = static_cast<uint8_t>(colour.green());
        pixel[2] = static_cast<uint8_t>(colour.red());
      }
  }
  static QColor ColourAt(int x, int y) { return QColor(7 * x, 40 * y, 255 - 3 * x - y); }
  video::PixelView View() const { return {data.data(), width, height, stride}; }
};

}  // namespace

TEST(FramePainter, CopiesOnlyThePlannedRowsTopDownFromTheBottomUpBuffer) {
  // A 4 x 3 picture stored bottom-up, 3 bytes a pixel (B, G, R), rows padded to 4 bytes.
  const int width = 4, height = 3, stride = 3 * width;
  std::vector<uint8_t> data(static_cast<size_t>(stride) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint8_t* pixel = data.data() + static_cast<size_t>(height - 1 - y) * stride + 3 * x;
      pixel[0] = static_cast<uint8_t>(x);       // blue
      pixel[1] = static_cast<uint8_t>(y);       // green
      pixel[2] = static_cast<uint8_t>(10 * y);  // red
    }
  const video::PixelView view{data.data(), width, height, stride};
  const QImage part = ui::CopyPixels(view, {1, 1, 3, 3});
  ASSERT_EQ(part.size(), QSize(2, 2));
  EXPECT_EQ(part.pixelColor(0, 0), QColor(10, 1, 1));
  EXPECT_EQ(part.pixelColor(1, 1), QColor(20, 2, 2));
  EXPECT_TRUE(ui::CopyPixels(view, {3, 3, 9, 9}).isNull());
  EXPECT_TRUE(ui::CopyPixels(video::PixelView{}, {0, 0, 2, 2}).isNull());
}

// The picture lands in the painter's image where the plan puts it, clipped to
// the image and to the painter's clip, whether it is converted straight into
// an image of 32-bit pixels or copied and drawn by the painter (other formats,
// clipping). 33 columns take the wide conversion and its narrow tail.
TEST(FramePainter, PicturePartLandsWhereThePlanPutsItInEveryKindOfTarget) {
  TestApp();
  struct Case {
    QImage::Format format;
    QPoint translation;
    platform::Point destination;
    std::optional<QRect> clip;
  };
  const Case cases[] = {
      {QImage::Format_RGB32, {0, 0}, {-1, 2}, std::nullopt},
      {QImage::Format_RGB32, {5, 3}, {1, 2}, std::nullopt},
      {QImage::Format_ARGB32_Premultiplied, {5, 3}, {1, 2}, std::nullopt},
      {QImage::Format_RGB888, {5, 3}, {1, 2}, std::nullopt},
      {QImage::Format_RGB32, {0, 0}, {1, 2}, QRect(3, 3, 10, 2)},
  };
  const StoredPicture picture(37, 6);
  const platform::Rect source{2, 1, 35, 5};
  const QColor untouched(1, 2, 3);
  for (const Case& c : cases) {
    QImage image(36, 12, c.format);
    image.fill(untouched);
    view::PaintPlan plan;
    plan.source = source;
    plan.destination = c.destination;
    {
      QPainter painter(&image);
      painter.translate(c.translation);
      if (c.clip) painter.setClipRect(*c.clip);
      ui::DrawPaintPlan(painter, plan, picture.View());
    }
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) {
        const QPoint logical = QPoint(x, y) - c.translation;
        const QPoint from =
            logical - QPoint(c.destination.x, c.destination.y) + QPoint(source.left, source.top);
        const bool drawn = from.x() >= source.left && from.x() < source.right &&
                           from.y() >= source.top && from.y() < source.bottom &&
                           (!c.clip || c.clip->contains(logical));
        const QColor expected = drawn ? StoredPicture::ColourAt(from.x(), from.y()) : untouched;
        ASSERT_EQ(image.pixelColor(x, y), expected)
            << "format " << c.format << ", translation " << c.translation.x() << ","
            << c.translation.y() << ", at " << x << "," << y;
      }
  }
}
