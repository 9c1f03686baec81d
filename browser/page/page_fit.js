// SPDX-License-Identifier: GPL-3.0-or-later
// How large the page shows the game's windows, and where. The menu, the game screen and the hall
// of fame share one factor, the largest at which all three fit the screen, so the picture keeps
// its size from one window to the next; in the browser's full screen the game screen alone counts,
// without its caption. Where the windows fit at their designed size, the factor is a whole number
// of device pixels per pixel of the game, so every pixel is the same square block; on a smaller
// screen (a phone) they are fitted smoothly, and the pictures stay sharp blocks (page.css). The
// room is what the notch and the rounded corners leave free (the safe area).
//
// On touch screens the game screen alone sets the factor, for the largest field; the other
// windows have layouts of their own in CSS pixels (touch.css), which fill the room that the page's
// tool buttons and the hint to turn the phone leave, and their captions are a finger high.
// The stage tells the styles the factor's inverse (--px, a CSS pixel in pixels of the game) and
// the room (--room-width, --room-height, in pixels of the game).
'use strict';

function makeZapwallFit() {
  const $ = (id) => document.getElementById(id);
  const WINDOWS = ['menu', 'game', 'hall'];
  const CAPTION = 22;  // the caption bar's height in pixels of the game, page.css
  const FINGER = 44;   // the least height of a caption bar in CSS pixels on touch screens
  const BORDER = 1;
  const MARGIN = 4;    // kept free around the windows on each side
  const coarse = matchMedia('(any-pointer: coarse)');

  // A window's outer size in pixels of the game from its client area's designed size, shown or
  // not, and the height of its caption in them.
  function outerSize(id, withCaption) {
    const client = $(id).querySelector('.client');
    const frame = withCaption ? 2 * BORDER : 0;
    return { width: parseFloat(client.style.width) + frame,
             height: parseFloat(client.style.height) + frame,
             caption: withCaption ? CAPTION : 0 };
  }

  // The largest factor at which a window's height fits into `room`: where the caption would be
  // lower than a finger on a touch screen, it is a finger high whatever the factor.
  function heightFactor({ height, caption }, room) {
    const designed = (room - 2 * MARGIN) / (height + caption);
    if (!caption || !coarse.matches || designed * caption >= FINGER) return designed;
    return (room - 2 * MARGIN - FINGER) / height;
  }

  // The factor at which windows of `sizes` fit into `room`.
  function fit(sizes, room) {
    let factor = Infinity;
    for (const size of sizes) {
      factor = Math.min(factor, (room.width - 2 * MARGIN) / size.width,
                        heightFactor(size, room.height));
    }
    return factor;
  }

  // The factor the windows are shown at when `exact` is the largest that fits: a whole number
  // of device pixels per pixel of the game where that is 1 or more.
  function shownFactor(exact, ratio) {
    const whole = Math.floor(exact * ratio) / ratio;
    return exact >= 1 && whole > 0 ? whole : Math.max(exact, 0.1);
  }

  // The part of the screen the windows are centred in: the safe area, less the tool buttons
  // above a touch layout and the hint below it.
  function area(safe, touchLayout) {
    let top = safe.top;
    let bottom = safe.bottom;
    if (touchLayout) {
      const tools = $('zapwall-files-slot').getBoundingClientRect();
      if (tools.height > 0) top = Math.max(top, tools.bottom);
      const hint = $('turn-hint');
      if (!hint.hidden) bottom = Math.min(bottom, hint.getBoundingClientRect().top);
    }
    return { left: safe.left, top, width: safe.width, height: Math.max(bottom - top, 0) };
  }

  // Places the stage and returns its factor (CSS pixels per pixel of the game).
  function place() {
    const full = Boolean(document.fullscreenElement);
    const touch = coarse.matches;
    document.documentElement.classList.toggle('in-full-screen', full);
    const sizes = full ? [outerSize('game', false)]
      : (touch ? ['game'] : WINDOWS).map((id) => outerSize(id, true));
    const safe = $('safe-area').getBoundingClientRect();
    const room = { width: safe.width, height: safe.height };
    const ratio = devicePixelRatio || 1;
    const scale = shownFactor(fit(sizes, room), ratio);
    // A phone held upright: turning it would show the windows larger.
    const turned = shownFactor(fit(sizes, { width: room.height, height: room.width }), ratio);
    $('turn-hint').hidden = !(touch && room.height > room.width && turned > scale);
    // The stage's origin on a device pixel, and each window's corner on a pixel of the game, so
    // that whole factors give whole device pixels.
    const snap = (value) => Math.round(value * ratio) / ratio;
    const shown = area(safe, touch && $('game').hidden);
    const stage = $('stage');
    stage.style.left = `${snap(shown.left + shown.width / 2)}px`;
    stage.style.top = `${snap(shown.top + shown.height / 2)}px`;
    stage.style.transform = `scale(${scale})`;
    // Rounded up to the 1/64 px that layout keeps, so that no size falls short of its CSS pixels.
    const upTo64th = (value) => Math.ceil(value * 64) / 64;
    stage.style.setProperty('--px', `${upTo64th(1 / scale)}px`);
    stage.style.setProperty('--room-width', `${(shown.width - 2 * MARGIN) / scale}px`);
    stage.style.setProperty('--room-height', `${(shown.height - 2 * MARGIN) / scale}px`);
    const finger = upTo64th(FINGER / scale);
    stage.style.setProperty('--finger', `${Math.max(finger, CAPTION)}px`);
    for (const element of stage.children) {
      if (element.hidden) continue;
      element.style.left = `${-Math.round(element.offsetWidth / 2)}px`;
      element.style.top = `${-Math.round(element.offsetHeight / 2)}px`;
    }
    return scale;
  }

  return { place };
}
