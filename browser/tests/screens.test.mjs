// SPDX-License-Identifier: GPL-3.0-or-later
// The page on every screen and with every hand: phones upright and turned and a tablet play a
// game by touch alone (a player made with the on-screen keyboard's Enter, a serving tap held a
// while that leaves the bat, taps and drags on the field, the pause by the on-screen control, the
// caption's close that asks first, the quit by Konec or by that close), keep its progress over a
// reload, and delete the player by touch, and the touch game's replay plays natively alike; the
// menu, the hall of fame, the boxes, the end and "Soubory" have every control a finger large and
// apart and every text readable; only where turning the screen shows a larger field is the player
// told to; a pad plays as the desktop maps it and is read only while connected; on desktops the
// three windows share one scale, and the mouse's close ends a game at once.
//
// usage: node screens.test.mjs SITE_DIR NATIVE_BUILD_DIR [SCREENSHOT_DIR]
import assert from 'node:assert/strict';
import path from 'node:path';
import { test } from 'node:test';
import { waitShown, withTab } from './browser.mjs';
import { newPlayer, oneBrickLevels, onGameScreen, openFiles, openGame, reloadGame, replaysNatively,
         runSteps, siteWithLevels, startGame, storedFiles, textOf } from './game.mjs';

const [site, nativeBuild, shots] = process.argv.slice(2).map((folder) => path.resolve(folder));
const levels = oneBrickLevels(nativeBuild);
const played = siteWithLevels(site, 'screens', levels);

// Runs `body(page, url)` in a fresh browser whose tab has the given screen.
const onScreen = (tag, screen, body) => withTab(tag, played, body, screen);

// A tap on the field, which lies at (16, 16) of the game screen.
const tapField = (page) => onGameScreen(page, 216, 216).then((p) => page.touchscreen.tap(p.x, p.y));

const batCentre = (page) => page.evaluate(() => window.zapwallBat());

// Each with how its game is quit, and whether the hint to turn the screen shows as it is held
// and once turned (the tablet shows the field at 1:1 either way).
const touch = { isMobile: true, hasTouch: true };
const TOUCH_SCREENS = [
  [{ width: 360, height: 640, deviceScaleFactor: 2, ...touch }, 'Konec', [true, false]],
  [{ width: 390, height: 844, deviceScaleFactor: 3, ...touch }, 'Konec', [true, false]],
  [{ width: 844, height: 390, deviceScaleFactor: 3, ...touch }, 'Konec', [false, true]],
  [{ width: 1024, height: 768, deviceScaleFactor: 2, ...touch }, '×', [false, false]],
];

const turnHintShown = (page) => page.$eval('#turn-hint', (hint) => hint.checkVisibility());
// The page lays itself out for a new size in the next frame (its resize handler and observers):
// after two frames it has.
const laidOut = (page) => page.evaluate(() => new Promise((done) =>
  requestAnimationFrame(() => requestAnimationFrame(done))));

// What a finger meets in `root`, a window or box shown: the controls shown that are smaller than
// 44 CSS pixels either way, the targets closer than 4 pixels to another, and the texts lower than
// 14 pixels, as sentences (none when all is well).
const CONTROLS = 'button, option, input[type=text], label, .command, .arrow, .thumb, textarea';
const TARGETS = 'button, select, input[type=text], label, .command, .scroll-bar, textarea';
const fingerProblems = (page, root) => page.$eval(root, (element, controls, targets) => {
  const scale = element.closest('#stage')
    ? element.getBoundingClientRect().width / element.offsetWidth : 1;
  const name = (e) => e.id || e.textContent.trim().slice(0, 16) || e.className;
  const shown = (selector) => [...element.querySelectorAll(selector)]
    .filter((e) => e.checkVisibility()).map((e) => [name(e), e.getBoundingClientRect()]);
  const problems = shown(controls).filter(([, box]) => box.width < 44 || box.height < 44)
    .map(([what, box]) => `${what} is ${box.width} × ${box.height}`);
  const boxes = shown(targets);
  boxes.forEach(([a, r], i) => boxes.slice(i + 1).forEach(([b, s]) => {
    if (!(r.right + 4 <= s.left || s.right + 4 <= r.left || r.bottom + 4 <= s.top ||
          s.bottom + 4 <= r.top)) problems.push(`${a} touches ${b}`);
  }));
  for (const e of element.querySelectorAll('*')) {
    const size = parseFloat(getComputedStyle(e).fontSize) * scale;
    const texts = [...e.childNodes].some((n) => n.nodeType === Node.TEXT_NODE &&
                                                n.textContent.trim());
    if (texts && e.checkVisibility() && size < 14) problems.push(`${name(e)}'s text is ${size} px`);
  }
  return problems;
}, CONTROLS, TARGETS);

const assertFingerSized = async (page, root) =>
  assert.deepEqual(await fingerProblems(page, root), [], root);

for (const [screen, quitBy, turnHints] of TOUCH_SCREENS) {
  const size = `${screen.width}x${screen.height}`;
  test(`a game played by touch alone on a ${size} screen`, async () => {
    await onScreen(`touch-${size}`, screen, async (page, url) => {
      await openGame(page, url);
      const turnedHint = async () => {
        await page.setViewport({ ...screen, width: screen.height, height: screen.width });
        await laidOut(page);
        const shown = await turnHintShown(page);
        await page.setViewport(screen);
        await laidOut(page);
        return shown;
      };
      assert.deepEqual([await turnHintShown(page), await turnedHint()], turnHints);
      await page.tap('#name-box');
      await newPlayer(page, 'Ota');
      await page.tap('#player-list option');
      await assertFingerSized(page, '#menu');
      await assertFingerSized(page, '#zapwall-files-slot');
      if (shots) await page.screenshot({ path: path.join(shots, `touch-menu-${size}.png`) });
      await page.tap('#menu-hall');
      await waitShown(page, '#hall');
      await assertFingerSized(page, '#hall');
      if (shots) await page.screenshot({ path: path.join(shots, `touch-hall-${size}.png`) });
      await page.tap('#hall-close');
      await page.tap('#sound-switch');  // "Zvuky" off, and the speed bar dragged to the right
      const thumb = await (await page.$('#tick-bar .thumb')).boundingBox();
      await page.touchscreen.touchStart(thumb.x + 4, thumb.y + 4);
      await page.touchscreen.touchMove(thumb.x + 6, thumb.y + 4);
      await page.touchscreen.touchEnd();
      assert.deepEqual(await page.$eval('#menu', (m) => [m.querySelector('#sound-switch').checked,
        parseInt(m.querySelector('#tick-label').textContent.slice(6), 10) > 8000]), [false, true]);
      await page.tap('#menu-start');
      await waitShown(page, '#game');
      // The game screen's picture comes on its canvas with a display frame.
      await page.waitForFunction(() => {
        const canvas = document.querySelector('#background');
        return canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data
          .some((value, i) => i % 4 !== 3 && value !== 0);
      });
      await tapField(page);  // play: the ball rests on the bat
      await runSteps(page, 5);
      // A serving tap held a while, far above the bat: the bat and the ball resting on it stay
      // until the finger is lifted, and the ball then meets the brick: the level is cleared.
      const bat = await batCentre(page);
      const held = await onGameScreen(page, 216, 40);
      await page.touchscreen.touchStart(held.x, held.y);
      await runSteps(page, 10);
      assert.equal(await batCentre(page), bat);
      await page.touchscreen.touchEnd();
      await waitShown(page, '#label3-0');
      await tapField(page);  // the second level
      await page.waitForFunction(() => document.querySelector('#label1-2').textContent === '2');

      // A finger held on the field brings the bat's centre to its height, and keeps it there.
      const finger = await onGameScreen(page, 316, 16 + 400);
      await page.touchscreen.touchStart(finger.x, finger.y - 40);
      await page.touchscreen.touchMove(finger.x, finger.y);
      await page.waitForFunction(() => Math.abs(window.zapwallBat() - 400) <= 3);
      await runSteps(page, 10);
      assert.ok(Math.abs(await batCentre(page) - 400) <= 3);
      await page.touchscreen.touchEnd();

      await page.tap('#touch-pause');
      await waitShown(page, '#paused-sign');
      if (shots) await page.screenshot({ path: path.join(shots, `phone-${size}.png`) });
      await page.tap('#touch-pause');
      await page.waitForFunction(() => !window.zapwallPaused());

      // The caption's close is a finger's size and alone; during a game it asks, "Ne" plays on.
      const close = await (await page.$('#game-close')).boundingBox();
      assert.ok(close.width >= 44 && close.height >= 44, `${close.width} × ${close.height}`);
      assert.equal(await page.$eval('#game-full-screen', (b) => b.checkVisibility()), false);
      const askToQuit = async () => {
        await page.tap('#game-close');
        await waitShown(page, '#message-yes');
        assert.equal(await textOf(page, '#message-text'), 'Opravdu ukončit hru?');
        await assertFingerSized(page, '#message');
      };
      await askToQuit();
      await page.tap('#message-no');
      await runSteps(page, 5);
      if (quitBy === '×') {
        await askToQuit();
        await page.tap('#message-yes');
      } else {
        // Konec, reached a little below the drawn button, as a finger does.
        const quit = await onGameScreen(page, 610, 470);
        await page.touchscreen.tap(quit.x, quit.y);
      }
      await waitShown(page, '#end');
      await assertFingerSized(page, '#end');
      await page.evaluate(() => window.ZapwallFiles.persist());
      const stored = await storedFiles(page);
      const replay = Object.keys(stored).find((key) => key.startsWith('replays/'));
      replaysNatively(path.join(nativeBuild, 'zapwall-sim'), site, levels,
                      Buffer.from(stored[replay]), Buffer.from(stored['players.ko']));

      await reloadGame(page);
      // "Soubory", with the game's files and its replay: every button a finger high, none
      // touching another.
      await openFiles(page, 'tap');
      assert.ok(await page.$$eval('#zapwall-files button, #zapwall-files .zapwall-files-pick',
                                    (list) => list.length) >= 5);
      await assertFingerSized(page, '#zapwall-files');
      await page.tap('#zapwall-files-close');
      await page.tap('#player-list option');
      assert.equal(await page.$eval('#stat-level', (e) => e.textContent.trim()), 'Level: 2');
      await page.tap('#delete-player');
      await waitShown(page, '#message-yes');
      await assertFingerSized(page, '#message');
      await page.tap('#message-yes');
      await page.waitForFunction(() => !document.querySelector('#player-list option'));
    });
  });
}

test('a pad plays as on the desktop, and is read only while connected', async () => {
  await onScreen('pad', { width: 1024, height: 768 }, async (page, url) => {
    await page.evaluateOnNewDocument(() => {
      const pad = { index: 0, connected: true, mapping: 'standard', axes: [0, 0, 0, 0],
                    buttons: Array.from({ length: 17 }, () => ({ pressed: false })) };
      const state = window.zapwallPad = { pad, plugged: false, reads: 0 };
      Object.defineProperty(Navigator.prototype, 'getGamepads',
                            { value: () => [++state.reads && state.plugged ? pad : null] });
    });
    await openGame(page, url);
    await startGame(page, 'Pad');
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
      await startGame(page, 'Eva');
      assert.equal(await scaleOf('#game'), menu);
      const box = await page.$eval('#game', (w) => w.getBoundingClientRect().toJSON());
      assert.ok(box.left >= 0 && box.top >= 0 && box.right <= width && box.bottom <= height);
      const larger = (menu + 1) / menu;
      assert.ok(box.width * larger > width - 8 || box.height * larger > height - 8,
                'a larger factor fits');
      if (shots) await page.screenshot({ path: path.join(shots, `browser-${width}x${height}.png`) });
      await page.click('#game-close');
      await waitShown(page, '#end');
      assert.equal(await page.$eval('#message', (box) => box.hidden), true, 'the mouse was asked');
    });
  });
}
