#include "ui/ConnectProgressDialog.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/TextError.h"

namespace ui {

ConnectProgressDialog::ConnectProgressDialog(QWidget* parent, session::Connector& connector,
                                             const session::Session& session, Start start)
    : QDialog(parent), m_progress(connector, session), m_start(std::move(start)) {
  setWindowTitle("Connect Progress");
  auto* layout = new QVBoxLayout(this);
  m_text = new QPlainTextEdit(this);
  m_text->setReadOnly(true);
  layout->addWidget(m_text);
  m_button = new QPushButton("Abort", this);
  layout->addWidget(m_button, 0, Qt::AlignRight);
  connect(m_button, &QPushButton::clicked, this, [this] { OnButton(); });
  m_timer = new QTimer(this);
  connect(m_timer, &QTimer::timeout, this, [this] { OnTick(); });
  resize(460, 260);
}

std::optional<std::string> ConnectProgressDialog::Run() {
  m_timer->start(static_cast<int>(session::CONNECT_PROGRESS_TICK_MS));
  // Started from inside the dialog's own loop, so the walk's first news
  // already finds the dialog up.
  QTimer::singleShot(0, this, [this] {
    try {
      m_start(m_progress);
    } catch (const TextError& e) {
      m_text->setPlainText(QString::fromStdString(e.Text()));
      m_walkEnded = true;
      m_button->setText("OK");
    }
  });
  exec();
  m_timer->stop();
  return m_title;
}

QString ConnectProgressDialog::Text() const { return m_text->toPlainText(); }

void ConnectProgressDialog::OnTick() {
  const session::ConnectProgress::Tick tick = m_progress.OnTimer();
  if (tick.textChanged) m_text->setPlainText(QString::fromStdString(tick.text));
  if (tick.walkEnded && !m_walkEnded) {
    m_walkEnded = true;
    m_button->setText("OK");
  }
  if (tick.close) {
    m_title = tick.title;
    accept();
  }
}

void ConnectProgressDialog::OnButton() {
  if (!m_walkEnded) m_progress.Stop();
  reject();
}

}  // namespace ui
