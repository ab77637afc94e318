#include "FlashVerb.h"

#include <unistd.h>

#include <cstdio>

#include "Options.h"
#include "VerbArguments.h"

namespace orbctl {
namespace {

void ShowProgress(const admin::FlashUpdate& update) {
  const uint64_t percent = update.Size() == 0 ? 100 : update.Sent() * 100 / update.Size();
  std::fprintf(stderr, "\rFlash update: %llu of %llu bytes (%llu%%)",
               static_cast<unsigned long long>(update.Sent()),
               static_cast<unsigned long long>(update.Size()),
               static_cast<unsigned long long>(percent));
  if (update.Done()) std::fputc('\n', stderr);
  std::fflush(stderr);
}

}  // namespace

std::unique_ptr<admin::FlashUpdate> ParseFlashArguments(const std::vector<std::string>& arguments) {
  std::string image;
  CLI::App app("", "flash");
  app.set_help_flag();
  app.add_option("IMAGE", image)->required();
  ParseVerbArguments(app, arguments);
  const uint8_t kind = admin::FlashImageKind(image);
  if (kind == admin::FLASH_KIND_NONE) throw UsageError(admin::FLASH_NOT_AN_UPDATE);
  try {
    return std::make_unique<admin::FlashUpdate>(image, kind);
  } catch (const TextError& e) {
    throw UsageError("flash " + image + ": " + e.Text());
  }
}

void RunFlash(HeadlessClient& client, admin::FlashUpdate& update, const std::string& productName) {
  client.LogIn();
  session::Session& session = client.Viewer().Session();
  const bool showProgress = ::isatty(STDERR_FILENO) == 1;
  try {
    // The unit takes a whole image in silence and refuses one with a text.
    client.SendAndConfirm([&] {
      while (!update.Done()) {
        update.SendNextChunk(session);
        if (showProgress) ShowProgress(update);
      }
    });
  } catch (const TextError& e) {
    if (update.Done() && session.IsConnected()) throw;
    std::string text = admin::FlashFailureText(productName, !session.IsConnected());
    if (text.back() != '\n') text += '\n';
    throw TextError(text + admin::FlashFailureDetail(e.Text()));
  }
  std::printf("%s\n", admin::FLASH_SENT);
  std::fflush(stdout);
}

}  // namespace orbctl
