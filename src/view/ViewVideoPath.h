#pragma once
// The video path as the session's monitor thread drives it: each video
// packet decoded straight into the frame buffer, video blocking around size
// changes, the size the unit draws at as its replies reveal it, a record of
// when video last arrived, and, with no repaint delay, the news to the window
// thread that there is video to paint (a task that calls the observer's
// OnVideoWritten; one waits at a time).

#include <atomic>
#include <cstdint>

#include "platform/Clock.h"
#include "platform/WindowThread.h"
#include "session/EventPoster.h"
#include "session/SessionHooks.h"
#include "video/FrameBuffer.h"
#include "video/VideoDecoder.h"

namespace view {

class ViewVideoPath : public session::VideoSink {
 public:
  // The observer hears of video written while the repaint delay is 0.
  ViewVideoPath(video::FrameBuffer& bmp, platform::WindowThread& window,
                session::SessionObserver& observer)
      : m_bmp(bmp), m_events(window), m_observer(observer), m_decoder(bmp) {}

  bool InitDecompression() override;
  void ResumeAfterLoss() override { m_decoder.ResumeAfterLoss(); }
  void HandleSegment(const PacketHeader& header, const uint8_t* payload, int32_t length) override;
  void AfterSegments() override;
  void StartBlock() override { m_bmp.Gate().SetBlockUpdates(true); }
  void ClearBlock() override { m_bmp.Gate().SetBlockUpdates(false); }
  bool EndStaleBlock() override;
  void OnResizeEcho(const uint8_t* payload, int32_t length) override;
  void OnOneToOneReply(const uint8_t* payload, int32_t length) override;

  // Video packets drawn into the frame buffer so far (not those ignored while
  // it was blocked or at another size), and the millisecond ticks of the
  // first and last.
  uint32_t Segments() const { return m_segments; }
  uint32_t FirstSegmentTick() const { return m_firstSegmentTick; }
  uint32_t LastSegmentTick() const { return m_lastSegmentTick; }

 private:
  video::FrameBuffer& m_bmp;
  session::EventPoster m_events;
  session::SessionObserver& m_observer;
  video::VideoDecoder m_decoder;
  std::atomic<bool> m_videoWrittenPosted{false};
  std::atomic<uint32_t> m_segments{0};
  std::atomic<uint32_t> m_firstSegmentTick{0};
  std::atomic<uint32_t> m_lastSegmentTick{0};
};

}  // namespace view
