// SPDX-License-Identifier: GPL-3.0-or-later
// What the menu's first picture waits for, asked for as soon as this, the first of the page's
// scripts, runs, beside the other scripts: the page's module, compiled while it downloads, and the
// game's data files as the site lists them (site-version.js). The menu needs all the files but the
// sounds, which only a game plays: page.js asks for those once the menu is on screen. Each file is
// fetched once per page (a watched replay after the game reuses them); a failed fetch is tried
// again by the next program that asks.
'use strict';

const ZapwallData = (() => {
  const names = (self.ZAPWALL_SITE ? self.ZAPWALL_SITE.files : [])
    .filter((name) => name.startsWith('data/'));
  const isSound = (name) => name.startsWith('data/sounds/');
  const fetched = new Map();  // name → a promise of its bytes

  function fetchFile(name) {
    if (!fetched.has(name)) {
      const bytes = fetch(name).then(async (answer) => {
        if (!answer.ok) throw new Error(`${name}: ${answer.status}`);
        return new Uint8Array(await answer.arrayBuffer());
      });
      bytes.catch(() => fetched.delete(name));
      fetched.set(name, bytes);
    }
    return fetched.get(name);
  }

  // Compiled once (the head's preload has started its download) and instantiated anew for
  // every program; a failure is said by the program that needs it.
  const module = WebAssembly.compileStreaming(fetch('zapwall-page.wasm'));
  module.catch(() => {});

  const data = {
    module,
    all: names,
    menu: names.filter((name) => !isSound(name)),
    sounds: names.filter(isSound),
    fetchFile,
  };
  // Opened from the disk the page fetches nothing: page.js says how to open it.
  if (location.protocol !== 'file:') data.menu.forEach(fetchFile);
  return data;
})();
