// SPDX-License-Identifier: GPL-3.0-or-later
// Built into the preload's test under ThreadSanitizer only. Fontconfig makes its lock at its first
// use and hands it to other threads through atomics of its own, in code TSan does not instrument;
// so the preload's FcInit beside Qt's first font query shows as a race inside fontconfig, where
// there is none. Reports inside fontconfig are left out; races in our code are still reported.
extern "C" const char* __tsan_default_suppressions() {
    return "race:libfontconfig.so\n";
}
