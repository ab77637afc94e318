#pragma once
// Carries out a paint plan with QPainter: the margins, the "Not Connected"
// card, or the planned part of the frame buffer, converted row by row (the
// buffer's rows run bottom-up) to 32-bit pixels: straight into the image the
// painter draws on when that is a backing store Qt keeps in that format, and
// otherwise into an image of that part only, which the painter then draws.

#include <QPainter>

#include "video/FrameBuffer.h"
#include "view/ViewPaint.h"

namespace ui {

void DrawPaintPlan(QPainter& painter, const view::PaintPlan& plan, const video::PixelView& pixels);

// The part of the frame buffer as an image in top-down order; empty when the
// buffer has no pixels there.
QImage CopyPixels(const video::PixelView& pixels, const platform::Rect& source);

}  // namespace ui
