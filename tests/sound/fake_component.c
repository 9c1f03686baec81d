/* Stand-ins for the sound component library, one per way a library can be broken, built from
 * this file with one of these defined:
 *   FAKE_WORKING        every entry point, status 0; the player writes each call into a log
 *                       that Query returns, so tests can see what reached the library
 *   FAKE_FAILING        DllRegisterServer returns 3, DllUnregisterServer returns 4
 *   FAKE_NO_REGISTER    no DllRegisterServer
 *   FAKE_NO_FACTORY     no ZapwallCreateSoundPlayer
 *   FAKE_SHORT_TABLE    a player table from an older interface: too short, without Release */
#include <stdarg.h>
#include <stddef.h>
#include <stdio.h>
#include <string.h>

#include "ports/zapwall_sound_abi.h"

#if defined(_WIN32)
#define EXPORT __declspec(dllexport)
#else
#define EXPORT __attribute__((visibility("default")))
#endif

#ifdef FAKE_FAILING
enum { kRegisterStatus = 3, kUnregisterStatus = 4 };
#else
enum { kRegisterStatus = 0, kUnregisterStatus = 0 };
#endif

static char calls[4096];

/* Appends a call to the log, formatted as printf formats it. */
static void Note(const char* format, ...) {
    const size_t used = strlen(calls);
    va_list args;
    va_start(args, format);
    vsnprintf(calls + used, sizeof calls - used, format, args);
    va_end(args);
}

static void Update(ZapwallSoundPlayer* self, int32_t arg) {
    Note("Update(%d);", (int)arg);
}
static void StopAll(ZapwallSoundPlayer* self) {
    Note("StopAll;");
}
static int16_t Play(ZapwallSoundPlayer* self, const char* path, int32_t arg2, int32_t arg3) {
    Note("Play(%s,%d,%d);", path, (int)arg2, (int)arg3);
    return 7;
}
static void Close(ZapwallSoundPlayer* self) {
    Note("Close;");
}
static const char* Query(ZapwallSoundPlayer* self) {
    return calls;
}
static void Open(ZapwallSoundPlayer* self, int32_t arg1, intptr_t window, int32_t arg3,
                 int32_t channels) {
    Note("Open(%d,%ld,%d,%d);", (int)arg1, (long)window, (int)arg3, (int)channels);
}
static void ExtraStart(ZapwallSoundPlayer* self) {
    Note("ExtraStart;");
}
static void ExtraSelect(ZapwallSoundPlayer* self, const char* name) {
    Note("ExtraSelect(%s);", name);
}
#ifndef FAKE_SHORT_TABLE
static void Release(ZapwallSoundPlayer* self) {
    Note("Release;");
}
#endif

static const ZapwallSoundPlayerTable table = {
    ZAPWALL_SOUND_ABI_VERSION,
#ifdef FAKE_SHORT_TABLE
    offsetof(ZapwallSoundPlayerTable, Release),
#else
    sizeof(ZapwallSoundPlayerTable),
#endif
    Update,
    StopAll,
    Play,
    Close,
    Query,
    Open,
    ExtraStart,
    ExtraSelect,
#ifdef FAKE_SHORT_TABLE
    NULL,
#else
    Release,
#endif
};
ZapwallSoundPlayer player = {&table}; /* not static: unused where the factory is left out */

#ifndef FAKE_NO_REGISTER
EXPORT int32_t DllRegisterServer(void) {
    Note("DllRegisterServer;");
    return kRegisterStatus;
}
#endif

EXPORT int32_t DllUnregisterServer(void) {
    Note("DllUnregisterServer;");
    return kUnregisterStatus;
}

#ifndef FAKE_NO_FACTORY
EXPORT ZapwallSoundPlayer* ZapwallCreateSoundPlayer(uint32_t version) {
    Note("Create(%u);", (unsigned)version);
    return &player;
}
#endif
