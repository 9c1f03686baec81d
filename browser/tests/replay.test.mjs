// SPDX-License-Identifier: GPL-3.0-or-later
// Replays between the desktop and the browser: a game recorded by the native zapwall-sim,
// watched in the page to its end, leaves the field pixel for pixel as the native
// `zapwall-sim --replay FILE --frame` draws it (compared by the native build's same_pixels); the
// same replay brought in through "Soubory" is kept among the player's replays and watched from
// there.
//
// usage: node replay.test.mjs SITE_DIR NATIVE_BUILD_DIR
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { test } from 'node:test';
import { copySite, run, temporaryFolder, waitShown, withTab } from './browser.mjs';
import { chooseForImport, importAndRestart, nativeData, openFiles, openGame } from './game.mjs';

const [site, nativeBuild] = process.argv.slice(2).map((folder) => path.resolve(folder));
const zapwallSim = path.join(nativeBuild, 'zapwall-sim');

// Start, release the ball, a bat moving up and down, a pause, and the quit: under two seconds at
// Tick 8000 (100 steps a second).
const INPUT = ['0 keydown 32', '5 keydown 32', '20 keydown 38', '60 keyup 38', '70 keydown 80',
               '71 keydown 80', '80 keydown 40', '120 keyup 40', '150 keydown 27'].join('\n');

test('a desktop replay watched in the page ends on the native picture of the field', async () => {
  const served = copySite(site, 'replay');
  const work = temporaryFolder('replay-native');
  const data = nativeData(site, path.join(work, 'data'));
  fs.writeFileSync(path.join(work, 'input.txt'), `${INPUT}\n`);
  const replay = path.join(served, 'desktop.zapwall-replay');
  run(zapwallSim, ['--data', data, '--input', path.join(work, 'input.txt'), '--tick', '8000',
                   '--steps', '400', '--record', replay]);
  const native = path.join(work, 'native.png');
  run(zapwallSim, ['--replay', replay, '--data', data, '--frame', native]);

  await withTab('replay', served, async (page, url) => {
    await page.goto(`${url}?replay=desktop.zapwall-replay`);
    await waitShown(page, '#game');
    await waitShown(page, '#end');
    const shown = path.join(work, 'shown.png');
    const png = await page.$eval('#field', (field) => field.toDataURL('image/png'));
    fs.writeFileSync(shown, Buffer.from(png.slice(png.indexOf(',') + 1), 'base64'));
    run(path.join(nativeBuild, 'same_pixels'), [native, shown]);

    // Brought in through "Soubory", the same file is kept among the player's replays...
    await openGame(page, url);
    await openFiles(page);
    const [checked] = await chooseForImport(page, [replay]);
    assert.ok(checked.accepted, checked.text);
    await importAndRestart(page);
    await openFiles(page);
    assert.deepEqual(
      await page.$$eval('#zapwall-files-replays li', (items) => items.map((li) => li.dataset.file)),
      ['replays/desktop.zapwall-replay']);
    // and is watched from there to its end.
    await page.click('#zapwall-files-replays li button:not(.zapwall-files-download)');
    await waitShown(page, '#game');
    await waitShown(page, '#end');
  });
});
