#pragma once
// What the video decoder asks of the view above it. Every call has a default
// that does nothing, so the decoder works (and is tested) without a view.

#include <cstdint>

namespace video {

class VideoObserver {
 public:
  virtual ~VideoObserver() = default;
  // Whether the operator moved the mouse or pressed a lock key so recently
  // that each interval should show at once.
  virtual bool PaintsEachInterval() { return false; }
  // Marks a partial paint and paints the view before returning.
  virtual void PaintNow() {}
  // The microsecond stamp of the last mouse movement sent, which the call
  // clears; 0 when there is none.
  virtual uint64_t TakeMouseMoveStamp() { return 0; }
  // Every interval of a video packet has been written.
  virtual void AfterVideoPacket() {}
};

}  // namespace video
