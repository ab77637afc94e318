#include "Screenshot.h"

#include <charconv>

#include "PngFile.h"
#include "platform/Clock.h"
#include "platform/Format.h"
#include "platform/TextError.h"
#include "platform/Trace.h"
#include "settings/TextNoCase.h"
#include "video/BitmapFile.h"

namespace orbctl {
namespace {

int SettleMs(const std::string& text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 0 || value > 60000)
    throw UsageError("--settle-ms: expected a number from 0 to 60000, not '" + text + "'");
  return value;
}

}  // namespace

ScreenshotRequest ParseScreenshotArguments(const std::vector<std::string>& arguments) {
  ScreenshotRequest request;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--settle-ms") {
      if (i + 1 >= arguments.size()) throw UsageError("--settle-ms: a value is missing");
      request.settleMs = SettleMs(arguments[++i]);
    } else if (argument.rfind("--", 0) == 0) {
      throw UsageError("Unknown screenshot option '" + argument + "' (see --help).");
    } else if (!request.file.empty()) {
      throw UsageError("screenshot takes one file, not also '" + argument + "'.");
    } else {
      request.file = argument;
    }
  }
  if (request.file.empty()) throw UsageError("screenshot: the file to save to is missing.");
  request.png = settings::EndsWithNoCase(request.file, ".png");
  if (!request.png && !settings::EndsWithNoCase(request.file, ".bmp"))
    throw UsageError("screenshot: the file must end in .bmp or .png, not '" + request.file + "'.");
  return request;
}

void TakeScreenshot(HeadlessClient& client, const ScreenshotRequest& request) {
  core::ViewerCore& viewer = client.Viewer();
  const video::FrameBuffer& bmp = viewer.Bitmap();
  const view::ViewVideoPath& video = viewer.Video();
  client.Connect();
  // The picture is taken once video came, none of it is being held back for a
  // size just given up, and either none followed for the settle time or the
  // screen is live and has been drawing for a while.
  try {
    client.RunUntil([&] {
      if (!viewer.Session().IsLoggedIn() || video.Segments() == 0 || bmp.Gate().IsBlocking())
        return false;
      const uint32_t now = platform::GetTickCount();
      return now - video.LastSegmentTick() >= static_cast<uint32_t>(request.settleMs) ||
             now - video.FirstSegmentTick() >= LIVE_SCREEN_MS;
    });
  } catch (const TextError&) {
    // Video kept coming, but the time ran out before the picture could be
    // taken; say so rather than blame the unit for silence.
    if (video.Segments() > 0 && viewer.Session().IsLoggedIn())
      throw TextError(
          Format("The picture did not settle: video kept arriving, without a pause of "
                 "%d ms, until the time ran out.",
                 request.settleMs));
    throw;
  }

  if (request.png)
    WritePngFile(bmp, request.file);
  else
    video::WriteBitmapFile(bmp, request.file);
}

}  // namespace orbctl
