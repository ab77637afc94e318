#pragma once
// The GENERAL page: the keyboard and mouse settings of the operator's own
// hands, the five hotkeys, the trigger form, how pass-through is left and the
// thresholds of the two mouse gestures; and how long a change waits before the
// view paints it.

#include <array>

#include "settings/IniFile.h"
#include "settings/KeyboardMousePrefs.h"
#include "ui/PreferencesPage.h"

class QCheckBox;
class QComboBox;
class QSlider;
class QSpinBox;

namespace ui {

class GeneralPage : public PreferencesPage {
 public:
  GeneralPage(platform::OperatorDialogs& dialogs, settings::IniFile& ini);

  QString Name() const override { return "GENERAL"; }
  // Throws "Can't convert string to keystroke." for a hotkey that names no
  // key, and the settings' refusals.
  void Apply() override;

  // What the controls show now.
  settings::KeyboardMousePrefs Shown() const;

  QComboBox& Hotkey(size_t index) { return *m_hotkeys.at(index); }
  QComboBox& TriggerKeys() { return *m_triggerKeys; }
  QCheckBox& EscapeByHotkey() { return *m_escapeByHotkey; }
  QCheckBox& ScrollUsingArrows() { return *m_scrollUsingArrows; }
  QCheckBox& EscapeBySlowMouse() { return *m_escapeBySlowMouse; }
  QCheckBox& EscapeByFastMouse() { return *m_escapeByFastMouse; }
  QSlider& FastMouseThreshold() { return *m_fastThreshold; }
  QSlider& SlowMouseThreshold() { return *m_slowThreshold; }
  QSpinBox& RepaintDelay() { return *m_repaintDelay; }

 private:
  QWidget* BuildKeyboard(const settings::KeyboardMousePrefs& prefs);
  QWidget* BuildMouse(const settings::KeyboardMousePrefs& prefs);
  QWidget* BuildScreen(const settings::KeyboardMousePrefs& prefs);
  QCheckBox* AddCheckBox(QWidget* parent, const QString& text, bool checked);
  QSlider* AddSlider(QWidget* parent, settings::ThresholdRange range, int value);

  settings::IniFile& m_ini;
  std::array<QComboBox*, settings::HOTKEY_KEYS.size()> m_hotkeys{};
  QComboBox* m_triggerKeys = nullptr;
  QCheckBox* m_escapeByHotkey = nullptr;
  QCheckBox* m_scrollUsingArrows = nullptr;
  QCheckBox* m_escapeBySlowMouse = nullptr;
  QCheckBox* m_escapeByFastMouse = nullptr;
  QSlider* m_fastThreshold = nullptr;
  QSlider* m_slowThreshold = nullptr;
  QSpinBox* m_repaintDelay = nullptr;
};

}  // namespace ui
