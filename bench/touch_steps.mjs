// SPDX-License-Identifier: GPL-3.0-or-later
// The page's steps a second while a finger steers, on a phone-sized touch screen (844 × 390), with
// Chromium's CPU throttled 1×, 4× and 6×, as bench/README.md reports them. The player is
// *QUORN*, who never loses a ball, so the game runs for the whole measurement; the finger stays
// on the field and moves up and down every 50 ms. Each rate is measured for MEASURED_SECONDS after
// SETTLE_SECONDS, in every round; the pacer's rule is 100 steps a second.
//
//   scripts/install-node-modules
//   node bench/touch_steps.mjs SITE [ROUNDS]       e.g. build-web/site 3
//
// It prints each measurement as it goes, then the medians and ranges as a Markdown table.
import { setTimeout as sleep } from 'node:timers/promises';
import { launch, newTab, serve, waitShown } from '../browser/tests/browser.mjs';
import { newPlayer, onGameScreen } from '../browser/tests/game.mjs';

const RATES = [1, 4, 6];
const SETTLE_SECONDS = 2;
const MEASURED_SECONDS = 10;
const [site] = process.argv.slice(2, 3);
const rounds = Number(process.argv[3] || 3);
if (!site || !(rounds > 0)) {
  console.error('usage: node bench/touch_steps.mjs SITE [ROUNDS]');
  process.exit(2);
}

// Steps a second at `rate`, the finger moving between two heights of the field meanwhile.
async function stepsPerSecond(page, cdp, rate) {
  await cdp.send('Emulation.setCPUThrottlingRate', { rate });
  const high = await onGameScreen(page, 316, 16 + 150);
  const low = await onGameScreen(page, 316, 16 + 350);
  await page.touchscreen.touchStart(high.x, high.y);
  let moving = true;
  const mover = (async () => {
    for (let i = 0; moving; i++) {
      const at = i % 2 ? low : high;
      await page.touchscreen.touchMove(at.x, at.y);
      await sleep(50);
    }
  })();
  await sleep(SETTLE_SECONDS * 1000);
  const from = await page.evaluate(() => window.zapwallSteps());
  const began = performance.now();
  await sleep(MEASURED_SECONDS * 1000);
  const to = await page.evaluate(() => window.zapwallSteps());
  const seconds = (performance.now() - began) / 1000;
  moving = false;
  await mover;
  await page.touchscreen.touchEnd();
  await cdp.send('Emulation.setCPUThrottlingRate', { rate: 1 });
  return (to - from) / seconds;
}

const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  const middle = Math.floor(sorted.length / 2);
  return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
};

const server = await serve(site);
const figures = Object.fromEntries(RATES.map((rate) => [rate, []]));
try {
  for (let round = 1; round <= rounds; round++) {
    const browser = await launch('touch-steps');
    try {
      const page = await newTab(browser);
      await page.setViewport({ width: 844, height: 390, deviceScaleFactor: 3, isMobile: true,
                               hasTouch: true });
      await page.goto(server.url);
      await waitShown(page, '#menu');
      await newPlayer(page, '*QUORN*');
      await page.tap('#menu-start');
      await waitShown(page, '#game');
      const serveAt = await onGameScreen(page, 216, 216);
      await page.touchscreen.tap(serveAt.x, serveAt.y);
      const cdp = await page.createCDPSession();
      for (const rate of RATES) {
        const steps = await stepsPerSecond(page, cdp, rate);
        figures[rate].push(steps);
        console.log(`round ${round}, CPU ${rate}×: ${steps.toFixed(1)} steps a second`);
      }
    } finally {
      await browser.close();
    }
  }
} finally {
  server.stop();
}
console.log('\n| CPU | steps a second, median | range |\n|---|---|---|');
for (const rate of RATES) {
  const values = figures[rate];
  console.log(`| ${rate}× | ${median(values).toFixed(1)} | ` +
              `${Math.min(...values).toFixed(1)}–${Math.max(...values).toFixed(1)} |`);
}
