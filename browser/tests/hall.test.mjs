// SPDX-License-Identifier: GPL-3.0-or-later
// Sending a result to a hall server from the page, only on the player's yes: the server's address
// set through the page's "Server síně slávy" button is kept across a reload; a game quit and its offer
// refused leaves a local zapwall-hall-server (SQLite, on a port of its own, so the sends cross
// origins) with nothing; the next game, sent under a nickname typed over the roster's name, is
// filed there, its replay played by the server to the same result.
//
// A level set published to a hall server that serves the page (--site) opens from the "hrát" of
// the server's page in a new profile, with its title; its game goes to that server, with no
// address set, into that set's hall; a level text the game refuses, opened by its address, is
// refused with the game's reason and stores nothing, and one it takes is kept as the native
// compiler makes it; and with the server stopped the set plays again from the browser's copy,
// with its own players.
//
// usage: node hall.test.mjs SITE_DIR NATIVE_BUILD_DIR
import assert from 'node:assert/strict';
import crypto from 'node:crypto';
import fs from 'node:fs';
import path from 'node:path';
import { test } from 'node:test';
import { copySite, startServer, temporaryFolder, waitShown, withTab } from './browser.mjs';
import { ONE_BRICK_LEVELS, oneBrickLevels, openGame, playAndQuit, players, reloadOffline,
         storedFiles, textOf } from './game.mjs';

const [siteFolder, nativeBuild] = process.argv.slice(2).map((folder) => path.resolve(folder));

// The hall server on a free port, with `options` besides; its address comes from its "listening
// on" line.
async function hallServer(options = []) {
  const server = await startServer(
    path.join(nativeBuild, 'zapwall-hall-server'),
    ['--port', '0', '--sqlite', path.join(temporaryFolder('hall'), 'hall.sqlite'), ...options],
    /listening on (http:\S+?)\/?\n/);
  const results = async () => (await (await fetch(`${server.address}/api/results`)).json()).results;
  const filed = async () => (await results()).map((entry) => entry.name);
  return { ...server, results, filed };
}

// Plays a new game as NAME, quits it and waits for the offer.
async function quitGame(page, name) {
  await playAndQuit(page, name, 2);
  await page.waitForSelector('#zapwall-hall[open]');
}

// Sends the result offered under the roster's name; resolves with what the box says.
async function sendOffered(page) {
  await page.click('#zapwall-hall-send');
  await page.waitForSelector('#zapwall-hall[data-done]');
  return textOf(page, '#zapwall-hall-answers');
}

// The name of the level set the menu plays, once the page's choice of the set shows it.
async function chosenSet(page) {
  await page.waitForFunction(() => {
    const choice = document.querySelector('#zapwall-set-choice');
    return choice && choice.selectedIndex > 0;
  });
  return page.$eval('#zapwall-set-choice', (choice) => choice.selectedOptions[0].textContent);
}

test('a result goes to the hall server only on a yes', async () => {
  const hall = await hallServer();
  try {
    await withTab('hall', siteFolder, async (page, url) => {
      await openGame(page, url);
      await page.click('#zapwall-hall-button');
      await page.type('#zapwall-hall-address', `${hall.address}/`);
      await page.click('#zapwall-hall-save');
      await page.waitForSelector('#zapwall-hall:not([open])');

      await quitGame(page, 'Ada');
      await page.click('#zapwall-hall-skip');
      assert.deepEqual(await hall.filed(), []);

      await page.click('#end-again');  // a new page: the address comes from the stored files
      await waitShown(page, '#menu');
      await quitGame(page, 'Bob');
      assert.equal(await page.$eval('#zapwall-hall-nickname', (input) => input.value), 'Bob');
      await page.click('#zapwall-hall-nickname', { clickCount: 3 });
      await page.type('#zapwall-hall-nickname', 'Bobík');
      assert.match(await sendOffered(page),
                   /^Bobík, IQ \d+, úroveň 1: Výsledek je zapsán v síni slávy\.$/);
      assert.deepEqual(await hall.filed(), ['Bobík']);
    });
  } finally {
    hall.stop();
  }
});

test('a published set opens by its link, plays offline and files its results in its own hall', async () => {
  const site = copySite(siteFolder, 'set-site');
  fs.writeFileSync(path.join(site, 'zla.txt'), 'level\nbrick 400\n');
  fs.copyFileSync(ONE_BRICK_LEVELS, path.join(site, 'dobra.txt'));
  const hall = await hallServer(['--site', site]);
  const levels = oneBrickLevels(nativeBuild);
  const address = crypto.createHash('sha256').update(levels).digest('hex');
  try {
    await withTab('set-link', null, async (page) => {
      const published = await (await fetch(`${hall.address}/api/level-sets?title=Jedna%20cihla&author=Ada`,
        { method: 'POST', body: levels, headers: { 'Content-Type': 'application/octet-stream' } })).json();
      assert.equal(published.address, address);
      const link = `${hall.address}/play/?levels=${address}`;
      await page.goto(`${hall.address}/`);
      await Promise.all([page.waitForNavigation(), page.click(`a[href="/play/?levels=${address}"]`)]);
      await waitShown(page, '#menu');
      assert.equal(await chosenSet(page), 'Sada Jedna cihla');

      await quitGame(page, 'Ada');
      assert.match(await sendOffered(page), /^Ada, IQ \d+, úroveň 1: Výsledek je zapsán v síni slávy\.$/);
      assert.deepEqual((await hall.results()).map((entry) => [entry.name, entry.levels]),
                       [['Ada', published.levels]]);

      const kept = await storedFiles(page);
      assert.deepEqual(Buffer.from(kept[`level-sets/${address}.ko`]), levels);
      assert.ok(kept[`sets/${address}/players.ko`] && !kept['players.ko'], 'the set keeps its own players');
      await page.goto(`${hall.address}/play/?levels=${hall.address}/play/zla.txt`);
      await waitShown(page, '#page-note');
      assert.match(await textOf(page, '#page-note'), /^Sadu úrovní nelze hrát: sada\.txt:2: brick potřebuje X Y/);
      assert.deepEqual(await storedFiles(page), kept);
      const text = `${hall.address}/play/dobra.txt`;
      await openGame(page, `${hall.address}/play/?levels=${encodeURIComponent(text)}`);
      assert.equal(await chosenSet(page), 'Sada dobra.txt');
      const key = crypto.createHash('sha256').update(text).digest('hex');
      assert.deepEqual(Buffer.from((await storedFiles(page))[`level-sets/${key}.ko`]), levels);

      // Offline: the server stopped, the page and the set come from the browser.
      await openGame(page, link);
      await reloadOffline(page, hall);
      assert.equal(await chosenSet(page), 'Sada Jedna cihla');
      assert.deepEqual(await players(page), ['Ada']);
      await playAndQuit(page, 'Bob');
    });
  } finally {
    await hall.stop();
  }
});
