// SPDX-License-Identifier: GPL-3.0-or-later
// The menu's first picture in a new browser, or in a browser already running as a player's is,
// for start.test.mjs and bench/first_pictures.mjs.
import assert from 'node:assert/strict';
import { launch, newTab } from './browser.mjs';

// The slow line the start is measured on too: Chromium's throttling, 1.5 Mbit/s and 150 ms.
export const SLOW_LINE = { download: 1.5e6 / 8, upload: 1.5e6 / 8, latency: 150 };

// Notes, in the page's own clock (milliseconds since the navigation began), when the first frame
// with the menu has been painted: the frame after the one whose work showed it has begun; and
// whether the loading sign had come in by then.
function noteMenuPicture() {
  addEventListener('animationend', (event) => {
    if (event.target.id === 'loading-sign') window.zapwallLoadingSign = true;
  });
  const observer = new MutationObserver(() => {
    const menu = document.querySelector('#menu');
    if (!menu || !menu.checkVisibility()) return;
    observer.disconnect();
    requestAnimationFrame(() => requestAnimationFrame(() => {
      window.zapwallMenuPicture = performance.now();
    }));
  });
  observer.observe(document, { subtree: true, childList: true, attributes: true });
}

// The time to the menu's first picture in a new browser with a new profile, or in a new context
// of the `running` browser (nothing cached or stored, as in a new profile); `line` throttles,
// and a start that slow shows the loading sign, gone with the menu.
export async function firstPicture(url, line, running = null) {
  const browser = running ? await running.createBrowserContext() : await launch('start');
  try {
    const page = await newTab(browser);
    if (line) await page.emulateNetworkConditions(line);
    await page.evaluateOnNewDocument(noteMenuPicture);
    await page.goto(url);
    await page.waitForFunction(() => window.zapwallMenuPicture !== undefined);
    assert.deepEqual(page.errors, []);
    if (line) {
      assert.deepEqual(await page.evaluate(() => [window.zapwallLoadingSign,
        document.querySelector('#loading-sign').checkVisibility()]), [true, false]);
    }
    return await page.evaluate(() => window.zapwallMenuPicture);
  } finally {
    await browser.close();
  }
}

// Prints the median and every time of `times`, the first pictures of `what`.
export function report(what, times) {
  const sorted = [...times].sort((a, b) => a - b);
  const median = sorted[Math.floor(sorted.length / 2)];
  console.log(`first picture of the menu, ${what}: median ${median.toFixed(0)} ms ` +
              `(${sorted.map((t) => t.toFixed(0)).join(', ')}) after the navigation began`);
}
