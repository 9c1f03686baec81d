// SPDX-License-Identifier: GPL-3.0-or-later
// The page's windows as a player uses them, in Debian's headless Chromium (the browser helpers of
// browser/tests): the menu's controls reach the rules, a box the rules open holds the game and comes
// before the end, a hidden page pauses a game with P, a watched replay holds on P and ends on
// Esc without storing anything, and one that cannot be watched is refused with the reason. The
// windows' scale is browser/tests/screens.test.mjs's.
//
// usage: node page.test.mjs SITE_DIR        (after scripts/install-node-modules)
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { test } from 'node:test';
import { waitShown, withTab } from '../../../browser/tests/browser.mjs';
import { TWO_PLAYERS, choosePlayer, dropFiles, newPlayer, openGame, playAndQuit, players, runSteps,
         startGame, storeFiles, storedFiles, textOf } from '../../../browser/tests/game.mjs';

const site = path.resolve(process.argv[2]);

const withPage = (tag, body) => withTab(tag, site, body, { width: 800, height: 600 });

test('the menu: names, deletion with its question, the hidden level edit, the speed bar', async () => {
  await withPage('menu', async (page, url) => {
    await openGame(page, url);
    // Only what players.ko can store goes into the name box, eight characters at most.
    await page.type('#name-box', 'Žluť→ouččkýxyz');
    assert.equal(await page.$eval('#name-box', (box) => box.value), 'Žluťoučč');
    await page.keyboard.press('Enter');
    await newPlayer(page, '*QUORN*');
    assert.deepEqual(await players(page), ['Žluťoučč', '*QUORN*']);
    assert.equal(await textOf(page, '#player-name'), '*QUORN*');

    await page.click('#stat-level');
    await page.click('#stat-level');
    await page.click('#stat-level', { button: 'right' });
    assert.equal(await textOf(page, '#stat-level'), 'Level: 2');

    await choosePlayer(page, 'Žluťoučč');
    await page.keyboard.press('Delete');
    await waitShown(page, '#message');
    assert.equal(await textOf(page, '#message-title'), 'POZOR!');
    assert.equal(await textOf(page, '#message-text'),
                 'Tímto odstraníte hráče Žluťoučč! Opravdu to chcete??');
    // The menu under the question takes no press.
    await page.click('#menu-start');
    assert.equal(await page.$eval('#game', (game) => game.hidden), true);
    await page.click('#message-no');
    assert.deepEqual(await players(page), ['Žluťoučč', '*QUORN*']);
    await page.focus('#player-list');
    await page.keyboard.press('Delete');
    await waitShown(page, '#message-yes');
    await page.keyboard.press('Enter');  // Ano is the default button
    assert.deepEqual(await players(page), ['*QUORN*']);
    assert.equal(await textOf(page, '#player-name'), 'Hráč');
    assert.equal(await textOf(page, '#stat-level'), 'Level: ');

    await page.focus('#tick-bar');
    for (const key of ['ArrowLeft', 'ArrowUp', 'PageUp', 'ArrowRight']) await page.keyboard.press(key);
    assert.equal(await textOf(page, '#tick-label'), 'Tick: 7994');
    await page.keyboard.press('End');
    assert.equal(await textOf(page, '#tick-label'), 'Tick: 10000');
    await page.keyboard.press('Home');
    assert.equal(await textOf(page, '#tick-label'), 'Tick: 1');

    await page.click('#menu-hall');
    await waitShown(page, '#hall');
    assert.equal(await textOf(page, '#hall-score-0'), '1000');
    await page.click('#hall-close');
    assert.equal(await page.$eval('#hall', (hall) => hall.hidden), true);
  });
});

test('a game over: its message, then the hall of fame, then the end', async () => {
  await withPage('over', async (page, url) => {
    await storeFiles(page, url, { 'players.ko': [...fs.readFileSync(TWO_PLAYERS)],
                                  'tick.ko': [...Buffer.from('1\r\n')] });
    await openGame(page, url);
    await choosePlayer(page, 'Bara');  // without spare balls
    await page.click('#menu-start');
    await waitShown(page, '#game');
    await page.keyboard.press('Space');
    await page.keyboard.press('Space');
    // The ball is lost at the bat's back; without spare balls the game is over.
    await waitShown(page, '#message');
    assert.equal(await textOf(page, '#message-text'),
                 'Bohužel se ti nepodařilo systém zachránit...');
    assert.equal(await page.$eval('#hall', (hall) => hall.hidden), true);
    await page.click('#message-ok');
    await waitShown(page, '#hall');
    assert.equal(await textOf(page, '#hall-name-1'), 'Bara');
    assert.equal(await page.$eval('#end', (end) => end.hidden), true);
    await page.click('#hall-close');
    await waitShown(page, '#end');
    assert.equal(await textOf(page, '#end-text'), 'Hra skončila.');
  });
});

test('a hidden page pauses the game with P; P goes on', async () => {
  await withPage('hidden', async (page, url) => {
    await openGame(page, url);
    await startGame(page, 'Ema');
    await page.keyboard.press('Space');
    await runSteps(page, 3);
    const setHidden = (hidden) => page.evaluate((value) => {
      Object.defineProperty(document, 'hidden', { configurable: true, get: () => value });
      document.dispatchEvent(new Event('visibilitychange'));
    }, hidden);
    await setHidden(true);
    assert.equal(await page.evaluate(() => window.zapwallPaused()), true);
    await waitShown(page, '#page-note');
    await setHidden(false);
    assert.equal(await page.evaluate(() => window.zapwallPaused()), true);
    await page.keyboard.press('p');
    assert.equal(await page.evaluate(() => window.zapwallPaused()), false);
    assert.equal(await page.$eval('#page-note', (note) => note.hidden), true);
    await runSteps(page, 3);
  });
});

test('a dropped replay is watched: P holds it, Esc ends it, nothing is stored', async () => {
  await withPage('watch', async (page, url) => {
    await openGame(page, url);
    await playAndQuit(page, 'Filip');
    const stored = await storedFiles(page);
    const name = Object.keys(stored).find((key) => key.startsWith('replays/'));
    assert.ok(name, 'the game was recorded');

    await dropFiles(page, 'body', [{ name: 'dropped.zapwall-replay', bytes: stored[name] }]);
    await waitShown(page, '#game');
    assert.equal(await textOf(page, '#game-caption'), 'V.E.X Zapwall v1.41 – záznam hry');
    await page.keyboard.press('p');
    assert.equal(await textOf(page, '#game-caption'), 'V.E.X Zapwall v1.41 – záznam hry (pauza)');
    await page.keyboard.press('p');
    await page.keyboard.press('Escape');
    await waitShown(page, '#end');
    assert.equal(await textOf(page, '#end-text'), 'Záznam hry skončil.');
    assert.deepEqual(Object.keys(await storedFiles(page)).sort(), Object.keys(stored).sort());
  });
});

test('a replay that cannot be watched is refused in Czech, naming it', async () => {
  await withPage('refused', async (page, url) => {
    await page.goto(`${url}?replay=nowhere.zapwall-replay`);
    await waitShown(page, '#message');
    assert.match(await textOf(page, '#message-text'),
                 /^Záznam hry nelze přehrát:\nnowhere\.zapwall-replay \(HTTP 404\)\n/);
    await page.click('#message-ok');
    await waitShown(page, '#end');

    await dropFiles(page, 'body', [{ name: 'future.zapwall-replay',
                                     bytes: Buffer.from('ZAPWALL-REPLAY 2\n') }]);
    await waitShown(page, '#message');
    assert.match(await textOf(page, '#message-text'),
                 /^Záznam hry nelze přehrát:\nfuture\.zapwall-replay\n./);
    await page.keyboard.press('Enter');
    await waitShown(page, '#end');
    assert.equal(await textOf(page, '#end-text'), 'Záznam hry skončil.');
  });
});
