// SPDX-License-Identifier: GPL-3.0-or-later
// What the page's tools beside the game ("Soubory", "Server síně slávy": files.js, hall_send.js,
// set_link.js) build their buttons and dialogs with, and read the network's answers with.
'use strict';

window.ZapwallTools = (() => {
  // A new element with the given properties (`role` and `data` become attributes) and children.
  function element(tag, properties = {}, children = []) {
    const { role, data, ...rest } = properties;
    const made = Object.assign(document.createElement(tag), rest);
    if (role) made.setAttribute('role', role);
    if (data) Object.assign(made.dataset, data);
    made.append(...children);
    return made;
  }

  // The keys pressed in a dialog are for the dialog alone, not for the game behind it.
  function keepKeysIn(box) {
    for (const kind of ['keydown', 'keyup']) {
      box.addEventListener(kind, (event) => event.stopPropagation());
    }
  }

  // A tool is for the time outside a game: while the game screen shows, the game would run on
  // unseen behind its dialog, and on a phone the button would lie over the game screen, which
  // fills it. So the button is hidden then; it is off whenever `off()` says so, with the title
  // that says why (`titles.off`).
  function outsideGames(button, titles, off = () => false) {
    const update = () => {
      const game = document.getElementById('game');
      const inGame = Boolean(game) && !game.hidden;
      // Only changes: setting `hidden` again would wake the observer again.
      if (button.hidden !== inGame) button.hidden = inGame;
      button.disabled = off();
      button.title = button.disabled ? titles.off : titles.on;
    };
    new MutationObserver(update).observe(document.body,
                                         { subtree: true, attributeFilter: ['hidden'] });
    update();
  }

  // The body of a fetch's answer, read while it stays within `most` bytes: null beyond, after
  // `stop()` (which aborts the fetch) when the answer turned out longer than it said.
  async function boundedBytes(answer, most, stop) {
    if (Number(answer.headers.get('Content-Length')) > most) return null;
    const parts = [];
    let size = 0;
    const reader = answer.body ? answer.body.getReader() : null;
    for (let part = reader && await reader.read(); part && !part.done; part = await reader.read()) {
      size += part.value.length;
      if (size > most) {
        stop();
        return null;
      }
      parts.push(part.value);
    }
    const bytes = new Uint8Array(size);
    let at = 0;
    for (const part of parts) {
      bytes.set(part, at);
      at += part.length;
    }
    return bytes;
  }

  return { element, keepKeysIn, outsideGames, boundedBytes };
})();
