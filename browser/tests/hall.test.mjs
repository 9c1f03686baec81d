// SPDX-License-Identifier: GPL-3.0-or-later
// Sending a result to a hall server from the page, only on the player's yes: the server's address
// set through the page's "Server síně slávy" button is kept across a reload; a game quit and its offer
// refused leaves a local zapwall-hall-server (SQLite, on a port of its own, so the sends cross
// origins) with nothing; the next game, sent under a nickname typed over the roster's name, is
// filed there, its replay played by the server to the same result.
//
// usage: node hall.test.mjs SITE_DIR NATIVE_BUILD_DIR
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import path from 'node:path';
import { test } from 'node:test';
import { temporaryFolder, waitShown, withTab } from './browser.mjs';
import { openGame, runSteps, startGame } from './game.mjs';

const [site, nativeBuild] = process.argv.slice(2).map((folder) => path.resolve(folder));

// The hall server on a free port; its address comes from its "listening on" line.
async function hallServer() {
  const server = spawn(path.join(nativeBuild, 'zapwall-hall-server'),
                       ['--port', '0', '--sqlite', path.join(temporaryFolder('hall'), 'hall.sqlite')],
                       { stdio: ['ignore', 'pipe', 'inherit'] });
  const address = await new Promise((resolve, reject) => {
    let said = '';
    server.stdout.on('data', (chunk) => {
      said += chunk;
      const match = /listening on (http:\S+?)\/?\n/.exec(said);
      if (match) resolve(match[1]);
    });
    server.on('exit', (code) => reject(new Error(`zapwall-hall-server ended (${code}): ${said}`)));
  });
  const filed = async () => (await (await fetch(`${address}/api/results`)).json()).results
    .map((entry) => entry.name);
  return { address, filed, stop: () => server.kill() };
}

// Plays a new game as NAME, quits it with Esc and waits for the offer.
async function quitGame(page, name) {
  await startGame(page, name);
  await page.keyboard.press('Space');
  await runSteps(page, 2);
  await page.keyboard.press('Escape');
  await page.waitForSelector('#zapwall-hall[open]');
}

test('a result goes to the hall server only on a yes', async () => {
  const hall = await hallServer();
  try {
    await withTab('hall', site, async (page, url) => {
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
      await page.click('#zapwall-hall-send');
      await page.waitForSelector('#zapwall-hall[data-done]');
      assert.match(await page.$eval('#zapwall-hall-answers', (p) => p.textContent),
                   /^Bobík, IQ \d+, úroveň 1: Výsledek je zapsán v síni slávy\.$/);
      assert.deepEqual(await hall.filed(), ['Bobík']);
    });
  } finally {
    hall.stop();
  }
});
