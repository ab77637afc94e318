#include "ui/DebugDialogs.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>
#include <limits>

#include "platform/TextError.h"
#include "platform/Trace.h"
#include "protocol/LittleEndian.h"
#include "protocol/PacketTypes.h"

namespace ui {

std::array<uint8_t, 5> TuneVideoPayload(int phase) {
  std::array<uint8_t, 5> payload{};
  StoreLE32(payload.data(), 1);
  payload[4] = static_cast<uint8_t>(phase);
  return payload;
}

ColorReductionDialog::ColorReductionDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Color Reduction");
  auto* form = new QFormLayout(this);
  m_numColors = new QSpinBox(this);
  m_snapValue = new QSpinBox(this);
  for (QSpinBox* box : {m_numColors, m_snapValue})
    box->setRange(0, std::numeric_limits<int>::max());
  form->addRow("Num Colors", m_numColors);
  form->addRow(new QLabel(
      "Actual num colors will be 8, 27, 64, 125, 216, 343, 512, 729, 1000, 1331...", this));
  form->addRow("Snap Value", m_snapValue);
  form->addRow(
      new QLabel("Snap colors where rgb this close all set to same value as the g number", this));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  form->addRow(buttons);
}

uint32_t ColorReductionDialog::NumColors() const {
  return static_cast<uint32_t>(m_numColors->value());
}

uint32_t ColorReductionDialog::SnapValue() const {
  return static_cast<uint32_t>(m_snapValue->value());
}

TuneVideoDialog::TuneVideoDialog(QWidget* parent, PacketSender& sender,
                                 std::function<bool()> connected)
    : QDialog(parent), m_sender(sender), m_connected(std::move(connected)) {
  setWindowTitle("TuneVideo");
  auto* layout = new QVBoxLayout(this);
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel("Phase", this));
  auto* minus = new QPushButton("-", this);
  m_phase = new QSlider(Qt::Horizontal, this);
  m_phase->setRange(0, TUNE_PHASE_MAX);
  m_phase->setValue(TUNE_PHASE_START);
  auto* plus = new QPushButton("+", this);
  m_shown = new QLabel(QString::number(TUNE_PHASE_START * 8), this);
  row->addWidget(minus);
  row->addWidget(m_phase, 1);
  row->addWidget(plus);
  row->addWidget(m_shown);
  layout->addLayout(row);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  connect(m_phase, &QSlider::valueChanged, this, [this](int phase) { OnPhase(phase); });
  connect(minus, &QPushButton::clicked, this, [this] { m_phase->setValue(m_phase->value() - 1); });
  connect(plus, &QPushButton::clicked, this, [this] { m_phase->setValue(m_phase->value() + 1); });
}

void TuneVideoDialog::OnPhase(int phase) {
  m_shown->setText(QString::number(phase * 8));
  if (!m_connected()) return;
  const auto payload = TuneVideoPayload(phase);
  PacketHeader header(TUNE_VIDEO, 0);
  try {
    m_sender.SendPacket(header, {payload.data(), payload.size()});
  } catch (const TextError& e) {
    Trace("TuneVideo: %s\n", e.Text().c_str());
  }
}

}  // namespace ui
