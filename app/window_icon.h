// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The icon every window of the program shows: the application icon of the desktop entry, built
// into the program in all its sizes.

#include <QIcon>

namespace ZapModule {

QIcon WindowIcon();

}  // namespace ZapModule
