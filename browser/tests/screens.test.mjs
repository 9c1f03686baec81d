// The page on every screen and with every hand: a pad plays as the desktop maps it and is read
// only while connected; the three windows share one scale.
//
// usage: node screens.test.mjs SITE_DIR NATIVE_BUILD_DIR [SCREENSHOT_DIR]
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { test } from 'node:test';
import { copySite, launch, newTab, serve, waitShown } from './browser.mjs';
import { newPlayer, oneBrickLevels, openGame } from './game.mjs';

const [site, nativeBuild, shots] = process.argv.slice(2).map((folder) => path.resolve(folder));
const levels = oneBrickLevels();
const played = copySite(site, 'screens');
fs.writeFileSync(path.join(played, 'data', 'levels.ko'), levels);

// Runs `body(page, url)` in a fresh browser whose tab has the given screen.
async function onScreen(tag, screen, body) {
  const server = await serve(played);
  const browser = await launch(tag);
  try {
    const page = await newTab(browser);
    await page.setViewport(screen);
    await body(page, server.url);
    assert.deepEqual(page.errors, []);
  } finally {
    await browser.close();
    server.stop();
  }
}

const batCentre = (page) => page.evaluate(() => window.zapwallBat());

test('a pad plays as on the desktop, and is read only while connected', async () => {
  await onScreen('pad', { width: 1024, height: 768 }, async (page, url) => {
    await page.evaluateOnNewDocument(() => {
      const pad = { index: 0, connected: true, mapping: 'standard', axes: [0, 0, 0, 0],
                    buttons: Array.from({ length: 17 }, () => ({ pressed: false })) };
      window.zapwallPad = { pad, plugged: false, reads: 0 };
      Object.defineProperty(Navigator.prototype, 'getGamepads', {
        value: () => {
          ++window.zapwallPad.reads;
          return [window.zapwallPad.plugged ? pad : null];
        },
      });
    });
    await openGame(page, url);
    await newPlayer(page, 'Pad');
    await page.click('#menu-start');
    await waitShown(page, '#game');
    assert.equal(await page.evaluate(() => window.zapwallPad.reads), 0);
    await page.evaluate(() => {
      window.zapwallPad.plugged = true;
      dispatchEvent(new Event('gamepadconnected'));
    });
    // Holds a button or the stick on the pad until `until` holds in the page, then lets go.
    const hold = async ({ button, stick }, until, ...args) => {
      await page.evaluate((b, y) => {
        const { pad } = window.zapwallPad;
        if (b !== undefined) pad.buttons[b].pressed = true;
        if (y !== undefined) pad.axes[1] = y;
      }, button, stick);
      await page.waitForFunction(until, {}, ...args);
      const reads = await page.evaluate(() => {
        const { pad } = window.zapwallPad;
        pad.axes[1] = 0;
        for (const button of pad.buttons) button.pressed = false;
        return window.zapwallPad.reads;
      });
      await page.waitForFunction((r) => window.zapwallPad.reads > r, {}, reads);  // let go
    };
    await hold({ button: 0 }, () => window.zapwallSteps() > 0);  // A: Space
    const from = await batCentre(page);
    await hold({ stick: -1 }, (y) => window.zapwallBat() < y - 20, from);
    await hold({ button: 13 }, (y) => window.zapwallBat() > y, from - 20);  // the D-pad down
    await hold({ button: 9 }, () => window.zapwallPaused());  // Start: P
    await hold({ button: 9 }, () => !window.zapwallPaused());
    await hold({ button: 8 }, () => !document.querySelector('#end').hidden);  // Back: Esc
    await page.evaluate(() => { window.zapwallPad.plugged = false; });
    await page.waitForFunction(() => {
      const { reads } = window.zapwallPad;
      return new Promise((resolve) => requestAnimationFrame(() => requestAnimationFrame(() =>
        resolve(window.zapwallPad.reads === reads))));
    });
  });
});

for (const [width, height] of [[1366, 768], [1920, 1080], [1920, 950]]) {
  test(`the three windows share one scale in a ${width}x${height} window`, async () => {
    await onScreen(`scale-${width}`, { width, height }, async (page, url) => {
      const scaleOf = (id) => page.$eval(id, (w) => w.getBoundingClientRect().width / w.offsetWidth);
      await openGame(page, url);
      const menu = await scaleOf('#menu');
      await page.click('#menu-hall');
      await waitShown(page, '#hall');
      assert.equal(await scaleOf('#hall'), menu);
      await page.click('#hall-close');
      await newPlayer(page, 'Eva');
      await page.click('#menu-start');
      await waitShown(page, '#game');
      assert.equal(await scaleOf('#game'), menu);
      const box = await page.$eval('#game', (w) => w.getBoundingClientRect().toJSON());
      assert.ok(box.left >= 0 && box.top >= 0 && box.right <= width && box.bottom <= height);
      const larger = (menu + 1) / menu;
      assert.ok(box.width * larger > width - 8 || box.height * larger > height - 8,
                'a larger factor fits');
      if (shots) await page.screenshot({ path: path.join(shots, `browser-${width}x${height}.png`) });
    });
  });
}
