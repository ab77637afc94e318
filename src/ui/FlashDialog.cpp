#include "ui/FlashDialog.h"

#include <QCoreApplication>
#include <QProgressDialog>
#include <algorithm>
#include <climits>

#include "admin/FlashUpdate.h"
#include "platform/TextError.h"

namespace ui {
namespace {

constexpr const char* FLASH_FILTER = "Flash Update Files|*.bin *.FlashPCI|All Files|*|";

int ProgressValue(uint64_t bytes) { return static_cast<int>(std::min<uint64_t>(bytes, INT_MAX)); }

}  // namespace

FlashDialog::FlashDialog(QWidget* parent, session::Session& session,
                         platform::OperatorDialogs& dialogs, std::string productName)
    : m_parent(parent),
      m_session(session),
      m_dialogs(dialogs),
      m_productName(std::move(productName)) {}

void FlashDialog::Inform(const std::string& text) {
  m_dialogs.MessageBox(m_productName, text, platform::DialogButtons::Ok,
                       platform::DialogIcon::Information);
}

void FlashDialog::Run() {
  if (!m_session.IsConnected()) return Inform(admin::FlashNotConnectedText(m_productName));
  const auto path = m_dialogs.ChooseFileToOpen(m_productName + " Flash Update", FLASH_FILTER);
  if (path) Send(*path);
}

void FlashDialog::Send(const std::string& path) {
  const uint8_t kind = admin::FlashImageKind(path);
  if (kind == admin::FLASH_KIND_NONE) return Inform(admin::FLASH_NOT_AN_UPDATE);
  try {
    admin::FlashUpdate update(path, kind);
    QProgressDialog progress("Sending " + QString::fromStdString(path), "Abort", 0,
                             ProgressValue(update.Size()), m_parent);
    progress.setWindowTitle("Transfer Progress");
    progress.setMinimumDuration(0);
    progress.setValue(0);
    while (!update.Done()) {
      // The window keeps working between chunks, and Abort is seen there.
      QCoreApplication::processEvents();
      if (progress.wasCanceled()) {
        progress.close();
        return Inform("Flash update aborted after " + std::to_string(update.Sent()) + " of " +
                      std::to_string(update.Size()) +
                      " bytes.\nThe end of the image was not sent, so the unit does not take it.");
      }
      update.SendNextChunk(m_session);
      progress.setValue(ProgressValue(update.Sent()));
    }
    progress.close();
    Inform(admin::FLASH_SENT);
  } catch (const TextError& e) {
    m_dialogs.ShowError(admin::FlashFailureText(m_productName, !m_session.IsConnected()),
                        admin::FlashFailureDetail(e.Text()));
  } catch (...) {
    m_dialogs.ShowError(admin::FLASH_UNKNOWN_FAILURE_TITLE, admin::FLASH_UNKNOWN_FAILURE_TEXT);
  }
}

}  // namespace ui
