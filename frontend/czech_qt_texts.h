// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Qt's own texts (the context menus of the text boxes and the scroll bars, the standard buttons of
// message boxes) in Czech, whatever language the user's desktop speaks: the game speaks only
// Czech.

namespace ZapModule {

// Loads Qt's Czech translations once per process; false when they are not installed, in which
// case Qt's own texts stay English and the game goes on.
bool InstallCzechQtTexts();

}  // namespace ZapModule
