#pragma once
// The Debug menu's two dialogs that talk to the unit: "Color Reduction"
// (SET_COLOR_REDUCTION on OK) and "TuneVideo" (TUNE_VIDEO at each change of
// the phase while connected).

#include <QDialog>
#include <array>
#include <cstdint>
#include <functional>

#include "protocol/PacketSender.h"

class QLabel;
class QSlider;
class QSpinBox;

namespace ui {

inline constexpr int TUNE_PHASE_MAX = 31;
inline constexpr int TUNE_PHASE_START = 15;

// TUNE_VIDEO: the 32-bit value 1, then the phase.
std::array<uint8_t, 5> TuneVideoPayload(int phase);

class ColorReductionDialog : public QDialog {
 public:
  explicit ColorReductionDialog(QWidget* parent);
  uint32_t NumColors() const;
  uint32_t SnapValue() const;

 private:
  QSpinBox* m_numColors = nullptr;
  QSpinBox* m_snapValue = nullptr;
};

class TuneVideoDialog : public QDialog {
 public:
  // connected says whether a change is to be sent now.
  TuneVideoDialog(QWidget* parent, PacketSender& sender, std::function<bool()> connected);
  QSlider& Phase() { return *m_phase; }
  QLabel& Shown() { return *m_shown; }

 private:
  void OnPhase(int phase);

  PacketSender& m_sender;
  std::function<bool()> m_connected;
  QSlider* m_phase = nullptr;
  QLabel* m_shown = nullptr;
};

}  // namespace ui
