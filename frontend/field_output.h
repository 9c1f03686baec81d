// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A way to show the field past Qt's painting: the program writes the field's pixels to the
// display itself, and only those that changed since the picture shown last.
//
// Qt does not know about these pixels: unless the output's picture covers Qt's copy of the field
// (CoversQtCopy), whoever uses an output must have Qt repaint the field before Qt shows its own
// (older) copy of the window again, and must call Forget() when Qt has painted over the field;
// Withdraw() always before Qt is to show the field itself.

#include <QPoint>

#include "graphics/field_damage.h"
#include "values/surface.h"

namespace ZapModule {

class FieldOutput {
  public:
    virtual ~FieldOutput() = default;
    // Makes `field` (kFieldWidth x kFieldHeight) visible with its top-left pixel at `origin`
    // (logical pixels of the window), each field pixel a block of `factor` x `factor` pixels of
    // the window's buffer, `factor` being the window's device pixel ratio. Only the tiles in
    // `candidates` can differ from the picture shown last. False when the
    // output cannot show the field so now: Qt must paint it then.
    virtual bool Show(const Surface& field, QPoint origin, int factor,
                      const FieldTiles& candidates) = 0;
    // Qt painted over the field: the next Show puts the whole field.
    virtual void Forget() = 0;
    // Qt shows the field from now on (something lies over it): the output takes its picture
    // away, and the next Show puts the whole field.
    virtual void Withdraw() = 0;
    // Whether the picture shown lies above the window's own pixels, so that nothing Qt paints
    // or shows of its copy of the field can be seen.
    virtual bool CoversQtCopy() const { return false; }
};

}  // namespace ZapModule
