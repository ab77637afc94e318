#include "ui/GeneralPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include "input/KeyTables.h"
#include "input/Keystroke.h"
#include "settings/EditError.h"

namespace ui {
namespace {

QString Q(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

}  // namespace

GeneralPage::GeneralPage(platform::OperatorDialogs& dialogs, settings::IniFile& ini)
    : PreferencesPage(dialogs), m_ini(ini) {
  const settings::KeyboardMousePrefs prefs = settings::ReadKeyboardMousePrefs(ini);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(BuildKeyboard(prefs));
  layout->addWidget(BuildMouse(prefs));
  layout->addWidget(BuildScreen(prefs));
  layout->addStretch();
}

QWidget* GeneralPage::BuildKeyboard(const settings::KeyboardMousePrefs& prefs) {
  auto* box = new QGroupBox("Keyboard", this);
  auto* form = new QFormLayout(box);
  m_triggerKeys = new QComboBox(box);
  for (std::string_view choice : settings::TRIGGER_CHOICES) m_triggerKeys->addItem(Q(choice));
  m_triggerKeys->setCurrentText(Q(prefs.triggerKeys));
  connect(m_triggerKeys, &QComboBox::currentIndexChanged, this, [this] { SetModified(true); });
  form->addRow("Trigger keys:", m_triggerKeys);

  QStringList keyNames;
  for (const input::Keystroke& key : input::g_keystrokeTable) keyNames << Q(key.Name());
  for (size_t i = 0; i < settings::HOTKEY_KEYS.size(); ++i) {
    auto* combo = new QComboBox(box);
    combo->addItems(keyNames);
    // A name the table does not hold shows as no choice, to be mended.
    combo->setCurrentIndex(combo->findText(Q(prefs.hotkeys[i])));
    connect(combo, &QComboBox::currentIndexChanged, this, [this] { SetModified(true); });
    form->addRow(Q(settings::HOTKEY_KEYS[i].label) + ":", combo);
    m_hotkeys[i] = combo;
  }
  m_escapeByHotkey =
      AddCheckBox(box, "Hotkeys leave pass-through and full screen", prefs.escapeByHotkey);
  m_scrollUsingArrows =
      AddCheckBox(box, "LCtrl+Alt with the arrow keys scrolls the view", prefs.scrollUsingArrows);
  form->addRow(m_escapeByHotkey);
  form->addRow(m_scrollUsingArrows);
  return box;
}

QWidget* GeneralPage::BuildMouse(const settings::KeyboardMousePrefs& prefs) {
  auto* box = new QGroupBox("Mouse", this);
  auto* form = new QFormLayout(box);
  m_escapeBySlowMouse = AddCheckBox(box, "A long movement in one direction leaves pass-through",
                                    prefs.escapeBySlowMouse);
  m_slowThreshold = AddSlider(box, settings::SLOW_MOUSE_RANGE, prefs.slowMouseThreshold);
  m_escapeByFastMouse =
      AddCheckBox(box, "A burst of fast movement leaves pass-through", prefs.escapeByFastMouse);
  m_fastThreshold = AddSlider(box, settings::FAST_MOUSE_RANGE, prefs.fastMouseThreshold);
  form->addRow(m_escapeBySlowMouse);
  form->addRow("Distance:", m_slowThreshold->parentWidget());
  form->addRow(m_escapeByFastMouse);
  form->addRow("Speed:", m_fastThreshold->parentWidget());
  return box;
}

QWidget* GeneralPage::BuildScreen(const settings::KeyboardMousePrefs& prefs) {
  auto* box = new QGroupBox("Screen", this);
  auto* form = new QFormLayout(box);
  m_repaintDelay = new QSpinBox(box);
  m_repaintDelay->setRange(0, settings::REPAINT_DELAY_MAX_MS);
  m_repaintDelay->setSuffix(" ms");
  m_repaintDelay->setValue(prefs.repaintDelayMs);
  m_repaintDelay->setToolTip(
      "Lower: the picture follows the unit sooner, but a burst of changes is painted more "
      "often.");
  connect(m_repaintDelay, &QSpinBox::valueChanged, this, [this] { SetModified(true); });
  form->addRow("Paint changes after:", m_repaintDelay);
  return box;
}

QCheckBox* GeneralPage::AddCheckBox(QWidget* parent, const QString& text, bool checked) {
  auto* check = new QCheckBox(text, parent);
  check->setChecked(checked);
  connect(check, &QCheckBox::toggled, this, [this] { SetModified(true); });
  return check;
}

// The slider with its value beside it, in a row of their own.
QSlider* GeneralPage::AddSlider(QWidget* parent, settings::ThresholdRange range, int value) {
  auto* row = new QWidget(parent);
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* slider = new QSlider(Qt::Horizontal, row);
  slider->setRange(range.low, range.high);
  slider->setValue(value);
  auto* shown = new QLabel(QString::number(value), row);
  shown->setMinimumWidth(shown->fontMetrics().horizontalAdvance("00000"));
  layout->addWidget(slider, 1);
  layout->addWidget(shown);
  connect(slider, &QSlider::valueChanged, this, [this, shown](int now) {
    shown->setText(QString::number(now));
    SetModified(true);
  });
  return slider;
}

settings::KeyboardMousePrefs GeneralPage::Shown() const {
  settings::KeyboardMousePrefs prefs;
  for (size_t i = 0; i < m_hotkeys.size(); ++i)
    prefs.hotkeys[i] = m_hotkeys[i]->currentText().toStdString();
  // No choice reads as "Both".
  prefs.triggerKeys = m_triggerKeys->currentIndex() < 0
                          ? std::string(settings::TRIGGER_BOTH)
                          : m_triggerKeys->currentText().toStdString();
  prefs.escapeByHotkey = m_escapeByHotkey->isChecked();
  prefs.scrollUsingArrows = m_scrollUsingArrows->isChecked();
  prefs.escapeBySlowMouse = m_escapeBySlowMouse->isChecked();
  prefs.escapeByFastMouse = m_escapeByFastMouse->isChecked();
  prefs.fastMouseThreshold = m_fastThreshold->value();
  prefs.slowMouseThreshold = m_slowThreshold->value();
  prefs.repaintDelayMs = m_repaintDelay->value();
  return prefs;
}

void GeneralPage::Apply() {
  const settings::KeyboardMousePrefs prefs = Shown();
  for (size_t i = 0; i < prefs.hotkeys.size(); ++i) {
    try {
      input::Keystroke{prefs.hotkeys[i]};
    } catch (const TextError& e) {
      throw settings::EditError("Unable to apply the changes",
                                std::string(settings::HOTKEY_KEYS[i].label) + ": " + e.Text());
    }
  }
  settings::WriteKeyboardMousePrefs(m_ini, prefs);
}

}  // namespace ui
