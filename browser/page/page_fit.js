// SPDX-License-Identifier: GPL-3.0-or-later
// How large the page shows the game's windows, and where. The menu, the game screen and the hall
// of fame share one factor, the largest at which all three fit the screen, so the picture keeps
// its size from one window to the next; in the browser's full screen the game screen alone counts,
// without its caption. Where the windows fit at their designed size, the factor is a whole number
// of device pixels per pixel of the game, so every pixel is the same square block; on a smaller
// screen (a phone) they are fitted smoothly, and the pictures stay sharp blocks (page.css). The
// room is what the notch and the rounded corners leave free (the safe area).
'use strict';

function makeZapwallFit() {
  const $ = (id) => document.getElementById(id);
  const WINDOWS = ['menu', 'game', 'hall'];
  const CAPTION = 22;  // the caption bar's height, page.css
  const BORDER = 1;
  const MARGIN = 4;    // kept free around the windows on each side
  const coarse = matchMedia('(any-pointer: coarse)');

  // A window's outer size from its client area's designed size, shown or not.
  function outerSize(id, withCaption) {
    const client = $(id).querySelector('.client');
    const frame = withCaption ? 2 * BORDER : 0;
    return { width: parseFloat(client.style.width) + frame,
             height: parseFloat(client.style.height) + frame + (withCaption ? CAPTION : 0) };
  }

  // The factor at which windows of `sizes` fit into `room`, and whether it is smaller than 1.
  function fit(sizes, room) {
    let factor = Infinity;
    for (const { width, height } of sizes) {
      factor = Math.min(factor, (room.width - 2 * MARGIN) / width,
                        (room.height - 2 * MARGIN) / height);
    }
    return factor;
  }

  // Places the stage and returns its factor (CSS pixels per pixel of the game).
  function place() {
    const full = Boolean(document.fullscreenElement);
    document.documentElement.classList.toggle('in-full-screen', full);
    const sizes = full ? [outerSize('game', false)] : WINDOWS.map((id) => outerSize(id, true));
    const safe = $('safe-area').getBoundingClientRect();
    const room = { width: safe.width, height: safe.height };
    const exact = fit(sizes, room);
    const ratio = devicePixelRatio || 1;
    const whole = Math.floor(exact * ratio) / ratio;
    const scale = exact >= 1 && whole > 0 ? whole : Math.max(exact, 0.1);
    // The stage's origin on a device pixel, and each window's corner on a pixel of the game, so
    // that whole factors give whole device pixels.
    const snap = (value) => Math.round(value * ratio) / ratio;
    const stage = $('stage');
    stage.style.left = `${snap(safe.left + safe.width / 2)}px`;
    stage.style.top = `${snap(safe.top + safe.height / 2)}px`;
    stage.style.transform = `scale(${scale})`;
    for (const element of stage.children) {
      if (element.hidden) continue;
      element.style.left = `${-Math.round(element.offsetWidth / 2)}px`;
      element.style.top = `${-Math.round(element.offsetHeight / 2)}px`;
    }
    // A phone held upright: turning it would give a larger field.
    const turned = fit(sizes, { width: room.height, height: room.width });
    $('turn-hint').hidden = !(coarse.matches && room.height > room.width && turned > exact);
    return scale;
  }

  return { place };
}
