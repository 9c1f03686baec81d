#pragma once
// Shows the field on an X11 display past Qt's painting. The output keeps a copy of the field as
// the window shows it; each new picture is compared with that copy inside the region where the
// two can differ, and only the tiles that changed are put into the window, over Qt's own
// connection to the display, so they land in order with everything Qt draws. A step's changes
// are a few kilobytes: they travel in the request itself, which leaves no memory shared with
// the server to wait for and needs no answer from it.
//
// Qt does not know about these pixels: whoever uses the output must have Qt repaint the field
// before Qt shows its own (older) copy of the window again, and must call Forget() when Qt has
// painted over the field.

#include <QPoint>
#include <QRegion>
#include <memory>

#include "game/contract/surface.h"

class QWidget;

namespace ZapModule {

class FieldOutput {
  public:
    virtual ~FieldOutput() = default;
    // Makes `field` (kFieldWidth x kFieldHeight) visible with its top-left pixel at `origin` of
    // the window. Only the pixels in `candidates` (field coordinates) can differ from the
    // picture shown last.
    virtual void Show(const Surface& field, QPoint origin, const QRegion& candidates) = 0;
    // Qt painted over the field: the next Show puts the whole field.
    virtual void Forget() = 0;
};

// An output into the X window of `window` (a top-level widget that has been shown), or null when
// the display is not X11 or keeps the window's pixels in another format than the field's 32-bit
// RGB.
std::unique_ptr<FieldOutput> OpenX11FieldOutput(QWidget* window);

}  // namespace ZapModule
