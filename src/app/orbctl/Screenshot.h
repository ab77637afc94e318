#pragma once
// orbctl screenshot: logs in, lets the unit draw its screen at the size the
// view asks for, and once the picture has settled saves the frame buffer as
// a bitmap file (.bmp, exactly as the viewer's save command writes it) or as
// PNG (.png).

#include <optional>
#include <string>
#include <vector>

#include "HeadlessClient.h"
#include "settings/IniFile.h"
#include "video/FrameBitmap.h"
#include "view/ViewGeometry.h"
#include "view/ViewGeometryLink.h"
#include "view/ViewVideoPath.h"

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

// Throws TextError naming what is wrong with the arguments.
ScreenshotRequest ParseScreenshotArguments(const std::vector<std::string>& arguments);

// The frame buffer and the view around it. The session's threads write into
// them until the client is gone, so they are made before it and outlive it.
struct ScreenshotParts {
  explicit ScreenshotParts(const std::string& iniPath) : ini(iniPath), bmp(ini), video(bmp) {}

  settings::IniFile ini;
  video::CFrameBitmap bmp;
  view::ViewVideoPath video;
  std::optional<view::OrbViewLink> link;
  std::optional<view::ViewGeometry> geometry;
};

// Throws TextError with the viewer's failure text; the link is left up.
void TakeScreenshot(HeadlessClient& client, ScreenshotParts& parts,
                    const ScreenshotRequest& request);

}  // namespace orbctl
