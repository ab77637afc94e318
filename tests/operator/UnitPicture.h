#pragma once
// The unit's own picture (orb-sim's --dump-frame, a binary PPM) found on the
// X server's screen: where the window shows it, and how much of it is shown
// pixel for pixel.

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "support/XSession.h"

namespace acceptance {

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // 0xRRGGBB, row by row
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Nothing while the file is missing or half written.
inline std::optional<Picture> ReadPicture(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  int maxValue = 0;
  Picture picture;
  if (!(in >> magic >> picture.width >> picture.height >> maxValue) || magic != "P6" ||
      picture.width <= 0 || picture.height <= 0)
    return std::nullopt;
  in.get();
  std::vector<unsigned char> bytes(static_cast<size_t>(picture.width) * picture.height * 3);
  if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size())))
    return std::nullopt;
  picture.pixels.reserve(bytes.size() / 3);
  for (size_t i = 0; i < bytes.size(); i += 3)
    picture.pixels.push_back(bytes[i] << 16 | bytes[i + 1] << 8 | bytes[i + 2]);
  return picture;
}

inline Picture ScreenPicture(const XSession& x) {
  Picture screen;
  screen.pixels = x.Screenshot(screen.width, screen.height);
  return screen;
}

struct PictureMatch {
  bool found = false;
  ScreenRect compared;  // the part of the picture compared, on the screen
  double share = 0;     // of its pixels the screen shows exactly
};

// Shares of a picture's pixels that must match: a stray pixel or two of the
// pointer may lie on it, a picture shifted, sheared, black or stale does not.
inline constexpr double SAME_PICTURE = 0.995;

// The part of the picture at (left, top) that the window shows: all of it,
// or, where a scrolled view is smaller than the picture, what lies clear of
// the scroll bars and the status bar.
inline ScreenRect ShownPart(const Picture& picture, int left, int top, const ScreenRect& window,
                            bool scrolled) {
  constexpr int SCROLL_BAR_ROOM = 24;
  constexpr int BARS_BELOW_ROOM = 48;
  int right = left + picture.width;
  int bottom = top + picture.height;
  if (scrolled && right > window.Right()) right = window.Right() - SCROLL_BAR_ROOM;
  if (scrolled && bottom > window.Bottom()) bottom = window.Bottom() - BARS_BELOW_ROOM;
  return {left, top, right - left, bottom - top};
}

inline double SameShare(const Picture& screen, const Picture& picture, const ScreenRect& part) {
  size_t same = 0;
  for (int y = part.y; y < part.Bottom(); ++y)
    for (int x = part.x; x < part.Right(); ++x)
      same += screen.At(x, y) == picture.At(x - part.x, y - part.y);
  return static_cast<double>(same) / (static_cast<double>(part.width) * part.height);
}

// Where in the window the picture's top left corner shows: a sparse grid over
// the whole shown part (the unit's desktop has wide plain areas, so a small
// block alone would match in many places), then every pixel of it.
inline PictureMatch FindPicture(const Picture& screen, const Picture& picture,
                                const ScreenRect& window, bool scrolled) {
  constexpr int GRID = 16;
  constexpr int GRID_MISSES = 4;
  PictureMatch best;
  const int lastTop = std::min(window.Bottom(), screen.height) - 32;
  const int lastLeft = std::min(window.Right(), screen.width) - 32;
  for (int top = std::max(window.y, 0); top < lastTop; ++top)
    for (int left = std::max(window.x, 0); left < lastLeft; ++left) {
      const ScreenRect part = ShownPart(picture, left, top, window, scrolled);
      // A large part or nothing: a corner of the picture proves nothing.
      if (part.width < picture.width / 2 || part.height < picture.height / 2) continue;
      if (part.Right() > std::min(window.Right(), screen.width) ||
          part.Bottom() > std::min(window.Bottom(), screen.height))
        continue;
      int misses = 0;
      for (int gy = 0; gy < GRID && misses <= GRID_MISSES; ++gy)
        for (int gx = 0; gx < GRID && misses <= GRID_MISSES; ++gx) {
          const int x = gx * (part.width - 1) / (GRID - 1);
          const int y = gy * (part.height - 1) / (GRID - 1);
          misses += screen.At(left + x, top + y) != picture.At(x, y);
        }
      if (misses > GRID_MISSES) continue;
      const double share = SameShare(screen, picture, part);
      if (share > best.share) best = {share >= SAME_PICTURE, part, share};
      if (best.found) return best;
    }
  return best;
}

}  // namespace acceptance
