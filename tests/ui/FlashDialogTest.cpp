#include <gtest/gtest.h>

#include <QProgressDialog>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>

#include "QtApp.h"
#include "admin/FlashUpdate.h"
#include "platform/HeadlessDialogs.h"
#include "protocol/LittleEndian.h"
#include "support/FakeSession.h"
#include "ui/FlashDialog.h"

namespace ui {
namespace {

using Kind = platform::HeadlessDialogs::Kind;

class FlashDialogTest : public testing::Test {
 protected:
  ~FlashDialogTest() override { std::filesystem::remove_all(m_dir); }

  std::string Image(const std::string& name, size_t size) {
    std::filesystem::create_directories(m_dir);
    const std::string path = (m_dir / name).string();
    std::ofstream(path, std::ios::binary) << std::string(size, 'x');
    return path;
  }
  std::string LastNotice() const {
    const auto call = dialogs.Last(Kind::MessageBox);
    return call ? call->text : "";
  }
  bool EndChunkSent() const {
    for (const SentPacket& packet : session.sent)
      if (LoadLE32(packet.payload.data()) == admin::FLASH_END_CHUNK) return true;
    return false;
  }

  QApplication& app = TestApp();
  QWidget window;
  FakeSession session;
  platform::HeadlessDialogs dialogs;
  FlashDialog flash{&window, session, dialogs, "Orb"};

 private:
  std::filesystem::path m_dir = std::filesystem::temp_directory_path() / "flash-dialog-test";
};

TEST_F(FlashDialogTest, AnImageGoesWholeAndTheResultIsShown) {
  flash.Send(Image("orb.bin", 10000));
  ASSERT_EQ(session.sent.size(), 3u);
  EXPECT_TRUE(EndChunkSent());
  EXPECT_EQ(LastNotice(), "Flash update sent.");
}

TEST_F(FlashDialogTest, NothingGoesWithoutAUnitOrWithANameOfNoKind) {
  flash.Send(Image("IMAGE.BIN", 100));
  EXPECT_EQ(LastNotice(), admin::FLASH_NOT_AN_UPDATE);
  session.connected = false;
  flash.Run();
  EXPECT_EQ(LastNotice(), "Connect to the Orb first.");
  EXPECT_EQ(dialogs.Count(Kind::OpenFile), 0u);
  EXPECT_TRUE(session.sent.empty());
}

TEST_F(FlashDialogTest, ALostConnectionStopsTheTransferAndSaysSo) {
  session.connected = false;
  flash.Send(Image("orb.bin", 3 * admin::FLASH_CHUNK_BYTES));
  EXPECT_EQ(session.sent.size(), 1u);
  const auto error = dialogs.Last(Kind::Error);
  ASSERT_TRUE(error);
  EXPECT_EQ(error->title, "Unable to update the flash.\nConnection with Orb was lost.");
  EXPECT_EQ(error->text, "Could not send flash update.\nConnection lost.");
}

TEST_F(FlashDialogTest, AbortStopsBeforeTheEndChunk) {
  // Abort is pressed once the first chunk has gone.
  std::function<void()> abortLater = [&] {
    auto* progress = window.findChild<QProgressDialog*>();
    if (progress && !session.sent.empty())
      progress->cancel();
    else
      QTimer::singleShot(0, abortLater);
  };
  QTimer::singleShot(0, abortLater);
  flash.Send(Image("orb.bin", 5 * admin::FLASH_CHUNK_BYTES));
  EXPECT_FALSE(session.sent.empty());
  EXPECT_LT(session.sent.size(), 6u);
  EXPECT_FALSE(EndChunkSent());
  EXPECT_NE(LastNotice().find("Flash update aborted after"), std::string::npos) << LastNotice();
}

}  // namespace
}  // namespace ui
