#pragma once
// The view's geometry: which size the viewer asks the unit to draw at, how
// the frame buffer follows, how the main window is fitted around a remote
// screen shown one to one, the scroll bars of the scrolled mode, and which
// servers the single or quad view shows. The unit does all scaling; this
// class only decides sizes and tells the unit. It works through the view
// window port, so the graphical shell and the headless client share it.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/Desktop.h"
#include "platform/WindowThread.h"
#include "session/PostedPacket.h"
#include "session/Session.h"
#include "settings/IniFile.h"
#include "video/FrameBuffer.h"
#include "view/DispatchPorts.h"
#include "view/ScrollBars.h"
#include "view/ServerSelection.h"
#include "view/ViewOptions.h"

namespace view {

inline constexpr int ONSIZE_NEWSIZE_CATEGORY = 1400;
inline constexpr int ONE_TO_ONE_CATEGORY = 1500;
inline constexpr int ONSIZE_CATEGORY = 1800;

// The largest remote screen the unit can have, and the smallest picture the
// viewer ever asks for.
inline constexpr int MAX_REMOTE_WIDTH = 1600;
inline constexpr int MAX_REMOTE_HEIGHT = 1200;
inline constexpr int MIN_VIEW_WIDTH = 64;
inline constexpr int MIN_VIEW_HEIGHT = 48;
// Used when the local screen cannot be read.
inline constexpr platform::Size FALLBACK_SCREEN{640, 480};
// How long a window fitted one to one may take to report its new size before
// the view goes on with the size it has.
inline constexpr uint32_t ONE_TO_ONE_WAIT_MS = 1000;

// View menu commands.
inline constexpr uint32_t ID_VIEW_SCALED = 32844;
inline constexpr uint32_t ID_VIEW_SCROLLED = 32845;

inline constexpr const char* FULL_SCREEN_TIP =
    "Tip: This remote computer's video would look best in full screen mode.";
inline constexpr const char* ONE_TO_ONE_FAILURE_TITLE = "Unable to switch to 'BestFit' mode";

// The mouse pipeline's part in a change of the view: its marker that the view
// changed (the next moves are not sent), and its coordinate scaling for a
// native size. Nothing happens until one is installed.
class ViewChangeListener {
 public:
  virtual ~ViewChangeListener() = default;
  virtual void MarkViewChange() {}
  virtual void RefreshMouseScaling(platform::Size native) { (void)native; }
};

// Full screen as the view's sizing sees it; the window's shell switches it.
struct FullScreenState {
  bool on = false;
  // A scaled view told the unit its size and awaits the answer at native size.
  bool awaitNative = false;
};

class ViewGeometry : public VideoHandlers {
 public:
  ViewGeometry(platform::ViewWindow& view, video::FrameBuffer& bmp, session::Session& session,
               platform::WindowThread& window, settings::IniFile& ini,
               platform::OperatorDialogs& dialogs);
  // The mouse pipeline, once there is one.
  void SetViewChangeListener(ViewChangeListener* listener);

  // The view's first update: reads VIEW_TYPE, AUTO_SIZE and DONT_ENLARGE,
  // sizes the frame buffer to the client area and ends any video block.
  void OnInitialUpdate();

  // The unit's NEW_SIZE and ONE_TO_ONE, by their payload values. A window
  // fitted one to one finishes when its new size arrives through OnSize.
  void NewSize(int32_t width, int32_t height);
  void OneToOne(int32_t width, int32_t height);
  // WM_SIZE with the new client size. Throws TextError.
  void OnSize(int width, int height);
  void AddScrollBarsIfNeeded(const platform::Rect& client);
  // The operator's move of a scroll bar.
  void Scroll(platform::ScrollBar bar, ScrollAction action, int thumb = 0) {
    m_bars.Scroll(bar, action, m_bmp.Size(), thumb);
  }

  // Operator commands; their failures are shown to the operator.
  void OnACTIONSOneToOne();
  void OnViewType(uint32_t id);

  // VideoHandlers, for the dispatcher.
  void FillRect(int x1, int y1, int x2, int y2, uint8_t red, uint8_t green, uint8_t blue) override;
  platform::Size FrameSize() const override { return m_bmp.Size(); }
  void EndBlock() override { m_bmp.Gate().SetBlockUpdates(false); }
  void HandleNewSize(session::PostedPacket& packet) override;
  void HandleOneToOne(session::PostedPacket& packet) override;
  bool IsScaled() const override { return m_options.Scaled(); }
  bool IsQuadView() const override { return m_servers.IsQuadView(); }
  platform::Size NativeSize() const override { return m_native; }
  void ResizeFrameBuffer(platform::Size size) override;
  void MarkAllDirty() override;

  bool PartialPaint() const { return m_partialPaint; }
  void SetPartialPaint(bool partial) { m_partialPaint = partial; }
  platform::Size LocalScreen() const;

  FullScreenState& FullScreen() { return m_fullScreen; }
  const FullScreenState& FullScreen() const { return m_fullScreen; }
  ViewOptions& Options() { return m_options; }
  const ViewOptions& Options() const { return m_options; }
  ServerSelection& Servers() { return m_servers; }
  const ScrollBars& Bars() const { return m_bars; }

 private:
  platform::Rect ClientRectOrThrow(const char* failure = "GetClient() rect failed.") const;
  void SendResize(platform::Size size);
  void SendRepaint();
  void InvalidateView(bool erase);
  void TellServerSize();
  // The unit draws at size, which the view cannot take: it is asked for the
  // frame buffer's size again.
  void ReclaimFrameSize(platform::Size size);
  void RepaintIfVideoWasDropped();
  // One move of the main window towards a client area of the pending size.
  void MoveTowardsOneToOne();
  void ContinueOneToOne();
  void FinishOneToOne();
  // A native size has been reported; before that nothing can be sized to it.
  bool KnowsNativeSize() const { return m_native.width > 0 && m_native.height > 0; }

  platform::ViewWindow& m_view;
  video::FrameBuffer& m_bmp;
  session::Session& m_session;
  ViewChangeListener* m_listener;
  settings::IniFile& m_ini;
  platform::OperatorDialogs& m_dialogs;

  platform::Size m_native;
  ViewOptions m_options;
  ServerSelection m_servers;
  ScrollBars m_bars;
  FullScreenState m_fullScreen;
  bool m_partialPaint = false;
  // A window being fitted around the remote screen; its sizes are the fit's.
  struct PendingOneToOne {
    platform::Size size;
    platform::Size screen;
    int moves = 0;
  };
  std::optional<PendingOneToOne> m_oneToOne;
  // Ends a fit the window manager never answers.
  platform::Timer m_oneToOneTimer;
};

}  // namespace view
