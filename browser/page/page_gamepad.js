// SPDX-License-Identifier: GPL-3.0-or-later
// A game controller as the game screen's keys, as on the desktop: the left stick or the D-pad up
// and down are the arrow keys, A is Space, Start is P, Back is Esc. The browser reports pads in
// its standard layout but sends no events for their buttons, so the pads are read once a display
// frame, and only while one is connected. Listening for a pad to come makes Chromium poll the
// devices all along (some 2 % of a core), so the page listens only when asked to (listen).
'use strict';

// `deliver(down, code)` receives the rules' key codes the pads press and release.
function makeZapwallGamepad(deliver) {
  const { numbers } = window.ZapwallDesign;
  const KEY_ESCAPE = numbers['key-escape'];
  const KEY_SPACE = numbers['key-space'];
  const KEY_UP = numbers['key-up'];
  const KEY_DOWN = numbers['key-down'];
  const KEY_P = numbers['key-p'];
  // The standard layout's buttons that are keys, and its D-pad.
  const BUTTON_KEYS = [[0, KEY_SPACE], [9, KEY_P], [8, KEY_ESCAPE]];
  const DPAD_UP = 12;
  const DPAD_DOWN = 13;
  const STICK_Y = 1;  // negative is up
  // The stick counts as pushed beyond a third of its way and as let go within a sixth, so a
  // stick resting near the threshold does not flicker.
  const STICK_PUSHED = 1 / 3;
  const STICK_LET_GO = 1 / 6;

  const pads = new Map();  // index → what the pad holds: key code → held
  let frame = null;

  function set(held, code, down) {
    if (Boolean(held.get(code)) === down) return;
    held.set(code, down);
    deliver(down, code);
  }

  function pressed(pad, index) {
    return Boolean(pad.buttons[index] && pad.buttons[index].pressed);
  }

  function readPad(pad, held) {
    for (const [index, code] of BUTTON_KEYS) set(held, code, pressed(pad, index));
    const y = pad.axes[STICK_Y] || 0;
    held.stickUp = held.stickUp ? y < -STICK_LET_GO : y < -STICK_PUSHED;
    held.stickDown = held.stickDown ? y > STICK_LET_GO : y > STICK_PUSHED;
    set(held, KEY_UP, held.stickUp || pressed(pad, DPAD_UP));
    set(held, KEY_DOWN, held.stickDown || pressed(pad, DPAD_DOWN));
  }

  // A pad that went lets go of whatever it held.
  function letGo(index) {
    const held = pads.get(index);
    pads.delete(index);
    if (held) for (const [code, down] of held) if (down) deliver(false, code);
  }

  function read() {
    frame = null;
    const seen = new Set();
    for (const pad of navigator.getGamepads()) {
      if (!pad || !pad.connected) continue;
      seen.add(pad.index);
      if (!pads.has(pad.index)) pads.set(pad.index, new Map());
      readPad(pad, pads.get(pad.index));
    }
    for (const index of [...pads.keys()]) if (!seen.has(index)) letGo(index);
    if (pads.size > 0) frame = requestAnimationFrame(read);
  }

  // A pad that goes is found gone by the reading, which lets go of its keys.
  const connected = () => {
    if (frame === null) read();
  };
  let listening = false;
  return {
    // Listens for pads to come, or stops; a pad being read is read on.
    listen(on) {
      if (on === listening) return;
      listening = on;
      if (on) addEventListener('gamepadconnected', connected);
      else removeEventListener('gamepadconnected', connected);
    },
    reading: () => frame !== null,
  };
}
