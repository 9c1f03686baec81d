// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace ZapModule {

// Called before the QApplication is made. Qt hands the system every text (the windows' captions
// for window managers and tools that read WM_NAME, file names) in the locale's encoding; without
// a locale (LANG unset, as on a minimal machine) that is ASCII, and the Czech captions would reach
// them garbled. Where the environment's locale is not UTF-8, the program uses C.UTF-8.
void UseUtf8Locale();

}  // namespace ZapModule
