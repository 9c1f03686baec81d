// SPDX-License-Identifier: GPL-3.0-or-later
// The page's start: the menu's first picture, on a new profile, from a local server and on a slow
// line (Chromium's throttling, 1.5 Mbit/s and 150 ms), where a loading sign shows until the menu
// comes. The times are printed, for bench/README.md; a busy machine takes longer, so they are
// measured, not asserted. Once loaded the page starts again with its server stopped, from the
// service worker's cache, as an installed app does: its roster and its icons are there, and it
// plays. Opened from the disk instead, it says how to open it.
//
// usage: node start.test.mjs SITE_DIR
import assert from 'node:assert/strict';
import path from 'node:path';
import { test } from 'node:test';
import { serve, waitShown, withTab } from './browser.mjs';
import { SLOW_LINE, firstPicture, report } from './first_picture.mjs';
import { newPlayer, openGame, players, reloadOffline, runSteps, startGame, textOf } from './game.mjs';

const site = path.resolve(process.argv[2]);

test('the menu comes on screen soon, also on a slow line', async () => {
  const server = await serve(site);
  try {
    for (const [what, count, line] of [['local server', 5, null],
                                       ['1.5 Mbit/s and 150 ms', 3, SLOW_LINE]]) {
      const times = [];
      for (let i = 0; i < count; ++i) times.push(await firstPicture(server.url, line));
      report(what, times);
    }
  } finally {
    server.stop();
  }
});

test('the page starts and plays offline once loaded, with its server gone', async () => {
  await withTab('offline', site, async (page, url, server) => {
    await openGame(page, url);
    await newPlayer(page, 'Ota');
    const manifest = await page.$eval('link[rel="manifest"]', (link) => link.href);
    assert.equal((await (await fetch(manifest)).json()).name, 'Zapwall');

    await reloadOffline(page, server);
    await assert.rejects(fetch(url), 'the server still answers');
    assert.deepEqual(await players(page), ['Ota']);
    // A launcher's icons come from the cache too: a maskable one, and the home screen's.
    assert.deepEqual(await page.evaluate(async () => {
      const link = (rel) => document.querySelector(`link[rel="${rel}"]`).href;
      const manifest = await (await fetch(link('manifest'))).json();
      const icons = [manifest.icons.find((icon) => icon.purpose === 'maskable').src,
                     link('apple-touch-icon')];
      return Promise.all(icons.map(async (icon) => {
        const picture = await createImageBitmap(await (await fetch(icon)).blob());
        return picture.width === picture.height && picture.width >= 180;
      }));
    }), [true, true]);
    await startGame(page, 'Eva');
    await page.keyboard.press('Space');
    await runSteps(page, 5);
  });
});

test('opened as a file from the disk, the page says in Czech how to open it', async () => {
  await withTab('file', null, async (page) => {
    await page.goto(`file://${site}/index.html`);
    await waitShown(page, '#page-note');
    assert.match(await textOf(page, '#page-note'), /^Hru je třeba otevřít ze serveru.*\.\/web/);
  });
});
