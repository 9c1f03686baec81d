// SPDX-License-Identifier: GPL-3.0-or-later
// The browser edition's CPU share beside the desktop program's, as bench/README.md reports them
// ("In the browser"): in alternating rounds, Debian's headless Chromium watching a replay on the
// site served as ./web serves it, then the desktop program watching the same replay under a fresh
// Xvfb, each for MEASURED seconds after SETTLE seconds (in the pause, after the pause began). Two
// states: `watch`, the game of bench/watch.zapwall-replay playing at Tick 8000, and `paused`, the
// same game in a pause its player made (a copy of the replay cut after its first bat moves, with a
// minute-long pause). The CPU is that of every process of Chromium, and of the program alone
// (Xvfb's own beside it); wake-ups are the context switches of all their threads, per second.
// Each round also measures the page alone in its menu and in the hall of fame, and the browser's
// own floor: a bare page with a canvas of the field's size that moves one small square a display
// frame, beside which the page watching is quoted.
//
//   scripts/install-node-modules
//   node bench/browser_cpu.mjs SITE NATIVE_BUILD [ROUNDS]    e.g. build-web/site build 5
//
// It prints each round as it goes, then medians and ranges as a Markdown table.
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { setTimeout as sleep } from 'node:timers/promises';
import { fileURLToPath } from 'node:url';
import { descendants, usage } from './processes.mjs';
import { copySite, launch, newTab, serve, temporaryFolder, waitShown } from
  '../browser/tests/browser.mjs';

const SETTLE_SECONDS = 3;
const PAUSE_STEP = 430;
// The pause begins PAUSE_STEP steps of 10 ms into the game.
const settleSeconds = (state) => SETTLE_SECONDS + (state === 'paused' ? PAUSE_STEP / 100 : 0);
const MEASURED_SECONDS = 10;
const TICKS_PER_SECOND = 100;  // /proc's clock ticks (getconf CLK_TCK)
// Every browser's profile folder is removed at the exit, each by a listener of its own.
process.setMaxListeners(0);
const here = path.dirname(fileURLToPath(import.meta.url));
const [site, nativeBuild] = process.argv.slice(2, 4).map((folder) => path.resolve(folder));
const rounds = Number(process.argv[4] || 3);
if (!site || !nativeBuild || !(rounds > 0)) {
  console.error('usage: node bench/browser_cpu.mjs SITE NATIVE_BUILD [ROUNDS]');
  process.exit(2);
}

// --- Replays ------------------------------------------------------------------------------------

// FNV-1a 64 of the bytes, as the replay's checksum line has it.
function fnv1a64(bytes) {
  let hash = 0xcbf29ce484222325n;
  for (const byte of bytes) hash = BigInt.asUintN(64, (hash ^ BigInt(byte)) * 0x100000001b3n);
  return hash.toString(16).padStart(16, '0');
}

// The watched replay cut after the inputs of its first PAUSE_STEP steps, then paused by its
// player for a minute and closed once the pause ends.
function pausedReplay(text) {
  const lines = text.split('\n');
  const body = [];
  for (const line of lines) {
    const words = line.split(' ');
    if (/^\d+$/.test(words[0]) && Number(words[0]) > PAUSE_STEP) break;
    body.push(line);
  }
  const millis = PAUSE_STEP * 10;
  body.push(`${PAUSE_STEP} ${millis} keydown 80`, `${PAUSE_STEP} ${millis + 60000} keydown 80`,
            `end ${PAUSE_STEP} ${millis + 60100} closed`, '');
  const joined = body.join('\n');
  return `${joined}checksum ${fnv1a64(Buffer.from(joined))}\n`;
}

const work = temporaryFolder('bench');
const replays = { watch: path.join(here, 'watch.zapwall-replay'),
                  paused: path.join(work, 'paused.zapwall-replay') };
fs.writeFileSync(replays.paused, pausedReplay(fs.readFileSync(replays.watch, 'utf8')));
const served = copySite(site, 'bench-site');
for (const [state, file] of Object.entries(replays)) {
  fs.copyFileSync(file, path.join(served, `${state}.zapwall-replay`));
}
const markup = fs.readFileSync(path.join(site, 'index.html'), 'utf8');
const [, fieldWidth, fieldHeight] = /<canvas id="field" width="(\d+)" height="(\d+)"/.exec(markup);
fs.writeFileSync(path.join(served, 'floor.html'), `<!doctype html>
<canvas id="floor" width="${fieldWidth}" height="${fieldHeight}" style="background: #000"></canvas>
<script>
const drawing = document.getElementById('floor').getContext('2d');
let x = 0;
requestAnimationFrame(function frame() {
  drawing.fillStyle = '#000';
  drawing.fillRect(x, 100, 6, 6);
  x = (x + 3) % ${fieldWidth};
  drawing.fillStyle = '#fff';
  drawing.fillRect(x, 100, 6, 6);
  requestAnimationFrame(frame);
});
</script>
`);

// --- Processes ----------------------------------------------------------------------------------

// Measures `pids()` (looked up again at the end, for processes started meanwhile) over the
// measured seconds: % of one core and wake-ups per second.
async function measure(pids) {
  const before = usage(pids());
  await sleep(MEASURED_SECONDS * 1000);
  const after = usage(pids());
  return { cpu: ((after.ticks - before.ticks) * 100) / TICKS_PER_SECOND / MEASURED_SECONDS,
           wakes: (after.switches - before.switches) / MEASURED_SECONDS };
}

async function page(state) {
  const server = await serve(served);
  const browser = await launch('bench');
  try {
    const tab = await newTab(browser);
    await tab.goto(`${server.url}?replay=${state}.zapwall-replay`);
    await waitShown(tab, '#game');
    await sleep(settleSeconds(state) * 1000);
    const steps = await tab.evaluate(() => window.zapwallSteps());
    const figures = await measure(() => descendants(browser.process().pid));
    const stepped = (await tab.evaluate(() => window.zapwallSteps())) - steps;
    if (tab.errors.length) throw tab.errors[0];
    return { ...figures, steps: stepped / MEASURED_SECONDS };
  } finally {
    await browser.close();
    server.stop();
  }
}

// The page in its menu, or in the hall of fame opened from it, or the bare page of the floor.
async function pageWindow(window) {
  const server = await serve(served);
  const browser = await launch('bench');
  try {
    const tab = await newTab(browser);
    await tab.goto(window === 'floor' ? `${server.url}floor.html` : server.url);
    if (window !== 'floor') await waitShown(tab, '#menu');
    if (window === 'hall') {
      await tab.click('#menu-hall');
      await waitShown(tab, '#hall');
    }
    await sleep(SETTLE_SECONDS * 1000);
    return await measure(() => descendants(browser.process().pid));
  } finally {
    await browser.close();
    server.stop();
  }
}

async function desktop(state) {
  const displayFile = path.join(work, 'display');
  fs.rmSync(displayFile, { force: true });
  const xvfb = spawn('sh', ['-c', `exec Xvfb -displayfd 3 -screen 0 1280x1024x24 3> "${displayFile}"`],
                     { stdio: 'ignore' });
  try {
    while (!fs.existsSync(displayFile) || !fs.readFileSync(displayFile, 'utf8').includes('\n')) {
      await sleep(50);
    }
    const display = fs.readFileSync(displayFile, 'utf8').trim();
    const env = { ...process.env, DISPLAY: `:${display}`, QT_QPA_PLATFORM: 'xcb',
                  SDL_AUDIODRIVER: 'dummy' };
    delete env.WAYLAND_DISPLAY;
    const program = spawn(path.join(nativeBuild, 'zapwall'), ['--replay', replays[state]],
                          { env, stdio: 'ignore' });
    try {
      await sleep(settleSeconds(state) * 1000);
      const server = usage([xvfb.pid]);
      const figures = await measure(() => [program.pid]);
      const serverTicks = usage([xvfb.pid]).ticks - server.ticks;
      return { ...figures, server: (serverTicks * 100) / TICKS_PER_SECOND / MEASURED_SECONDS };
    } finally {
      program.kill();
    }
  } finally {
    xvfb.kill();
  }
}

// --- Rounds -------------------------------------------------------------------------------------

const results = { watch: { page: [], desktop: [] }, paused: { page: [], desktop: [] } };
const windows = { menu: [], hall: [], floor: [] };
for (let round = 1; round <= rounds; ++round) {
  for (const window of Object.keys(windows)) {
    const shown = await pageWindow(window);
    windows[window].push(shown);
    console.log(`round ${round} ${window}: page ${shown.cpu.toFixed(1)} % ` +
                `(${shown.wakes.toFixed(0)} wake-ups/s)`);
  }
  for (const state of ['watch', 'paused']) {
    const shown = await page(state);
    const native = await desktop(state);
    results[state].page.push(shown);
    results[state].desktop.push(native);
    console.log(`round ${round} ${state}: page ${shown.cpu.toFixed(1)} % ` +
                `(${shown.wakes.toFixed(0)} wake-ups/s, ${shown.steps.toFixed(1)} steps/s), ` +
                `desktop ${native.cpu.toFixed(1)} % (${native.wakes.toFixed(0)} wake-ups/s, ` +
                `Xvfb ${native.server.toFixed(1)} %), ` +
                `ratio ${(shown.cpu / native.cpu).toFixed(2)}` +
                (state === 'watch'
                  ? `, to the floor ${(shown.cpu / windows.floor[round - 1].cpu).toFixed(2)}` : ''));
  }
}

function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  const middle = Math.floor(sorted.length / 2);
  return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
}
function figure(values, digits = 1) {
  const low = Math.min(...values).toFixed(digits);
  const high = Math.max(...values).toFixed(digits);
  return `${median(values).toFixed(digits)} (${low}–${high})`;
}

console.log(`\n| median (range) of ${rounds} rounds | watching | paused |`);
console.log('|---|---|---|');
const row = (name, pick, digits) => console.log(
  `| ${name} | ${figure(pick(results.watch), digits)} | ${figure(pick(results.paused), digits)} |`);
row('Chromium, % of one core', (r) => r.page.map((x) => x.cpu));
row('desktop program, % of one core', (r) => r.desktop.map((x) => x.cpu));
row('Xvfb, % of one core', (r) => r.desktop.map((x) => x.server));
row('page ÷ program, same round', (r) => r.page.map((x, i) => x.cpu / r.desktop[i].cpu), 2);
const floorRatios = results.watch.page.map((x, i) => x.cpu / windows.floor[i].cpu);
console.log(`| page ÷ floor, same round | ${figure(floorRatios, 2)} | |`);
row('Chromium, wake-ups a second', (r) => r.page.map((x) => x.wakes), 0);
row('desktop program, wake-ups a second', (r) => r.desktop.map((x) => x.wakes), 0);
row('page, steps a second', (r) => r.page.map((x) => x.steps), 2);
const WINDOW_NAMES = { menu: 'in the menu', hall: 'in the hall of fame',
                       floor: 'on the bare page (the floor)' };
for (const [window, figures] of Object.entries(windows)) {
  console.log(`| Chromium ${WINDOW_NAMES[window]}, % of one core / ` +
              `wake-ups a second | ${figure(figures.map((x) => x.cpu))} / ` +
              `${figure(figures.map((x) => x.wakes), 0)} | |`);
}
