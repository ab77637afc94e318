#pragma once
// A keyboard without hardware: keys and lock states are set by the test or
// the command-line client; synthetic keys act on them as a real keyboard
// would (a lock key's press toggles it) and are recorded.

#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/Desktop.h"
#include "platform/WindowThreadCheck.h"

namespace platform {

class HeadlessKeyboard : public KeyboardDevice {
 public:
  struct SyntheticKey {
    int virtualKey = 0;
    int scanCode = 0;
    bool keyUp = false;
    friend bool operator==(const SyntheticKey&, const SyntheticKey&) = default;
  };

  explicit HeadlessKeyboard(uint8_t lights = 0, std::string layout = "00000409");

  bool IsKeyDown(int virtualKey) const override;
  uint8_t LockLights() const override;
  void SetLockLights(uint8_t lights) override;
  void SendSyntheticKey(int virtualKey, int scanCode, bool keyUp) override;
  bool StartGrab() override;
  void EndGrab() override;
  bool IsGrabbed() const override;
  std::string LayoutName() const override;

  // Set-up: a key held by the local user; whether a grab is refused; a
  // failure text for synthetic keys (empty: they are injected); the layout.
  void SetKeyDown(int virtualKey, bool down);
  // The local user pressing or releasing a key: for Shift, Ctrl and Alt the
  // left or right key (by scan code or extended flag) goes with it.
  void PressByUser(int virtualKey, int scanCode, bool extended, bool keyUp);
  void RefuseGrab(bool refuse);
  void FailSyntheticKeys(std::string reason);
  void SetLayoutName(std::string layout);

  // Inspection.
  std::vector<SyntheticKey> SyntheticKeys() const;
  int GrabCount() const;  // successful StartGrab calls

 private:
  mutable std::mutex m_mutex;
  std::set<int> m_down;
  uint8_t m_lights;
  std::string m_layout;
  bool m_grabbed = false;
  bool m_refuseGrab = false;
  int m_grabCount = 0;
  std::string m_syntheticFailure;
  std::vector<SyntheticKey> m_synthetic;
  WindowThreadCheck m_windowThread;
};

}  // namespace platform
