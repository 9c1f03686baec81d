// SPDX-License-Identifier: GPL-3.0-or-later
// The player's files in the browser: a game's progress survives a reload in the middle of the
// game; the replay the browser recorded plays natively to the same result; only the newest
// hundred replays stay stored; players made and deleted and the speed set are stored as they
// change, so a browser killed without a word keeps them; desktop files come in checked and go out
// byte-identical, damaged ones are refused with nothing stored lost; a damaged stored file is kept
// aside; a save the browser refuses is reported and made by the next one; a second tab does not
// start.
//
// usage: node files.test.mjs SITE_DIR NATIVE_BUILD_DIR
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { test } from 'node:test';
import { catchDownloads, killBrowser, launch, newTab, serve, temporaryFolder, waitShown, withTab }
  from './browser.mjs';
import { ONE_BRICK_LEVELS, TWO_PLAYERS, chooseForImport, choosePlayer, download, importAndRestart,
         newPlayer, oneBrickLevels, openFiles, openGame, parseRoster, players, reloadGame,
         replaysNatively, runSteps, siteWithLevels, startGame, storeFiles, storedFiles, textOf,
         waitStored } from './game.mjs';

const [site, nativeBuild] = process.argv.slice(2).map((folder) => path.resolve(folder));
const zapwallSim = path.join(nativeBuild, 'zapwall-sim');

// Replays as the game names them, recorded long ago: the store holds a hundred of them.
const OLD_REPLAYS = Array.from({ length: 100 }, (_, i) =>
  `replays/2000-01-01_00-${String(Math.floor(i / 60)).padStart(2, '0')}-` +
  `${String(i % 60).padStart(2, '0')}_Old.zapwall-replay`);

test('a game left half-way by a reload keeps what it reached; its replay plays natively alike',
     async () => {
  const levels = oneBrickLevels(nativeBuild);
  await withTab('played', siteWithLevels(site, 'played', levels), async (page, url) => {
    await storeFiles(page, url, Object.fromEntries(OLD_REPLAYS.map((name) => [name, [10]])));
    await openGame(page, url);
    await startGame(page, 'Ondra');
    assert.equal(await page.$eval('#zapwall-files-button', (button) => button.hidden), true,
                 'the files can be opened during a game');
    await page.keyboard.press('Space');  // play: the ball rests on the bat
    await runSteps(page, 5);
    await page.keyboard.press('Space');  // the ball meets the brick: the level is cleared
    await waitShown(page, '#label3-0');  // "Vyhrál jsi bitvu, ale ne válku..."
    await page.keyboard.press('Space');  // the second level
    await page.waitForFunction(() => document.querySelector('#label1-2').textContent === '2');
    await page.keyboard.down('ArrowUp');
    await runSteps(page, 20);
    await page.keyboard.up('ArrowUp');
    await reloadGame(page);  // leaving the page closes the game screen, which keeps the progress
    // The newest hundred replays are kept: the game's own one came, the oldest one went.
    const replays = Object.keys(await storedFiles(page)).filter((key) => key.startsWith('replays/'));
    assert.equal(replays.length, 100);
    assert.ok(!replays.includes(OLD_REPLAYS[0]), 'the oldest replay is still stored');
    assert.ok(replays.some((key) => key.endsWith('_Ondra.zapwall-replay')));

    assert.deepEqual(await players(page), ['Ondra']);
    const downloaded = await catchDownloads(page, temporaryFolder('played-downloads'));
    await openFiles(page);
    const roster = await download(page, downloaded, 'players.ko');
    assert.deepEqual(parseRoster(roster), [{ name: 'Ondra', balls: 3, iq: 30, level: 1 }]);
    await choosePlayer(page, 'Ondra');
    assert.equal((await textOf(page, '#stat-iq')).trim(), 'IQ: 30');

    // The replay the browser kept, watched natively, stores the very same players.ko.
    const replayName = await page.$eval('#zapwall-files-replays li', (li) => li.dataset.file);
    assert.match(replayName, /^replays\/\d{4}-\d\d-\d\d_\d\d-\d\d-\d\d_Ondra\.zapwall-replay$/);
    replaysNatively(zapwallSim, site, levels, await download(page, downloaded, replayName), roster);
  });
});

test('players made and deleted and the speed set survive the browser killed at once',
     async () => {
  const server = await serve(site);
  const profile = temporaryFolder('killed-profile');
  try {
    let browser = await launch('killed', [], profile);
    let page = await newTab(browser);
    await openGame(page, server.url);
    for (const name of ['Ada', 'Ben', 'Cyril']) await newPlayer(page, name);
    assert.notEqual(await page.evaluate(() => document.activeElement.id), 'name-box',
                    'the name box keeps the focus, and a phone its keyboard');
    await choosePlayer(page, 'Ada');
    await page.keyboard.press('Delete');
    await waitShown(page, '#message-yes');
    await page.click('#message-yes');
    await page.focus('#tick-bar');
    await page.keyboard.press('End');
    const seen = { names: await players(page), tick: await textOf(page, '#tick-label') };
    assert.deepEqual(seen.names, ['Ben', 'Cyril']);
    // What the page stores lands in IndexedDB by itself, with no page left or hidden.
    await waitStored(page, (files) => files['tick.ko'] && document.querySelector('#tick-label')
      .textContent.endsWith(new TextDecoder().decode(new Uint8Array(files['tick.ko'])).trim()));
    assert.deepEqual(page.errors, []);
    await killBrowser(browser);

    browser = await launch('killed', [], profile);
    try {
      page = await newTab(browser);
      await openGame(page, server.url);
      assert.deepEqual({ names: await players(page), tick: await textOf(page, '#tick-label') },
                       seen);
      assert.deepEqual(page.errors, []);
    } finally {
      await browser.close();
    }
  } finally {
    await server.stop();
  }
});

test('desktop files come in checked and go out byte-identical; damaged ones are refused',
     async () => {
  const folder = temporaryFolder('import');
  const desktopRoster = fs.readFileSync(TWO_PLAYERS);
  const desktopTick = Buffer.from(' 8001 \r\n');
  fs.writeFileSync(path.join(folder, 'players.ko'), desktopRoster);
  // As a browser names a second download of the same name.
  fs.writeFileSync(path.join(folder, 'tick (1).ko'), desktopTick);
  // A damaged roster (the engine checks hall.ko and tick.ko alike), a damaged replay, a file the
  // game does not know, a level set that does not compile and one the game would refuse, each
  // with the start of its reason.
  const refused = [
    ['players.ko', desktopRoster.subarray(0, desktopRoster.length - 3), ': hráč 2/2: soubor končí'],
    ['zapis.zapwall-replay', Buffer.from('ZAPWALL-REPLAY 1\nseed 1\n'), ': záznam hry nelze přehrát'],
    ['poznamky.doc', Buffer.from('Ada'), ': hra takový soubor nezná'],
    ['poznamky.txt', Buffer.from('Ada'), ':1: '],
    ['prazdna.ko', Buffer.from([0, 0]), ': '],
  ];
  fs.mkdirSync(path.join(folder, 'damaged'));
  for (const [name, bytes] of refused) fs.writeFileSync(path.join(folder, 'damaged', name), bytes);
  // Empty, as a failed download leaves them: taken, they would wipe what is saved.
  const empty = ['players.ko', 'hall.ko', 'tick.ko'];
  fs.mkdirSync(path.join(folder, 'empty'));
  for (const name of empty) fs.writeFileSync(path.join(folder, 'empty', name), '');

  await withTab('import', site, async (page, url) => {
    await openGame(page, url);
    await openFiles(page);
    let checked = await chooseForImport(page, [...['players.ko', 'tick (1).ko'].map((name) =>
      path.join(folder, name)), ONE_BRICK_LEVELS]);
    assert.deepEqual(checked.map((c) => c.accepted), [true, true, true]);
    assert.match(checked[1].text, /^tick\.ko: v pořádku/);
    await importAndRestart(page);
    // The set is kept as the level editor keeps it: its text as it came, and its levels.ko.
    const kept = await storedFiles(page);
    assert.deepEqual(Buffer.from(kept['level-sets/one_brick_levels.txt']),
                     fs.readFileSync(ONE_BRICK_LEVELS));
    assert.deepEqual(Buffer.from(kept['level-sets/one_brick_levels.ko']), oneBrickLevels(nativeBuild));
    assert.deepEqual(await players(page), ['Ada', 'Bara']);
    assert.equal(await textOf(page, '#tick-label'), 'Tick: 8001');

    const downloaded = await catchDownloads(page, temporaryFolder('import-downloads'));
    await openFiles(page);
    assert.deepEqual(await download(page, downloaded, 'players.ko'), desktopRoster);
    assert.deepEqual(await download(page, downloaded, 'tick.ko'), desktopTick);

    // Refused with the reason in Czech, and nothing stored changes.
    const before = await storedFiles(page);
    checked = await chooseForImport(page, refused.map(([name]) => path.join(folder, 'damaged', name)),
                                    'drop');
    refused.forEach(([name, , reason], i) => assert.ok(!checked[i].accepted &&
      checked[i].text.startsWith(`Odmítnut — ${name}${reason}`), checked[i].text));
    checked = await chooseForImport(page, empty.map((name) => path.join(folder, 'empty', name)));
    checked.forEach((c, i) => assert.equal(c.text,
      `Odmítnut — ${empty[i]}: soubor je prázdný (nejspíš se nestáhl celý); uložený soubor ` +
      'zůstane, jak je'));
    assert.equal(await page.$eval('#zapwall-files-import', (b) => b.disabled), true);
    assert.match(await textOf(page, '#zapwall-files-status'), /uložené soubory se nezměnily/);
    assert.deepEqual(await storedFiles(page), before);
  });
});

test('a damaged stored players.ko is reported in Czech and kept aside', async () => {
  await withTab('damaged', site, async (page, url) => {
    const damaged = [...fs.readFileSync(TWO_PLAYERS)].slice(0, 7);
    await storeFiles(page, url, { 'players.ko': damaged });
    await page.goto(url);
    await waitShown(page, '#message');
    assert.match(await textOf(page, '#message-text'),
                 /Soubor players\.ko je poškozený .*uschován jako players\.ko\.damaged/s);
    await page.evaluate(() => window.ZapwallFiles.persist());
    const stored = await storedFiles(page);
    assert.deepEqual(stored['players.ko.damaged'], damaged);
  });
});

test('a save the browser refuses is reported, keeps what was stored and is made by the next one',
     async () => {
  await withTab('full', site, async (page, url) => {
    await openGame(page, url);
    await newPlayer(page, 'Ada');
    const before = await storedFiles(page);
    // The browser's storage is full from now on.
    await page.evaluate(() => {
      const transaction = IDBDatabase.prototype.transaction;
      window.zapwallStorageBack = () => { IDBDatabase.prototype.transaction = transaction; };
      IDBDatabase.prototype.transaction = function full(stores, mode) {
        if (mode === 'readwrite') throw new DOMException('full', 'QuotaExceededError');
        return transaction.call(this, stores, mode);
      };
    });
    await page.click('#menu-start');  // the roster is saved as the game starts
    await waitShown(page, '#zapwall-files-problem');
    assert.match(await textOf(page, '#zapwall-files-problem'),
                 /^Hru se nepodařilo uložit do prohlížeče \(úložiště prohlížeče je plné\)/);
    assert.deepEqual(await storedFiles(page), before);

    await page.evaluate(() => window.zapwallStorageBack());
    await page.focus('#field');
    await page.keyboard.press('Space');
    await runSteps(page, 5);
    await page.keyboard.press('Escape');  // the game's end saves again
    await waitShown(page, '#end');
    await page.waitForFunction(() => document.querySelector('#zapwall-files-problem').hidden);
    const stored = await storedFiles(page);
    assert.deepEqual(parseRoster(Buffer.from(stored['players.ko'])).map((p) => p.name), ['Ada']);
  });
});

test('a second tab of the game is refused while the first one runs', async () => {
  await withTab('tabs', site, async (first, url) => {
    await openGame(first, url);
    const second = await newTab(first.browser());
    await second.goto(url);
    await second.waitForFunction(() =>
      document.body.innerText.includes('Zapwall už běží v jiné kartě tohoto prohlížeče.'));
    assert.equal(await second.evaluate(() => Boolean(document.querySelector('#menu')?.checkVisibility())),
                 false);
    await second.close();
    await newPlayer(first, 'Jana');  // the first tab plays on
  });
});
