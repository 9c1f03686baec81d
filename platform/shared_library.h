// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Libraries loaded at run time (the sound component 2d_snd). The browser edition loads none:
// emscripten's dlopen aborts rather than fails, so there every open fails.

#include <string>

namespace ZapModule {

// Whether this platform loads libraries at run time at all.
bool LoadsLibraries();

// The library at `path`, loaded with all its symbols bound now; null when it cannot be. Its code
// stays mapped until the process ends, even after CloseLibrary: a library's audio stack may leave
// thread-local destructors and hooks behind.
void* OpenLibrary(const std::string& path);
void CloseLibrary(void* handle);
// The address of the library's symbol `name`; null when it has none.
void* FindSymbol(void* handle, const char* name);

}  // namespace ZapModule
