// The view's paint as the window carries it out: the frame buffer's dirty
// rectangle planned, read under the buffer's lock and drawn with QPainter into
// an image of the window's backing-store format (converted straight into it,
// as into a window's backing store), for a whole 1600 x 1200 picture and for a
// 64 x 64 change. A plain memcpy of the whole picture's
// bytes, timed in the same run, is the bound: a whole picture should cost at
// most twice that, and a small change only its own bytes. Prints medians over
// interleaved rounds, the ratios and the bytes each paint writes.
//
// Run with QT_QPA_PLATFORM=offscreen (set here when unset).

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <vector>

#include "settings/IniFile.h"
#include "settings/TempDir.h"
#include "ui/FramePainter.h"
#include "video/FrameBuffer.h"
#include "view/ViewPaint.h"

namespace {

constexpr int WIDTH = 1600;
constexpr int HEIGHT = 1200;
constexpr int SMALL_SIDE = 64;
constexpr int ROUNDS = 200;

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double MicrosecondsOf(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
      .count();
}

// One paint of the dirty part, as ViewPainter hands it to the window's drawer.
class Paint {
 public:
  Paint(video::FrameBuffer& bmp, QImage& window) : m_bmp(bmp), m_window(window) {}

  void Run(const platform::Rect& dirty) {
    view::PaintInputs in;
    in.connected = true;
    in.partial = true;
    in.dirty = dirty;
    in.picture = m_bmp.Size();
    in.client = {0, 0, m_window.width(), m_window.height()};
    const view::PaintPlan plan = view::PlanPaint(in);
    QPainter painter(&m_window);
    m_bmp.ReadPixels(
        [&](const video::PixelView& pixels) { ui::DrawPaintPlan(painter, plan, pixels); });
  }

  // The bytes the paint writes into the window: its 32-bit pixels of the part.
  static qsizetype WrittenBytes(const platform::Rect& dirty) {
    return qsizetype{4} * dirty.Width() * dirty.Height();
  }

 private:
  video::FrameBuffer& m_bmp;
  QImage& m_window;
};

}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QGuiApplication app(argc, argv);

  const TempDir dir;
  settings::IniFile ini(dir.File("Remote.ini"));
  video::FrameBuffer bmp(ini);
  bmp.SetBitmapSize(WIDTH, HEIGHT);
  bmp.FillBmp(40, 120, 200, -1, 0, 0, 0);

  // The offscreen platform's backing store holds 32-bit pixels.
  QImage window(WIDTH, HEIGHT, QImage::Format_RGB32);
  window.fill(Qt::black);
  Paint paint(bmp, window);

  const size_t frameBytes = static_cast<size_t>(video::FrameBuffer::StrideFor(WIDTH)) * HEIGHT;
  std::vector<uint8_t> source(frameBytes, 0x5A);
  std::vector<uint8_t> target(frameBytes);
  const platform::Rect full{0, 0, WIDTH, HEIGHT};
  const platform::Rect small{800, 600, 800 + SMALL_SIDE, 600 + SMALL_SIDE};

  std::vector<double> copyUs, fullUs, smallUs;
  for (int round = 0; round < ROUNDS; ++round) {
    copyUs.push_back(
        MicrosecondsOf([&] { std::memcpy(target.data(), source.data(), frameBytes); }));
    fullUs.push_back(MicrosecondsOf([&] { paint.Run(full); }));
    smallUs.push_back(MicrosecondsOf([&] { paint.Run(small); }));
  }
  if (target[frameBytes / 2] != 0x5A) throw std::logic_error("memcpy was optimised away");
  if (window.pixelColor(WIDTH / 2, HEIGHT / 2) != QColor(40, 120, 200))
    throw std::logic_error("the paint did not show the picture");

  const double copy = Median(copyUs);
  const double whole = Median(fullUs);
  const double part = Median(smallUs);
  std::printf("memcpy of a whole picture (%zu bytes): median %.1f us\n", frameBytes, copy);
  std::printf(
      "paint of the whole picture (writes %lld bytes): median %.1f us, %.2f x memcpy "
      "(bound 2.00 x)\n",
      static_cast<long long>(Paint::WrittenBytes(full)), whole, whole / copy);
  std::printf(
      "paint of a %dx%d change (writes %lld bytes): median %.1f us, %.4f x memcpy, "
      "%.4f x the whole paint (area ratio %.4f)\n",
      SMALL_SIDE, SMALL_SIDE, static_cast<long long>(Paint::WrittenBytes(small)), part, part / copy,
      part / whole,
      static_cast<double>(SMALL_SIDE) * SMALL_SIDE / (static_cast<double>(WIDTH) * HEIGHT));
  return 0;
}
