// SPDX-License-Identifier: GPL-3.0-or-later
/* The binary interface between Zapwall and its sound component library 2d_snd (2d_snd.so beside
 * the program, 2d_snd.dll on Windows). This plain C header is the only thing the program and the
 * library share; everything else about either side may change freely.
 *
 * The library exports three C functions:
 *   DllRegisterServer()    checks that the component can work (the audio subsystem starts) and
 *                          keeps it ready; 0 = success.
 *   DllUnregisterServer()  releases what registering kept; 0 = success.
 *   ZapwallCreateSoundPlayer(version)  creates one player object for the given interface version,
 *                          or returns NULL when it cannot serve that version.
 * A player object is a pointer to its function table. The table begins with its version and size,
 * then the eight operations in the game's interface order, then Release. Later versions may only
 * append to the table. Strings are UTF-8. No function blocks, and none reports failure: a player
 * that cannot make sound stays silent. */
#ifndef ZAPWALL_SOUND_ABI_H
#define ZAPWALL_SOUND_ABI_H

/* A C header, read by C compilers too: C's headers, typedefs and (void).
 * NOLINTBEGIN(modernize-deprecated-headers,modernize-use-using,modernize-redundant-void-arg) */
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define ZAPWALL_SOUND_ABI_VERSION 1u

#define ZAPWALL_REGISTER_SERVER_NAME "DllRegisterServer"
#define ZAPWALL_UNREGISTER_SERVER_NAME "DllUnregisterServer"
#define ZAPWALL_CREATE_SOUND_PLAYER_NAME "ZapwallCreateSoundPlayer"

typedef struct ZapwallSoundPlayer ZapwallSoundPlayer;

typedef struct ZapwallSoundPlayerTable {
    uint32_t Version; /* ZAPWALL_SOUND_ABI_VERSION the table was built for */
    uint32_t Size;    /* sizeof(ZapwallSoundPlayerTable) of that version */
    /* Per-step housekeeping; the game passes -1. */
    void (*Update)(ZapwallSoundPlayer* self, int32_t arg);
    /* Stops every sound at once. */
    void (*StopAll)(ZapwallSoundPlayer* self);
    /* Starts the WAV file at once; returns its channel, or -1 when nothing plays. */
    int16_t (*Play)(ZapwallSoundPlayer* self, const char* path, int32_t arg2, int32_t arg3);
    /* Closes the audio device; closing again is harmless. */
    void (*Close)(ZapwallSoundPlayer* self);
    /* A readable description; the text stays valid until the next Query or Release. */
    const char* (*Query)(ZapwallSoundPlayer* self);
    /* Opens the audio device with the given number of mixing channels; the window is unused. */
    void (*Open)(ZapwallSoundPlayer* self, int32_t arg1, intptr_t window, int32_t arg3,
                 int32_t channels);
    /* Plays the selected tune. */
    void (*ExtraStart)(ZapwallSoundPlayer* self);
    /* Selects a tune by name; the empty string selects the built-in tune. */
    void (*ExtraSelect)(ZapwallSoundPlayer* self, const char* name);
    /* Closes the device if still open and frees the object. */
    void (*Release)(ZapwallSoundPlayer* self);
} ZapwallSoundPlayerTable;

struct ZapwallSoundPlayer {
    const ZapwallSoundPlayerTable* Table;
};

typedef int32_t (*ZapwallServerFunction)(void);
typedef ZapwallSoundPlayer* (*ZapwallCreateSoundPlayerFunction)(uint32_t version);

#ifdef __cplusplus
}
#endif

/* NOLINTEND(modernize-deprecated-headers,modernize-use-using,modernize-redundant-void-arg) */
#endif /* ZAPWALL_SOUND_ABI_H */
