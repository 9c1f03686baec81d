// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shows the field on an X11 display past Qt's painting. The output keeps a copy of the field as
// the window shows it; each new picture is compared with that copy inside the region where the
// two can differ, and only the tiles that changed are put into the window, over Qt's own
// connection to the display, so they land in order with everything Qt draws. A step's changes
// are a few kilobytes: they travel in the request itself, which leaves no memory shared with
// the server to wait for and needs no answer from it.
//
// It shows the field unscaled only (at a device pixel ratio of 1); what Qt paints over the field
// lands on the same pixels of the window.

#include <memory>

#include "frontend/field_output.h"

class QWidget;

namespace ZapModule {

// An output into the X window of `window` (a top-level widget that has been shown), or null when
// the display is not X11 or keeps the window's pixels in another format than the field's 32-bit
// RGB.
std::unique_ptr<FieldOutput> OpenX11FieldOutput(QWidget* window);

}  // namespace ZapModule
