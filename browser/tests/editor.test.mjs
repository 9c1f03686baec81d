// SPDX-License-Identifier: GPL-3.0-or-later
// The level editor in the page, by mouse at 1366 × 768 and by touch on a phone on its side: each
// makes a two-level set (placing, a row, a selection moved, undo and redo, a level named and
// moved) whose downloaded levels.ko is byte for byte what the native `zapwall-data levels
// compile` makes of its downloaded text; a set the game would refuse shows why and is never kept;
// a set kept in the browser opens again with its text as it was; the test play plays the level
// shown with a test player, touches none of the player's files and returns to the editor.
//
// usage: node editor.test.mjs SITE_DIR NATIVE_BUILD_DIR [SCREENSHOT_DIR]
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { test } from 'node:test';
import { catchDownloads, run, temporaryFolder, waitShown, withTab } from './browser.mjs';
import { ONE_BRICK_LEVELS, openGame, parseRoster, playAndQuit, players, replaysNatively, storedFiles,
         textOf } from './game.mjs';

const [site, nativeBuild, shots] = process.argv.slice(2).map((folder) => path.resolve(folder));
const zapwallData = path.join(nativeBuild, 'zapwall-data');
const zapwallSim = path.join(nativeBuild, 'zapwall-sim');
const DESKTOP = { width: 1366, height: 768 };
const PHONE = { width: 844, height: 390, deviceScaleFactor: 3, isMobile: true, hasTouch: true };
const CELL = [20, 25];

const editorState = (page) => page.evaluate(() => window.ZapwallLevelEditor.state());
const brickCount = async (page) => (await editorState(page)).bricks.length;

async function openEditor(page, url, how = 'click') {
  await openGame(page, url);
  await waitShown(page, '#zapwall-editor-button');
  await page[how]('#zapwall-editor-button');
  await waitShown(page, '#editor-field');
}

// The page's point (CSS pixels) of the middle of the field's grid cell (column, row).
async function cell(page, column, row) {
  const box = await (await page.$('#editor-field')).boundingBox();
  const factor = box.width / 495;
  return { x: box.x + (column + 0.5) * CELL[0] * factor, y: box.y + (row + 0.5) * CELL[1] * factor };
}

async function mouseDrag(page, from, to) {
  const [a, b] = [await cell(page, ...from), await cell(page, ...to)];
  await page.mouse.move(a.x, a.y);
  await page.mouse.down();
  await page.mouse.move(b.x, b.y, { steps: 8 });
  await page.mouse.up();
}

// Ctrl and `letter` on the keyboard.
async function ctrl(page, letter) {
  await page.keyboard.down('Control');
  await page.keyboard.press(letter);
  await page.keyboard.up('Control');
}

// A new set opened from the device's `file`, the old one given up.
async function openFile(page, file, how = 'click') {
  await page[how]('#editor-new');
  if (await page.$('#editor-yes')) await page[how]('#editor-yes');
  const [chooser] = await Promise.all([page.waitForFileChooser(), page[how]('#editor-open')]);
  await chooser.accept([file]);
}

async function fingerDrag(page, from, to) {
  const [a, b] = [await cell(page, ...from), await cell(page, ...to)];
  await page.touchscreen.touchStart(a.x, a.y);
  for (let i = 1; i <= 8; ++i) await page.touchscreen.touchMove(a.x + (b.x - a.x) * i / 8, a.y + (b.y - a.y) * i / 8);
  await page.touchscreen.touchEnd();
}

// Answers the editor's text box (a level's title) with `text`.
async function answer(page, text, how) {
  await waitShown(page, '#editor-answer');
  await page.$eval('#editor-answer', (input) => { input.value = ''; });
  await page.type('#editor-answer', text);
  await page[how]('#editor-answer-ok');
  await page.waitForFunction(() => !document.querySelector('#editor-answer')?.checkVisibility());
}

// The editor's message, closed with OK.
async function message(page) {
  await waitShown(page, '#editor-ok');
  const said = await textOf(page, '#editor-box .editor-message');
  await page.click('#editor-ok');
  return said;
}

const at = (column, row) => [column * CELL[0], row * CELL[1]];
const placesOf = (state) => state.bricks.map(([x, y]) => [x, y]).sort((a, b) => a[1] - b[1] || a[0] - b[0]);

// Downloads the set as text and as levels.ko: the latter must be what the native compiler makes
// of the former. Returns the text.
async function downloadsAgree(page, name) {
  const folder = temporaryFolder('editor-downloads');
  const downloaded = await catchDownloads(page, folder);
  const textDone = downloaded(`${name}.txt`);
  await page.click('#editor-download-text');
  const text = await textDone;
  const compiledDone = downloaded(`${name}.ko`);
  await page.click('#editor-download-ko');
  const compiled = await compiledDone;
  const textFile = path.join(folder, 'set.txt');
  const nativeFile = path.join(folder, 'native.ko');
  fs.writeFileSync(textFile, text);
  run(zapwallData, ['levels', 'compile', textFile, nativeFile]);
  assert.deepEqual(compiled, fs.readFileSync(nativeFile), 'levels.ko as zapwall-data compiles it');
  return text.toString();
}

const SHIPPED_LEVELS = new URL('../../assets/levels.txt', import.meta.url).pathname;

// With a screenshot folder, a picture of the editor on the game's own set: its level 20 with a
// band of bricks chosen.
async function screenshot(page, name, how) {
  if (!shots) return;
  await openFile(page, SHIPPED_LEVELS, how);
  await page.waitForFunction(() => window.ZapwallLevelEditor.state().levels.length > 20);
  await page.$eval('#editor-levels li[data-level="19"]', (line) => line.click());
  await page.click('#editor-tool-select');
  await mouseDrag(page, [2, 4], [9, 8]);
  await page.screenshot({ path: path.join(shots, name) });
}

test('a two-level set made by mouse, downloaded as the native compiler makes it', async () => {
  await withTab('editor-mouse', site, async (page, url) => {
    await openEditor(page, url);
    await page.click('.editor-cell[data-picture="1"]');
    const start = await cell(page, 1, 1);
    await page.mouse.click(start.x, start.y);                 // a brick placed
    await mouseDrag(page, [0, 3], [5, 3]);                     // a row of six
    assert.equal(await brickCount(page), 1 + 1 + 6);
    await page.click('#editor-tool-select');
    await page.mouse.click(start.x, start.y);                  // the brick selected ...
    await mouseDrag(page, [1, 1], [3, 2]);                     // ... and moved two cells right, one down
    const moved = placesOf(await editorState(page));
    assert.deepEqual(moved.slice(0, 1), [at(3, 2)]);
    // Undo and redo, by their buttons and by Ctrl+Z / Ctrl+Y.
    await page.click('#editor-undo');
    assert.deepEqual(placesOf(await editorState(page)).slice(0, 1), [at(1, 1)]);
    await page.click('#editor-redo');
    assert.deepEqual(placesOf(await editorState(page)), moved);
    await page.focus('#editor-field');
    for (const [letter, place] of [['z', at(1, 1)], ['y', at(3, 2)]]) {
      await ctrl(page, letter);
      assert.deepEqual(placesOf(await editorState(page)).slice(0, 1), [place]);
    }
    // Copied and pasted where the mouse is, and deleted.
    await ctrl(page, 'c');
    const target = await cell(page, 8, 8);
    await page.mouse.move(target.x, target.y);
    await ctrl(page, 'v');
    assert.ok(placesOf(await editorState(page)).map(String).includes(String(at(8, 8))));
    await page.click('#editor-delete');
    assert.equal(await brickCount(page), 8);
    // A second level, named and moved before the first.
    await page.click('#editor-level-add');
    await page.click('#editor-tool-draw');
    const second = await cell(page, 10, 10);
    await page.mouse.click(second.x, second.y);
    await page.click('#editor-level-rename');
    await answer(page, 'Druhá #zkouška', 'click');             // '#' would begin a comment
    assert.match(await message(page), /^Název „Druhá #zkouška“ by se v textu sady nezachoval/);
    await page.click('#editor-level-rename');
    await answer(page, 'Druhá zkouška', 'click');
    await page.click('#editor-level-up');
    // The keyboard's cell, where the mouse last pressed: the arrows move it, Space places and
    // Backspace removes.
    await page.focus('#editor-field');
    for (const key of ['ArrowRight', 'ArrowRight', 'ArrowDown', 'Space']) await page.keyboard.press(key);
    assert.deepEqual(placesOf(await editorState(page)), [at(10, 10), at(12, 11)]);
    await page.keyboard.press('Backspace');
    const state = await editorState(page);
    assert.deepEqual(state.levels, [['Druhá zkouška', 1], ['', 8]]);
    assert.equal(state.problemCount, 0);
    const text = await downloadsAgree(page, 'nova-sada');
    assert.match(text, /^level Druhá zkouška$/m);
    await screenshot(page, 'browser-editor-1366x768.png', 'click');
  }, DESKTOP);
});

test('a two-level set made by touch on a phone on its side', async () => {
  await withTab('editor-touch', site, async (page, url) => {
    await openEditor(page, url, 'tap');
    const tap = async (column, row) => {
      const p = await cell(page, column, row);
      await page.touchscreen.tap(p.x, p.y);
    };
    await tap(2, 1);                                           // a tap places
    assert.equal(await brickCount(page), 2);
    await fingerDrag(page, [0, 4], [4, 4]);                    // a drag places a row
    assert.equal(await brickCount(page), 7);
    const held = await cell(page, 2, 1);                       // a finger held still removes
    await page.touchscreen.touchStart(held.x, held.y);
    await page.waitForFunction(() => window.ZapwallLevelEditor.state().bricks.length === 6);
    await page.touchscreen.touchEnd();
    // The select tool: a tap chooses a brick, a drag moves it; the eraser removes by a tap.
    await page.tap('#editor-tool-select');
    await tap(0, 4);
    await fingerDrag(page, [0, 4], [0, 6]);
    const places = placesOf(await editorState(page)).map(String);
    assert.ok(places.includes(String(at(0, 6))) && !places.includes(String(at(0, 4))));
    await page.tap('#editor-tool-erase');
    await tap(1, 4);
    assert.equal(await brickCount(page), 5);
    await page.tap('#editor-undo');
    assert.equal(await brickCount(page), 6);
    await page.tap('#editor-level-duplicate');
    await page.tap('#editor-tool-draw');
    await tap(20, 15);
    await page.tap('#editor-level-rename');
    await answer(page, 'Prstem', 'tap');
    await page.tap('#editor-level-up');
    assert.deepEqual((await editorState(page)).levels, [['Prstem', 7], ['', 6]]);
    // Two fingers edit nothing, however they move.
    const before = await editorState(page);
    const [a, b] = [await cell(page, 7, 7), await cell(page, 12, 9)];
    const session = await page.target().createCDPSession();
    const fingers = (dy) => [{ x: a.x, y: a.y + dy, id: 1 }, { x: b.x, y: b.y + dy, id: 2 }];
    await session.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: fingers(0).slice(0, 1) });
    await session.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: fingers(0) });
    for (let dy = 5; dy <= 40; dy += 5) {
      await session.send('Input.dispatchTouchEvent', { type: 'touchMove', touchPoints: fingers(dy) });
    }
    await session.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
    assert.deepEqual(await editorState(page), before);
    await downloadsAgree(page, 'nova-sada');
    await screenshot(page, 'browser-editor-844x390.png', 'tap');
  }, PHONE);
});

test('a refused set shows why and is not kept; a kept set opens again as it was and is played ' +
     'from the menu with players of its own', async () => {
  await withTab('editor-sets', site, async (page, url) => {
    await openEditor(page, url);
    await page.click('#editor-level-add');                     // a level without bricks
    assert.match(await textOf(page, '#editor-problems'), /Hra odmítne: /);
    await page.click('#editor-keep');
    assert.match(await message(page), /^Sadu nelze uložit, hra by ji odmítla:/);
    await page.click('#editor-download-ko');
    assert.match(await message(page), /^Sadu nelze uložit, hra by ji odmítla:/);
    assert.deepEqual(Object.keys(await storedFiles(page)).filter((f) => f.startsWith('level-sets/')), []);
    // From the device: a levels.ko the game refuses, then a level text, which is kept.
    const refused = path.join(temporaryFolder('editor-refused'), 'prazdna.ko');
    fs.writeFileSync(refused, Buffer.from([0, 0]));
    await openFile(page, refused);
    assert.match(await message(page), /^Soubor prazdna\.ko nelze otevřít:\n./);
    await openFile(page, ONE_BRICK_LEVELS);
    await page.waitForFunction(() => window.ZapwallLevelEditor.state().levels.length === 2);
    await page.click('#editor-keep');
    await page.waitForFunction(() => document.querySelector('#editor-status').textContent.startsWith('Uloženo'));
    const kept = await storedFiles(page);
    assert.deepEqual(Buffer.from(kept['level-sets/one_brick_levels.txt']), fs.readFileSync(ONE_BRICK_LEVELS));
    await openEditor(page, url);
    await page.select('#editor-kept', 'one_brick_levels');
    await page.waitForFunction(() => window.ZapwallLevelEditor.state().levels.length === 2);
    assert.equal(await downloadsAgree(page, 'one_brick_levels'), fs.readFileSync(ONE_BRICK_LEVELS, 'utf8'));
    // Played from the menu: its game's players and replay go to the set's own folder, and the
    // replay plays natively with the set.
    await page.click('#editor-close');
    await page.select('#zapwall-set-choice', 'one_brick_levels');
    await page.waitForFunction(() => window.zapwallPlayedSet() === 'one_brick_levels' &&
                               !document.querySelector('#menu').hidden);
    await playAndQuit(page, 'Ema');
    await page.evaluate(() => window.ZapwallFiles.persist());
    const files = await storedFiles(page);
    assert.deepEqual(parseRoster(Buffer.from(files['players.ko'])), [], 'the game\'s own players');
    const replay = Object.keys(files).find((key) => key.startsWith('sets/one_brick_levels/replays/'));
    replaysNatively(zapwallSim, site, Buffer.from(kept['level-sets/one_brick_levels.ko']),
                    Buffer.from(files[replay]), Buffer.from(files['sets/one_brick_levels/players.ko']));
    await page.click('#end-again');  // on the same set again
    await page.waitForFunction(() => window.zapwallPlayedSet() === 'one_brick_levels' &&
                               !document.querySelector('#menu').hidden);
    assert.deepEqual(await players(page), ['Ema']);
  }, DESKTOP);
});

// On the first frame that shows the level's corner brick, the pixels of the game's field from x =
// 60 to 400 that are not black. The ball, served from the bat at x = 428, may already be among
// them; a virus, which starts at x = 0 and drifts at most half a pixel a step, cannot be yet.
const inkRightOfCorner = async (page) => (await (await page.waitForFunction(() => {
  const canvas = document.querySelector('#field');
  const { data } = canvas.getContext('2d').getImageData(0, 0, 400, canvas.height);
  const inked = (i) => data[i] || data[i + 1] || data[i + 2];
  if (!inked((5 * 400 + 5) * 4)) return false;
  let ink = 0;
  for (let i = 0; i < data.length; i += 4) if ((i / 4) % 400 >= 60 && inked(i)) ++ink;
  return { ink };
}, { polling: 'raf' })).jsonValue()).ink;

test('the test play plays the level shown and returns to the editor', async () => {
  await withTab('editor-play', site, async (page, url) => {
    await openEditor(page, url);
    const first = await cell(page, 10, 9);                     // the new set's own brick goes:
    await page.mouse.click(first.x, first.y, { button: 'right' });
    await page.click('#editor-play');                          // a level the game refuses
    assert.match(await message(page), /^Tuto úroveň hra nepřijme: /);
    const corner = await cell(page, 0, 0);
    await page.mouse.click(corner.x, corner.y);
    assert.deepEqual(placesOf(await editorState(page)), [at(0, 0)]);
    const files = await storedFiles(page);
    await page.click('#editor-play');
    await waitShown(page, '#menu');
    assert.deepEqual(await players(page), ['Zkouška']);
    await page.click('#menu-start');
    await waitShown(page, '#game');
    await page.focus('#field');
    await page.keyboard.press('Space');
    assert.ok(await inkRightOfCorner(page) <= 12 * 12, 'only the edited level\'s one brick');
    await page.keyboard.press('Escape');
    await waitShown(page, '#editor-field');
    assert.deepEqual(placesOf(await editorState(page)), [at(0, 0)]);
    assert.deepEqual(await players(page), []);
    assert.deepEqual(await storedFiles(page), files, 'none of the player\'s files changed');
  }, DESKTOP);
});

