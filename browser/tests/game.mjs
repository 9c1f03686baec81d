// SPDX-License-Identifier: GPL-3.0-or-later
// The game's page as a player uses it (the element ids are those of browser/page/index.html), and
// the player's files as the desktop game writes them.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { copySite, run, temporaryFolder, waitShown } from './browser.mjs';

// --- Files in the desktop's formats ---------------------------------------------------------

// The committed files of the desktop's tests: a roster of two players as the desktop writes it
// (Ada, and Bara without spare balls), and two levels of one breakable brick each.
const testFile = (name) => fileURLToPath(new URL(`../../tests/lib/${name}`, import.meta.url));
export const TWO_PLAYERS = testFile('two_players.ko');
export const ONE_BRICK_LEVELS = testFile('one_brick_levels.txt');

// players.ko's players: after the highest index, each one's name (its length, then each letter's
// Windows-1250 code plus 2; the names here are ASCII), spare balls, IQ and level.
export function parseRoster(bytes) {
  const values = [];
  for (let i = 0; i + 1 < bytes.length; i += 2) values.push(bytes.readInt16LE(i));
  const players = [];
  let at = 1;
  for (let i = 0; i <= values[0]; ++i) {
    const length = values[at++];
    const name = String.fromCharCode(...values.slice(at, at + length).map((code) => code - 2));
    at += length;
    players.push({ name, balls: values[at], iq: values[at + 1], level: values[at + 2] });
    at += 3;
  }
  return players;
}

// levels.ko of ONE_BRICK_LEVELS, which the desktop's end-to-end test plays too, compiled by the
// native build's zapwall-data.
export function oneBrickLevels(nativeBuild) {
  const levels = path.join(temporaryFolder('levels'), 'levels.ko');
  run(path.join(nativeBuild, 'zapwall-data'), ['levels', 'compile', ONE_BRICK_LEVELS, levels]);
  return fs.readFileSync(levels);
}

// A copy of the site whose game plays `levels`.
export function siteWithLevels(site, tag, levels) {
  const copy = copySite(site, tag);
  fs.writeFileSync(path.join(copy, 'data', 'levels.ko'), levels);
  return copy;
}

// A data folder for the native tools with the site's data and, when given, other levels.
export function nativeData(site, folder, levels) {
  fs.cpSync(path.join(site, 'data'), folder, { recursive: true });
  if (levels) fs.writeFileSync(path.join(folder, 'levels.ko'), levels);
  return folder;
}

// Watches the page's `replay` natively over the site's data with `levels`: the game it saves
// must leave the very `roster` the page stored.
export function replaysNatively(zapwallSim, site, levels, replay, roster) {
  const folder = temporaryFolder('native');
  const data = nativeData(site, path.join(folder, 'data'), levels);
  const file = path.join(folder, 'game.zapwall-replay');
  fs.writeFileSync(file, replay);
  run(zapwallSim, ['--replay', file, '--data', data, '--save']);
  assert.deepEqual(fs.readFileSync(path.join(data, 'players.ko')), roster);
}

// --- The page ---------------------------------------------------------------------------

export async function openGame(page, url) {
  await page.goto(url);
  await waitShown(page, '#menu');
}

export async function reloadGame(page) {
  await page.reload();
  await waitShown(page, '#menu');
}

// Reloads the page once its service worker controls it, with the server stopped: the page then
// comes from the service worker's cache alone.
export async function reloadOffline(page, server) {
  await page.waitForFunction(() => navigator.serviceWorker.controller !== null);
  await server.stop();
  await reloadGame(page);
}

export function textOf(page, selector) {
  return page.$eval(selector, (element) => element.textContent);
}

// The names in the menu's player list.
export function players(page) {
  return page.$$eval('#player-list option', (options) => options.map((option) => option.textContent));
}

export async function newPlayer(page, name) {
  const before = (await players(page)).length;
  await page.type('#name-box', name);
  await page.keyboard.press('Enter');
  await page.waitForFunction((count) => document.querySelectorAll('#player-list option').length > count,
                             {}, before);
}

// Chooses the player `name` in the menu's list, which keeps the focus.
export async function choosePlayer(page, name) {
  await page.select('#player-list', name);
  await page.focus('#player-list');
}

// Makes the player `name` in the menu and starts a game as them, the field focused.
export async function startGame(page, name) {
  await newPlayer(page, name);
  await page.click('#menu-start');
  await waitShown(page, '#game');
  await page.focus('#field');
}

// Plays a new game as `name` for `count` steps after the ball's release, and quits it with Esc.
export async function playAndQuit(page, name, count = 5) {
  await startGame(page, name);
  await page.keyboard.press('Space');
  await runSteps(page, count);
  await page.keyboard.press('Escape');
  await waitShown(page, '#end');
}

// Drops files ({ name, bytes }) on the element `selector`, as a file manager's drag does.
export function dropFiles(page, selector, files) {
  return page.evaluate((target, list) => {
    const transfer = new DataTransfer();
    for (const { name, bytes } of list) transfer.items.add(new File([new Uint8Array(bytes)], name));
    document.querySelector(target).dispatchEvent(
      new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true }));
  }, selector, files.map(({ name, bytes }) => ({ name, bytes: [...bytes] })));
}

// A point of the game screen's client area (its pixels) in the page's CSS pixels.
export function onGameScreen(page, x, y) {
  return page.$eval('#game-screen', (screen, at) => {
    const { left, top, width } = screen.getBoundingClientRect();
    const scale = width / screen.offsetWidth;
    return { x: left + at.x * scale, y: top + at.y * scale };
  }, { x, y });
}

export function steps(page) {
  return page.evaluate(() => window.zapwallSteps());
}

// Waits until the game has run `more` steps beyond now.
export async function runSteps(page, more) {
  const from = await steps(page);
  await page.waitForFunction((until) => window.zapwallSteps() >= until, { polling: 'raf' },
                             from + more);
}

// --- The "Soubory" dialog -------------------------------------------------------------------

export async function openFiles(page, how = 'click') {
  await page[how]('#zapwall-files-button');
  await page.waitForSelector('#zapwall-files[open]');
}

// Downloads a stored file (a path relative to the player's folder) through the dialog.
export async function download(page, downloaded, file) {
  const done = downloaded(path.basename(file));
  await page.click(`#zapwall-files [data-file="${file}"] .zapwall-files-download`);
  return done;
}

// Gives files to the import, through the file picker or dropped on the dialog; resolves with
// each checked file's verdict once all are checked.
export async function chooseForImport(page, files, how = 'pick') {
  const before = await page.$$eval('#zapwall-files-checked li', (items) => items.length);
  if (how === 'pick') {
    await (await page.$('#zapwall-files-pick')).uploadFile(...files);
  } else {
    await dropFiles(page, '#zapwall-files-drop', files.map((file) =>
      ({ name: path.basename(file), bytes: fs.readFileSync(file) })));
  }
  await page.waitForFunction((count) =>
    document.querySelectorAll('#zapwall-files-checked li').length >= count, {},
  before + files.length);
  const items = await page.$$eval('#zapwall-files-checked li', (list) =>
    list.map((item) => ({ accepted: item.className === 'accepted', text: item.textContent })));
  return items.slice(before);
}

// Imports the accepted files; the page starts again from what is stored.
export async function importAndRestart(page) {
  await Promise.all([page.waitForNavigation(), page.click('#zapwall-files-import')]);
  await waitShown(page, '#menu');
}

// What IndexedDB holds: path → bytes (as an array of numbers), read in the page.
function readStoredFiles() {
  return new Promise((resolve, reject) => {
    const open = indexedDB.open('zapwall');
    open.onerror = () => reject(open.error);
    open.onsuccess = () => {
      const store = open.result.transaction('files').objectStore('files');
      const keys = store.getAllKeys();
      const values = store.getAll();
      values.onsuccess = () => {
        const files = {};
        keys.result.forEach((key, i) => { files[key] = Array.from(values.result[i]); });
        open.result.close();
        resolve(files);
      };
    };
  });
}

export function storedFiles(page) {
  return page.evaluate(readStoredFiles);
}

// Waits until what IndexedDB holds passes `holds(files)`, a function run in the page.
export function waitStored(page, holds) {
  return page.waitForFunction(`(${readStoredFiles})().then(${holds})`);
}

// Puts files into IndexedDB as the page stores them (path → bytes as an array of numbers), from a
// document of the site that is not the game, so that no game closing meanwhile saves over them.
export async function storeFiles(page, url, files) {
  await page.goto(`${url}site-version.js`);
  await page.evaluate((list) => new Promise((resolve, reject) => {
    const open = indexedDB.open('zapwall', 1);
    open.onupgradeneeded = () => open.result.createObjectStore('files');
    open.onerror = () => reject(open.error);
    open.onsuccess = () => {
      const transaction = open.result.transaction('files', 'readwrite');
      for (const [key, bytes] of Object.entries(list)) {
        transaction.objectStore('files').put(new Uint8Array(bytes), key);
      }
      transaction.oncomplete = () => { open.result.close(); resolve(); };
      transaction.onerror = () => reject(transaction.error);
    };
  }), files);
}
