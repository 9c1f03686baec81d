// SPDX-License-Identifier: GPL-3.0-or-later
// What the browser tests share: the site served as ./web serves it (browser/site/serve.py, with
// its gzip copies) on a free port, Debian's Chromium started headless through puppeteer-core
// with a fresh profile for each test, and the waits on the page's own state (never on the clock).
import assert from 'node:assert/strict';
import { spawn, execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import puppeteer from 'puppeteer-core';

const SERVER = fileURLToPath(new URL('../site/serve.py', import.meta.url));

const CHROMIUM = process.env.ZAPWALL_CHROMIUM || '/usr/bin/chromium';
const CHROMIUM_FLAGS = [
  '--headless',
  '--no-sandbox',
  '--disable-gpu',
  '--disable-quic',
  '--no-first-run',
  '--disable-background-networking',
  '--disable-component-update',
  '--disable-sync',
];

// A temporary folder removed when the test run ends.
const temporaryFolders = [];
process.on('exit', () => {
  for (const folder of temporaryFolders) fs.rmSync(folder, { recursive: true, force: true });
});
export function temporaryFolder(tag) {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), `zapwall-${tag}-`));
  temporaryFolders.push(folder);
  return folder;
}

// A copy of the site, so that a test can change its data folder.
export function copySite(site, tag) {
  const copy = temporaryFolder(tag);
  fs.cpSync(site, copy, { recursive: true });
  return copy;
}

// Starts a server, `program` with `args`, and resolves once its output has matched `pattern`
// with the address the match's first group gives and `stop()`, which resolves once it has ended.
export async function startServer(program, args, pattern, stderr = 'inherit') {
  const server = spawn(program, args, { stdio: ['ignore', 'pipe', stderr] });
  const ended = new Promise((resolve) => server.once('exit', resolve));
  const address = await new Promise((resolve, reject) => {
    let said = '';
    server.stdout.on('data', (chunk) => {
      said += chunk;
      const match = pattern.exec(said);
      if (match) resolve(match[1]);
    });
    server.on('exit', (code) => reject(new Error(`${program} ended (${code}): ${said}`)));
  });
  server.stdout.resume();
  return {
    address,
    stop: () => {
      server.kill();
      return ended;
    },
  };
}

// Serves `folder` on 127.0.0.1 and a port the system picks, which the server's first line names.
export async function serve(folder) {
  const { address, stop } = await startServer('python3', ['-u', SERVER, folder, '0'], /port (\d+)/,
                                              'ignore');
  return { url: `http://127.0.0.1:${address}/`, stop };
}

// Chromium with a profile of its own (or `profile`, a folder another run used) and the flags
// of every test, then `flags`.
export async function launch(tag, flags = [], profile = temporaryFolder(`${tag}-profile`)) {
  return puppeteer.launch({
    executablePath: CHROMIUM,
    headless: false,  // the flag itself is in the list, as Debian's Chromium takes it
    userDataDir: profile,
    args: [...CHROMIUM_FLAGS, ...flags],
  });
}

// Serves `folder` (unless it is null: the body opens pages served otherwise) and starts a browser
// with one tab (of `viewport`, if given) for `body(page, url, server)`, which must leave the page
// without an uncaught error; the browser and the server end whatever happens (the body may stop
// the server itself).
export async function withTab(tag, folder, body, viewport) {
  const server = folder === null ? null : await serve(folder);
  const browser = await launch(tag);
  try {
    const page = await newTab(browser);
    if (viewport) await page.setViewport(viewport);
    await body(page, server?.url, server);
    assert.deepEqual(page.errors, [], 'the page raised no error');
  } finally {
    await browser.close();
    await server?.stop();
  }
}

// Ends the browser as a phone ends a tab in the background: at once, the page told nothing.
// Resolves once its process is gone, so that the profile can be opened again.
export async function killBrowser(browser) {
  const process = browser.process();
  if (process.exitCode !== null || process.signalCode !== null) return;
  const gone = new Promise((resolve) => process.once('exit', resolve));
  process.kill('SIGKILL');
  await gone;
}

// How long a wait for a condition on a page may take before the test fails. A busy machine
// plays the page well below its pace, so the deadline only catches a page that never gets there.
const PATIENCE_MS = 180_000;

// A new tab whose uncaught errors fail the test.
export async function newTab(browser) {
  const page = await browser.newPage();
  page.setDefaultTimeout(PATIENCE_MS);
  page.errors = [];
  page.on('pageerror', (error) => page.errors.push(error));
  return page;
}

// Sends the tab's downloads to `folder`; `downloaded(name)` resolves with the file's bytes once
// Chromium says it is complete.
export async function catchDownloads(page, folder) {
  const session = await page.browser().target().createCDPSession();
  await session.send('Browser.setDownloadBehavior',
                     { behavior: 'allowAndName', downloadPath: folder, eventsEnabled: true });
  const names = new Map();
  const waiting = new Map();
  session.on('Browser.downloadWillBegin', (event) => names.set(event.guid, event.suggestedFilename));
  session.on('Browser.downloadProgress', (event) => {
    if (event.state !== 'completed') return;
    const name = names.get(event.guid);
    const bytes = fs.readFileSync(path.join(folder, event.guid));
    waiting.get(name)?.(bytes);
  });
  return (name) => new Promise((resolve) => waiting.set(name, resolve));
}

// Whether the element is shown: there, not hidden itself nor inside a hidden one.
export async function waitShown(page, selector) {
  await page.waitForFunction((s) => {
    const found = document.querySelector(s);
    return found && found.checkVisibility();
  }, {}, selector);
}

// Runs a native tool, its output as text; a failure throws with what it said.
export function run(program, args) {
  return execFileSync(program, args, { encoding: 'utf8', stdio: ['ignore', 'pipe', 'pipe'] });
}
