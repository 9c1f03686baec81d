// SPDX-License-Identifier: GPL-3.0-or-later
// The game's data files as the site lists them (site-version.js), fetched as soon as this, the
// first of the page's scripts, runs: beside the module's own download and the other scripts. The
// menu needs all but the sounds, which only a game plays: page.js asks for those once the menu is
// on screen. Each file is fetched once per page (a watched replay after the game reuses them); a
// failed fetch is tried again by the next program that asks.
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

  const data = {
    all: names,
    menu: names.filter((name) => !isSound(name)),
    sounds: names.filter(isSound),
    fetchFile,
  };
  // Opened from the disk the page fetches nothing: page.js says how to open it.
  if (location.protocol !== 'file:') data.menu.forEach(fetchFile);
  return data;
})();
