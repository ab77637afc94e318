#include "Desktop.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#include "Colour.h"
#include "Font.h"

namespace sim {

namespace {

class Canvas {
 public:
  Canvas(int width, int height)
      : m_width(width), m_height(height), m_pixels(std::size_t(width) * height) {}

  void Put(int x, int y, Rgb c) {
    if (x >= 0 && y >= 0 && x < m_width && y < m_height) m_pixels[std::size_t(y) * m_width + x] = c;
  }
  void Fill(Rect r, Rgb c) {
    const int x0 = std::max(r.x, 0), x1 = std::min(r.x + r.width, m_width);
    const int y0 = std::max(r.y, 0), y1 = std::min(r.y + r.height, m_height);
    for (int y = y0; y < y1; ++y)
      std::fill(&m_pixels[std::size_t(y) * m_width + x0],
                &m_pixels[std::size_t(y) * m_width + x0] + std::max(0, x1 - x0), c);
  }
  void Text(int x, int y, int scale, const std::string& text, Rgb c) {
    for (char ch : text) {
      const std::uint8_t* rows = Glyph(ch);
      for (int gy = 0; gy < GLYPH_HEIGHT; ++gy)
        for (int gx = 0; gx < GLYPH_WIDTH; ++gx)
          if (rows[gy] & (16 >> gx)) Fill({x + gx * scale, y + gy * scale, scale, scale}, c);
      x += (GLYPH_WIDTH + 1) * scale;
    }
  }
  Picture Reduce(int level) const {
    Picture picture(m_width, m_height, CODE_BLACK);
    for (std::size_t i = 0; i < m_pixels.size(); ++i)
      picture.codes[i] = sim::Reduce(m_pixels[i], level);
    return picture;
  }
  int Width() const { return m_width; }
  int Height() const { return m_height; }

 private:
  int m_width, m_height;
  std::vector<Rgb> m_pixels;
};

std::uint8_t Mix(int a, int b, int at, int range) {
  return static_cast<std::uint8_t>(range <= 0 ? a : a + (b - a) * at / range);
}

Rgb Hue(int at, int range, int brightness) {
  const int h = range <= 0 ? 0 : at * 1536 / range;
  const int phase = h / 256, f = h % 256;
  int r = 0, g = 0, b = 0;
  switch (phase) {
    case 0:
      r = 255, g = f;
      break;
    case 1:
      r = 255 - f, g = 255;
      break;
    case 2:
      g = 255, b = f;
      break;
    case 3:
      g = 255 - f, b = 255;
      break;
    case 4:
      r = f, b = 255;
      break;
    default:
      r = 255, b = 255 - f;
      break;
  }
  return {static_cast<std::uint8_t>(r * brightness / 255),
          static_cast<std::uint8_t>(g * brightness / 255),
          static_cast<std::uint8_t>(b * brightness / 255)};
}

// Draws a window's frame and title bar; answers the area inside it.
Rect Window(Canvas& canvas, Rect frame, int scale, const std::string& title) {
  const Rgb grey{192, 192, 192};
  canvas.Fill(frame, grey);
  canvas.Fill({frame.x, frame.y, frame.width, 1}, {255, 255, 255});
  canvas.Fill({frame.x, frame.y + frame.height - 1, frame.width, 1}, {64, 64, 64});
  const int bar = GLYPH_HEIGHT * scale + 4;
  for (int x = 0; x < frame.width - 4; ++x)
    canvas.Fill({frame.x + 2 + x, frame.y + 2, 1, bar},
                {0, Mix(0, 132, x, frame.width), Mix(128, 208, x, frame.width)});
  canvas.Text(frame.x + 4, frame.y + 4, scale, title, {255, 255, 255});
  return {frame.x + 3, frame.y + bar + 4, frame.width - 6, frame.height - bar - 7};
}

// The editor's page shows the end of its text, the caret after it, and a status line with the
// animation step, so that every update changes something in the window.
void DrawNotes(Canvas& canvas, Rect frame, int scale, const Notes& notes, std::uint32_t step) {
  const Rect page = Window(canvas, frame, scale, "Notes - Editor");
  canvas.Fill(page, {255, 255, 255});
  const int advance = (GLYPH_WIDTH + 1) * scale, line = (GLYPH_HEIGHT + 3) * scale;
  const int left = page.x + 5, top = page.y + 4;
  const int statusY = page.y + page.height - line;
  if (statusY < top) return;
  char status[40];
  std::snprintf(status, sizeof status, "Frame %06u", step);
  canvas.Text(left, statusY, scale, status, {96, 96, 96});

  const int rows = (statusY - top) / line;
  if (rows <= 0) return;
  const auto lines = notes.Lines((page.width - 10) / advance);
  const std::size_t first = lines.size() > std::size_t(rows) ? lines.size() - rows : 0;
  int y = top;
  for (std::size_t i = first; i < lines.size(); ++i, y += line)
    canvas.Text(left, y, scale, lines[i], {0, 0, 0});
  const int caretX = left + static_cast<int>(lines.back().size()) * advance;
  canvas.Fill({caretX, y - line, scale, GLYPH_HEIGHT * scale}, {0, 0, 0});
}

// The pointer arrow, one string per row: 'X' outline, 'o' body.
const char* const ARROW[] = {"X",         "XX",         "XoX",       "XooX",
                             "XoooX",     "XooooX",     "XoooooX",   "XooooooX",
                             "XoooooooX", "XooooXXXXX", "XooXooX",   "XoX XooX",
                             "XX  XooX",  "X    XooX",  "     XooX", "      XX"};

// Plain colours that survive the 5-6-5 round trip unchanged; black is left out since it
// travels as a code of its own.
constexpr Rgb CHANGE_COLOURS[] = {{255, 0, 0},   {0, 255, 0},   {0, 0, 255},
                                  {255, 255, 0}, {0, 255, 255}, {255, 0, 255}};

}  // namespace

Rect MarkedArea(int width, int height) { return {width / 2 - 16, height / 2 - 16, 32, 32}; }

Rgb Desktop::Change(ScreenChange change) {
  constexpr unsigned count = std::size(CHANGE_COLOURS);
  Rgb colour;
  do colour = CHANGE_COLOURS[m_nextColour++ % count];
  while (colour == m_wholeColour || colour == m_markColour);
  if (change == ScreenChange::Whole) {
    m_wholeColour = colour;
    m_markColour.reset();
  } else {
    m_markColour = colour;
  }
  return colour;
}

Desktop::Desktop()
    : m_notes("The quick brown fox\njumps over the lazy dog.\n0123456789 +-=/:()\n") {}

Picture Desktop::Render(int width, int height, std::uint32_t frame, int level) const {
  Canvas canvas(width, height);
  if (m_wholeColour) {
    canvas.Fill({0, 0, width, height}, *m_wholeColour);
    if (m_markColour) canvas.Fill(MarkedArea(width, height), *m_markColour);
    return canvas.Reduce(level);
  }
  const int scale = std::max(1, std::min(width / 320, height / 240));

  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; x += 1)
      canvas.Put(x, y, {Mix(16, 48, x, width), Mix(64, 112, y, height), Mix(112, 160, y, height)});

  const Rect notes{width * 6 / 100, height * 8 / 100, width * 50 / 100, height * 45 / 100};
  DrawNotes(canvas, notes, scale, m_notes, frame);

  const Rect chart{width * 40 / 100, height * 35 / 100, width * 52 / 100, height * 48 / 100};
  const Rect body = Window(canvas, chart, scale, "Colours");
  for (int y = 0; y < body.height; ++y)
    for (int x = 0; x < body.width; ++x) {
      const bool ramp = y >= body.height * 2 / 3;
      const auto grey = Mix(0, 255, x, body.width - 1);
      canvas.Put(body.x + x, body.y + y,
                 ramp ? Rgb{grey, grey, grey}
                      : Hue(x, body.width, 255 - y * 200 / std::max(1, body.height)));
    }

  const int task = std::max(10, height / 20);
  canvas.Fill({0, height - task, width, task}, {192, 192, 192});
  canvas.Fill({0, height - task, width, 1}, {255, 255, 255});
  const int taskScale = std::max(1, (task - 2) / 10);
  canvas.Text(4, height - task + 2, taskScale, "Start", {0, 0, 0});
  char clock[16];
  std::snprintf(clock, sizeof clock, "%02u:%02u", frame / 600 % 60, frame / 10 % 60);
  canvas.Text(width - 40 * taskScale, height - task + 2, taskScale, clock, {0, 0, 0});

  // A block sliding to and fro above the task bar.
  const int block = std::max(4, height / 16);
  const int travel = std::max(1, width - block);
  const int step = static_cast<int>(frame * std::max(2, width / 100) % (2 * travel));
  const int blockX = step < travel ? step : 2 * travel - step;
  canvas.Fill({blockX, height - task - block - 2, block, block}, {255, 140, 0});

  // The pointer wanders over the screen.
  const int px = static_cast<int>(width / 2 + width / 3 * std::sin(frame * 0.05));
  const int py = static_cast<int>(height / 2 + height / 3 * std::sin(frame * 0.07));
  for (int row = 0; row < 16; ++row)
    for (int col = 0; ARROW[row][col]; ++col) {
      if (ARROW[row][col] == 'X') canvas.Put(px + col, py + row, {0, 0, 0});
      if (ARROW[row][col] == 'o') canvas.Put(px + col, py + row, {255, 255, 255});
    }
  if (m_markColour) canvas.Fill(MarkedArea(width, height), *m_markColour);
  return canvas.Reduce(level);
}

}  // namespace sim
