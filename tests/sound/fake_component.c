/* Stand-ins for the sound component library, one per way a library can be broken, built from
 * this file with one of these defined:
 *   FAKE_WORKING        every entry point, status 0; the player writes each call into a log
 *                       that Query returns, so tests can see what reached the library
 *   FAKE_FAILING        DllRegisterServer returns 3, DllUnregisterServer returns 4
 *   FAKE_NO_REGISTER    no DllRegisterServer
 *   FAKE_NO_FACTORY     no ZapwallCreateSoundPlayer
 *   FAKE_SHORT_TABLE    a player table from an older interface: too short, without Release */
#include <stddef.h>
#include <stdio.h>
#include <string.h>

#include "ports/zapwall_sound_abi.h"

#if defined(_WIN32)
#define EXPORT __declspec(dllexport)
#else
#define EXPORT __attribute__((visibility("default")))
#endif

static char calls[4096];

static void Note(const char* call) {
    size_t used = strlen(calls);
    snprintf(calls + used, sizeof calls - used, "%s;", call);
}

static void Update(ZapwallSoundPlayer* self, int32_t arg) {
    char call[32];
    snprintf(call, sizeof call, "Update(%d)", (int)arg);
    Note(call);
}
static void StopAll(ZapwallSoundPlayer* self) {
    Note("StopAll");
}
static int16_t Play(ZapwallSoundPlayer* self, const char* path, int32_t arg2, int32_t arg3) {
    char call[256];
    snprintf(call, sizeof call, "Play(%s,%d,%d)", path, (int)arg2, (int)arg3);
    Note(call);
    return 7;
}
static void Close(ZapwallSoundPlayer* self) {
    Note("Close");
}
static const char* Query(ZapwallSoundPlayer* self) {
    return calls;
}
static void Open(ZapwallSoundPlayer* self, int32_t arg1, intptr_t window, int32_t arg3,
                 int32_t channels) {
    char call[96];
    snprintf(call, sizeof call, "Open(%d,%ld,%d,%d)", (int)arg1, (long)window, (int)arg3,
             (int)channels);
    Note(call);
}
static void ExtraStart(ZapwallSoundPlayer* self) {
    Note("ExtraStart");
}
static void ExtraSelect(ZapwallSoundPlayer* self, const char* name) {
    char call[96];
    snprintf(call, sizeof call, "ExtraSelect(%s)", name);
    Note(call);
}
#ifndef FAKE_SHORT_TABLE
static void Release(ZapwallSoundPlayer* self) {
    Note("Release");
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
    Note("DllRegisterServer");
#ifdef FAKE_FAILING
    return 3;
#else
    return 0;
#endif
}
#endif

EXPORT int32_t DllUnregisterServer(void) {
    Note("DllUnregisterServer");
#ifdef FAKE_FAILING
    return 4;
#else
    return 0;
#endif
}

#ifndef FAKE_NO_FACTORY
EXPORT ZapwallSoundPlayer* ZapwallCreateSoundPlayer(uint32_t version) {
    char call[48];
    snprintf(call, sizeof call, "Create(%u)", (unsigned)version);
    Note(call);
    return &player;
}
#endif
