#pragma once
// orbctl screenshot: logs in, lets the unit draw its screen at the size the
// view asks for, and once the picture has settled saves the frame buffer as
// a bitmap file (.bmp, exactly as the viewer's save command writes it) or as
// PNG (.png).

#include <string>
#include <vector>

#include "HeadlessClient.h"

namespace orbctl {

inline constexpr int DEFAULT_SETTLE_MS = 500;
// A screen that never pauses (a clock, a video) is taken as it stands once
// video has flowed this long: the whole first picture has been drawn by then.
inline constexpr uint32_t LIVE_SCREEN_MS = 3000;

struct ScreenshotRequest {
  std::string file;
  bool png = false;
  int settleMs = DEFAULT_SETTLE_MS;
};

// Throws UsageError naming what is wrong with the arguments.
ScreenshotRequest ParseScreenshotArguments(const std::vector<std::string>& arguments);

// Throws TextError with the viewer's failure text; the link is left up.
void TakeScreenshot(HeadlessClient& client, const ScreenshotRequest& request);

}  // namespace orbctl
