// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shows the field on a Wayland compositor past Qt's painting: in a subsurface of the window's
// wl_surface, placed over the field and committed on its own (desynchronized), from a pair of
// shared-memory buffers the program writes itself. Each step writes only the tiles that changed
// into a buffer the compositor has given back, and commits only those as damage; Qt's backing
// store never copies or sends the field. When the compositor holds both buffers a step's picture
// is skipped, and its changes go with the next.
//
// The output talks to the compositor on Qt's connection but on an event queue of its own, which
// it dispatches without ever waiting on it. The subsurface lives while the window is shown: it
// goes before Qt's wl_surface does (the window is hidden or its platform surface destroyed), and
// comes again at the next Show.

#include <memory>

#include "frontend/field_output.h"

class QWidget;

namespace ZapModule {

// An output over the Wayland surface of `window` (a top-level widget that has been shown), or
// null when the platform is not Wayland or Qt's native interface gives no display or surface.
// Its Show answers false (Qt paints) until the compositor has announced what the output needs,
// and for good when it lacks any of it (wl_subcompositor, wl_shm, wl_compositor 4).
std::unique_ptr<FieldOutput> OpenWaylandFieldOutput(QWidget* window);

}  // namespace ZapModule
