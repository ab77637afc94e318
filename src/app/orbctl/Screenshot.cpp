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
    throw TextError("--settle-ms: expected a number from 0 to 60000, not '" + text + "'");
  return value;
}

}  // namespace

ScreenshotRequest ParseScreenshotArguments(const std::vector<std::string>& arguments) {
  ScreenshotRequest request;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--settle-ms") {
      if (i + 1 >= arguments.size()) throw TextError("--settle-ms: a value is missing");
      request.settleMs = SettleMs(arguments[++i]);
    } else if (argument.rfind("--", 0) == 0) {
      throw TextError("Unknown screenshot option '" + argument + "' (see --help).");
    } else if (!request.file.empty()) {
      throw TextError("screenshot takes one file, not also '" + argument + "'.");
    } else {
      request.file = argument;
    }
  }
  if (request.file.empty()) throw TextError("screenshot: the file to save to is missing.");
  request.png = settings::EndsWithNoCase(request.file, ".png");
  if (!request.png && !settings::EndsWithNoCase(request.file, ".bmp"))
    throw TextError("screenshot: the file must end in .bmp or .png, not '" + request.file + "'.");
  return request;
}

void TakeScreenshot(HeadlessClient& client, ScreenshotParts& parts,
                    const ScreenshotRequest& request) {
  video::CFrameBitmap& bmp = parts.bmp;
  view::ViewVideoPath& video = parts.video;
  view::ViewGeometry& geometry =
      parts.geometry.emplace(client.View(), bmp, parts.link.emplace(client.Orb(), client.Loop()),
                             client.Ini(), client.Dialogs());
  client.Orb().SetHooks({&video, nullptr, nullptr});
  client.Dispatcher().SetHandlers({&geometry, nullptr, nullptr});
  // The window moves as the view fits it; each move is a WM_SIZE.
  client.View().SetSizeListener([&](platform::Size size) {
    try {
      geometry.OnSize(size.width, size.height);
    } catch (const TextError& e) {
      Trace("%s\n", e.Text().c_str());
    }
  });
  geometry.OnInitialUpdate();

  client.Connect();
  // The picture is taken once video came, none of it is being held back for a
  // size just given up, and either none followed for the settle time or the
  // screen is live and has been drawing for a while.
  try {
    client.RunUntil([&] {
      if (!client.Orb().IsLoggedIn() || video.Segments() == 0 || bmp.IsBlocking()) return false;
      const uint32_t now = platform::GetTickCount();
      return now - video.LastSegmentTick() >= static_cast<uint32_t>(request.settleMs) ||
             now - video.FirstSegmentTick() >= LIVE_SCREEN_MS;
    });
  } catch (const TextError&) {
    // Video kept coming, but the time ran out before the picture could be
    // taken; say so rather than blame the unit for silence.
    if (video.Segments() > 0 && client.Orb().IsLoggedIn())
      throw TextError(
          Format("The picture did not settle: video kept arriving, without a pause of "
                 "%d ms, until the time ran out.",
                 request.settleMs));
    throw;
  }
  client.View().SetSizeListener({});

  if (request.png)
    WritePngFile(bmp, request.file);
  else
    video::WriteBitmapFile(bmp, request.file);
}

}  // namespace orbctl
