#include "view/ViewGeometry.h"

#include <algorithm>
#include <array>

#include "platform/Format.h"
#include "platform/TextError.h"
#include "platform/Trace.h"
#include "protocol/LittleEndian.h"
#include "protocol/PacketTypes.h"
#include "settings/AddressEntry.h"
#include "settings/LeadingInt.h"
#include "settings/MiscSettings.h"

namespace view {
namespace {

using platform::Rect;
using platform::ScrollBar;
using platform::Size;

constexpr size_t SIZE_PAYLOAD = 8;
constexpr int NEW_SIZE_LEVEL = 10;
constexpr int ONE_TO_ONE_ATTEMPTS = 2;
constexpr int STATUS_PANE_TIP = 1;

Size SizeOf(const Rect& rect) { return {rect.Width(), rect.Height()}; }

platform::Size PayloadSize(const session::PostedPacket& packet, const char* name) {
  const std::vector<uint8_t>& payload = packet.Payload();
  if (payload.size() < SIZE_PAYLOAD)
    throw TextError(Format("WARNING: %s packet of %zu bytes is too short.", name, payload.size()));
  return {static_cast<int32_t>(LoadLE32(payload.data())),
          static_cast<int32_t>(LoadLE32(payload.data() + 4))};
}

ViewChangeListener& NoListener() {
  static ViewChangeListener none;
  return none;
}

}  // namespace

ViewGeometry::ViewGeometry(platform::ViewWindow& view, video::FrameBuffer& bmp,
                           session::Session& session, platform::WindowThread& window,
                           settings::IniFile& ini, platform::OperatorDialogs& dialogs)
    : m_view(view),
      m_bmp(bmp),
      m_session(session),
      m_listener(&NoListener()),
      m_ini(ini),
      m_dialogs(dialogs),
      m_options(ini),
      m_servers(session, ini, dialogs),
      m_bars(view),
      m_oneToOneTimer(window) {}

void ViewGeometry::SetViewChangeListener(ViewChangeListener* listener) {
  m_listener = listener ? listener : &NoListener();
}

void ViewGeometry::OnInitialUpdate() {
  m_options.Load();
  if (const auto client = m_view.ClientRect(); client && !client->IsEmpty())
    m_bmp.SetBitmapSize(client->Width(), client->Height());
  m_bmp.Gate().SetBlockUpdates(false);
}

platform::Size ViewGeometry::LocalScreen() const {
  if (const auto screen = m_view.LocalScreenSize()) return *screen;
  Trace("Error: Could not find size of desktop.  Assuming 640x480 for full screen size.\n");
  return FALLBACK_SCREEN;
}

Rect ViewGeometry::ClientRectOrThrow(const char* failure) const {
  const auto client = m_view.ClientRect();
  if (!client) throw TextError(failure);
  return *client;
}

void ViewGeometry::ResizeFrameBuffer(Size size) {
  m_bmp.SetBitmapSize(size.width, size.height);
  RepaintIfVideoWasDropped();
}

// What the unit drew while the frame buffer had another size was dropped
// rather than written at the wrong stride; once the sizes agree it is asked
// for again, or that part of the picture would stay black.
void ViewGeometry::RepaintIfVideoWasDropped() {
  if (!m_bmp.Gate().TakeDroppedVideo()) return;
  TraceCategory(5, ONE_TO_ONE_CATEGORY, "Asking again for the video dropped while sizing.\n");
  SendRepaint();
}

void ViewGeometry::MarkAllDirty() {
  m_bmp.Repaint().MarkAllDirty();
  m_partialPaint = false;
}

void ViewGeometry::FillRect(int x1, int y1, int x2, int y2, uint8_t red, uint8_t green,
                            uint8_t blue) {
  m_bmp.FillBmp(red, green, blue, static_cast<int16_t>(x1), static_cast<int16_t>(y1),
                static_cast<int16_t>(x2), static_cast<int16_t>(y2));
}

void ViewGeometry::SendResize(Size size) {
  std::array<uint8_t, SIZE_PAYLOAD> payload;
  StoreLE32(payload.data(), static_cast<uint32_t>(std::max(size.width, MIN_VIEW_WIDTH)));
  StoreLE32(payload.data() + 4, static_cast<uint32_t>(std::max(size.height, MIN_VIEW_HEIGHT)));
  PacketHeader header(RESIZE, 0);
  m_session.SendPacket(header, {payload.data(), payload.size()});
}

void ViewGeometry::SendRepaint() {
  PacketHeader header(REPAINT, 0);
  m_session.SendPacket(header);
}

void ViewGeometry::InvalidateView(bool erase) {
  if (!m_view.Invalidate(std::nullopt, erase)) throw TextError("InvalidateRect() failed.");
}

void ViewGeometry::HandleNewSize(session::PostedPacket& packet) {
  const Size size = PayloadSize(packet, "NEW_SIZE");
  NewSize(size.width, size.height);
}

void ViewGeometry::HandleOneToOne(session::PostedPacket& packet) {
  const Size size = PayloadSize(packet, "ONE_TO_ONE");
  OneToOne(size.width, size.height);
}

void ViewGeometry::NewSize(int32_t width, int32_t height) {
  TraceCategory(NEW_SIZE_LEVEL, ONSIZE_NEWSIZE_CATEGORY, "NEW SIZE. x = %d   y = %d\n", width,
                height);
  // Negative sizes are as meaningless as zero ones.
  if (width <= 0 || height <= 0 || width > MAX_REMOTE_WIDTH || height > MAX_REMOTE_HEIGHT) return;
  m_native = {width, height};
  Rect client = ClientRectOrThrow();
  const Size screen = LocalScreen();

  if (m_options.AutoSize() && !m_fullScreen.on) {
    if (width >= screen.width && m_options.Scaled()) {
      m_view.MaximiseMainWindow();
      client = ClientRectOrThrow();
      ResizeFrameBuffer(SizeOf(client));
      SendResize(SizeOf(client));
      SendRepaint();
    } else if (width >= screen.width) {
      m_view.MaximiseMainWindow();
      ResizeFrameBuffer(m_native);
      client = ClientRectOrThrow();
      OnSize(client.Width(), client.Height());
    } else {
      if (m_bmp.Size() != m_native) ResizeFrameBuffer(m_native);
      OneToOne(width, height);
      SendResize(m_native);
    }
    m_listener->MarkViewChange();
    return;
  }

  if (!m_options.Scaled() && !m_fullScreen.on) {
    ResizeFrameBuffer(m_native);
    AddScrollBarsIfNeeded(client);
    if (m_session.IsConnected()) {
      SendResize(m_native);
      Trace("Scrolled: Telling server x,y = %d ,  %d\n", width, height);
    }
  } else {
    const Size target = m_fullScreen.on ? screen : SizeOf(client);
    if (m_options.DontEnlarge() && target.width > width && target.height > height) {
      ResizeFrameBuffer(m_native);
      SendResize(m_native);
      Trace("DON'T scale.\n");
    } else {
      ResizeFrameBuffer(target);
      SendResize(target);
      Trace("Scaled  : Telling server x,y = %d ,  %d\n", target.width, target.height);
    }
  }
  SendRepaint();
  m_listener->MarkViewChange();
}

void ViewGeometry::OnSize(int width, int height) {
  if (m_oneToOne) {
    ContinueOneToOne();
    return;
  }
  if (width < MIN_VIEW_WIDTH || height < MIN_VIEW_HEIGHT) return;
  TraceCategory(5, ONSIZE_CATEGORY, "OnSize x %d   y %d\n", width, height);
  const Rect client = ClientRectOrThrow();
  const Size frame = m_bmp.Size();
  AddScrollBarsIfNeeded(m_session.IsConnected() ? client : Rect{0, 0, frame.width, frame.height});

  if (!m_options.Scaled() && m_session.IsLoggedIn()) {
    // The picture keeps its native size; only what shows of it changes.
    m_bmp.Repaint().MarkAllDirty();
    InvalidateView(true);
    m_partialPaint = false;
    return;
  }

  // Without a native size there is nothing to hold the picture to.
  const bool dontEnlarge = m_options.DontEnlarge() && KnowsNativeSize();
  if (dontEnlarge && client.Width() >= m_native.width && client.Height() >= m_native.height) {
    if (frame == m_native) {
      m_bmp.Repaint().MarkAllDirty();
      InvalidateView(true);
      return;
    }
    ResizeFrameBuffer(m_native);
    SendResize(m_native);
    SendRepaint();
  } else {
    Size size = SizeOf(client);
    if (dontEnlarge) {
      size.width = std::min(size.width, m_native.width);
      size.height = std::min(size.height, m_native.height);
    }
    ResizeFrameBuffer(size);
  }
  InvalidateView(false);
  TellServerSize();
}

void ViewGeometry::TellServerSize() {
  if (!m_session.IsConnected()) return;
  const Size frame = m_bmp.Size();
  const Size told{std::max(frame.width, MIN_VIEW_WIDTH), std::max(frame.height, MIN_VIEW_HEIGHT)};
  TraceCategory(5, ONSIZE_CATEGORY, "OnSize telling server %d x %d\n", told.width, told.height);
  if (m_options.Scaled()) m_fullScreen.awaitNative = true;
  try {
    SendResize(told);
  } catch (const TextError& e) {
    m_dialogs.ShowError(
        "Warning: Send packet failed while resizing -- connection to server probably lost.",
        e.Text());
  }
}

void ViewGeometry::AddScrollBarsIfNeeded(const Rect& client) {
  m_bars.Place(client, m_bmp.Size(), !m_options.Scaled() && m_session.IsLoggedIn());
}

void ViewGeometry::OneToOne(int32_t width, int32_t height) {
  m_bmp.Gate().SetBlockUpdates(false);
  TraceCategory(5, ONE_TO_ONE_CATEGORY, "ONE_TO_ONE plX  %d    plY %d \n", width, height);
  const Size size{width, height};
  if (SizeOf(ClientRectOrThrow()) == size) return;
  // The unit's answer is bounded as NEW_SIZE is: no window is fitted to nonsense.
  if (width <= 0 || height <= 0 || width > MAX_REMOTE_WIDTH || height > MAX_REMOTE_HEIGHT) return;

  const Size screen = LocalScreen();
  if (width > screen.width || height > screen.height) {
    if (m_options.Scaled()) {
      m_listener->RefreshMouseScaling(size);
      ReclaimFrameSize(size);
    } else {
      OnSize(width, height);
      AddScrollBarsIfNeeded(ClientRectOrThrow());
    }
    return;
  }
  if (width == screen.width) {
    m_view.MaximiseMainWindow();
    m_view.SetStatusText(STATUS_PANE_TIP, FULL_SCREEN_TIP);
    // The maximised view's size comes later, if at all (without a window
    // manager nothing maximises); until then the unit draws for the frame.
    ReclaimFrameSize(size);
    return;
  }

  m_oneToOne = PendingOneToOne{size, screen};
  // A window manager may refuse the size, and then no new size is reported:
  // the fit ends after a while with whatever size the window has.
  m_oneToOneTimer.StartOnce(ONE_TO_ONE_WAIT_MS, [this] {
    try {
      FinishOneToOne();
    } catch (const TextError& e) {
      Trace("%s\n", e.Text().c_str());
    }
  });
  // A maximised window is held to the screen by the window manager.
  m_view.ClearMaximised();
  MoveTowardsOneToOne();
}

void ViewGeometry::ReclaimFrameSize(Size size) {
  if (m_bmp.Gate().DrawSize() == size && m_bmp.Size() != size) TellServerSize();
}

void ViewGeometry::MoveTowardsOneToOne() {
  PendingOneToOne& pending = *m_oneToOne;
  ++pending.moves;
  const auto main = m_view.MainWindowRect();
  const Rect client = ClientRectOrThrow();
  if (!main) throw TextError("GetWindowRect() failed.");
  TraceCategory(5, ONE_TO_ONE_CATEGORY, "Interior size: %d  %d\n", client.Width(), client.Height());
  const int frameWidth = main->Width() - client.Width();
  const int frameHeight = main->Height() - client.Height();
  const Size outside{pending.size.width + frameWidth, pending.size.height + frameHeight};
  TraceCategory(5, ONE_TO_ONE_CATEGORY, "inside/outside diff %d x %d   so make outside  %d x %d\n",
                frameWidth, frameHeight, outside.width, outside.height);
  int left = main->left;
  int top = main->top;
  if (left + outside.width > pending.screen.width)
    left = (pending.screen.width - outside.width) / 2;
  if (top + outside.height > pending.screen.height)
    top = (pending.screen.height - outside.height) / 2;
  // The new size comes back through OnSize, from inside the move or later.
  m_view.MoveMainWindow({left, top, left + outside.width, top + outside.height});
  m_view.InvalidateMainWindow(true);
  m_view.Invalidate(std::nullopt, true);
}

void ViewGeometry::ContinueOneToOne() {
  if (SizeOf(ClientRectOrThrow()) != m_oneToOne->size && m_oneToOne->moves < ONE_TO_ONE_ATTEMPTS)
    MoveTowardsOneToOne();
  else
    FinishOneToOne();
}

void ViewGeometry::FinishOneToOne() {
  if (!m_oneToOne) return;
  const Size size = m_oneToOne->size;
  m_oneToOne.reset();
  m_oneToOneTimer.Stop();
  const Rect client = ClientRectOrThrow();
  if (SizeOf(client) != size) {
    // The window would not take the size: the view goes on with the one it
    // got, as after any resize, and the unit is told.
    OnSize(client.Width(), client.Height());
    return;
  }
  if (m_options.Scaled() && m_bmp.Size() != size)
    ResizeFrameBuffer(size);
  else
    RepaintIfVideoWasDropped();
  if (m_bmp.Size() == size) m_bmp.Gate().SetBlockUpdates(false);
  AddScrollBarsIfNeeded(client);
}

void ViewGeometry::OnACTIONSOneToOne() {
  if (!m_session.IsConnected()) return;
  // Blocked before the request leaves: the answer, which ends the block, may
  // be cut on the monitor thread before the send returns.
  m_bmp.Gate().SetBlockUpdates(true);
  try {
    PacketHeader header(ONE_TO_ONE, 0);
    m_session.SendPacket(header);
  } catch (const TextError& e) {
    m_bmp.Gate().SetBlockUpdates(false);
    m_dialogs.ShowError(ONE_TO_ONE_FAILURE_TITLE,
                        "CBrenvikView::OnACTIONSOneToOne(): Could not send command to " +
                            m_session.TargetLocation() + " because:\n" + e.Text());
  }
}

void ViewGeometry::OnViewType(uint32_t id) {
  try {
    if (id == ID_VIEW_SCALED) {
      m_options.SetScaled(true);
      AddScrollBarsIfNeeded(ClientRectOrThrow());
    } else if (id == ID_VIEW_SCROLLED) {
      m_options.SetScaled(false);
      if (KnowsNativeSize()) {
        ResizeFrameBuffer(m_native);
        SendResize(m_native);
      }
      AddScrollBarsIfNeeded(ClientRectOrThrow());
    } else {
      throw TextError("Unexpected id.");
    }
    const Rect client = ClientRectOrThrow();
    OnSize(client.Width(), client.Height());
    m_options.SaveViewType();
  } catch (const TextError& e) {
    m_dialogs.ShowError("Problem in \nvoid CBrenvikView::OnViewType(UINT id)\n", e.Text());
  }
}

}  // namespace view
