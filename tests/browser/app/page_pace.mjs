// Measures the page while a game plays at Tick 8000 in Debian's headless Chromium: the game steps
// per second (100 is the pace) and the CPU share of all Chromium's processes, over 10 seconds.
// A measurement, not a test: it prints, and a loaded machine changes what it prints.
//
// usage: node page_pace.mjs SITE_DIR        (after browser/tests/run.sh installed puppeteer-core)
import fs from 'node:fs';
import path from 'node:path';
import { execFileSync } from 'node:child_process';
import { launch, newTab, serve, waitShown } from '../../../browser/tests/browser.mjs';
import { newPlayer, openGame, runSteps } from '../../../browser/tests/game.mjs';

const MEASURED_MILLIS = 10000;
const site = path.resolve(process.argv[2]);

// CPU seconds (user and system) of a process and all its descendants.
function cpuSeconds(root) {
  const lines = execFileSync('ps', ['-e', '-o', 'pid=,ppid=']).toString().trim().split('\n');
  const pairs = lines.map((line) => line.trim().split(/\s+/).map(Number));
  const family = new Set([root]);
  for (let grew = true; grew;) {
    grew = false;
    for (const [pid, parent] of pairs) {
      if (family.has(parent) && !family.has(pid)) {
        family.add(pid);
        grew = true;
      }
    }
  }
  let ticks = 0;
  for (const pid of family) {
    try {
      const fields = fs.readFileSync(`/proc/${pid}/stat`, 'utf8').split(') ')[1].split(' ');
      ticks += Number(fields[11]) + Number(fields[12]);  // utime, stime
    } catch {
      // the process ended meanwhile
    }
  }
  return ticks / 100;
}

const server = await serve(site);
const browser = await launch('pace');
try {
  const page = await newTab(browser);
  await openGame(page, server.url);
  await newPlayer(page, 'Pace');
  await page.click('#menu-start');
  await waitShown(page, '#game');
  await page.keyboard.press('Space');
  await page.keyboard.press('Space');
  await runSteps(page, 100);
  const cpuBefore = cpuSeconds(browser.process().pid);
  const { steps, millis } = await page.evaluate((duration) => new Promise((resolve) => {
    const firstSteps = window.zapwallSteps();
    const start = performance.now();
    setTimeout(() => resolve({ steps: window.zapwallSteps() - firstSteps,
                               millis: performance.now() - start }), duration);
  }), MEASURED_MILLIS);
  const cpu = cpuSeconds(browser.process().pid) - cpuBefore;
  console.log(`steps per second: ${(steps * 1000 / millis).toFixed(2)}`);
  console.log(`Chromium's CPU: ${(cpu * 100000 / millis).toFixed(1)} % of a core ` +
              `(${(cpu * 1e6 / steps).toFixed(0)} µs a step)`);
} finally {
  await browser.close();
  server.stop();
}
