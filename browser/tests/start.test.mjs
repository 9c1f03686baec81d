// The page's start: the menu's first picture comes from a local server (the time is printed, for
// bench/README.md; a busy machine may take longer, so it is measured, not asserted), and once
// loaded the page starts again with no network, from the service worker's cache, as an installed
// app does.
//
// usage: node start.test.mjs SITE_DIR
import assert from 'node:assert/strict';
import path from 'node:path';
import { test } from 'node:test';
import { launch, newTab, serve, waitShown } from './browser.mjs';

const site = path.resolve(process.argv[2]);

// Notes, in the page's own clock (milliseconds since the navigation began), when the first frame
// with the menu has been painted: the frame after the one whose work showed it has begun.
function noteMenuPicture() {
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

test('the menu comes on screen, and the page starts offline once loaded',
     async () => {
  const server = await serve(site);
  const browser = await launch('start');
  try {
    const page = await newTab(browser);
    await page.evaluateOnNewDocument(noteMenuPicture);
    await page.goto(server.url);
    await page.waitForFunction(() => window.zapwallMenuPicture !== undefined);
    const millis = await page.evaluate(() => window.zapwallMenuPicture);
    console.log(`first picture of the menu: ${millis.toFixed(0)} ms after the navigation began`);

    const manifest = await page.$eval('link[rel="manifest"]', (link) => link.href);
    assert.equal((await (await fetch(manifest)).json()).name, 'Zapwall');

    await page.waitForFunction(() => navigator.serviceWorker.controller !== null);
    server.stop();
    await page.setOfflineMode(true);
    await page.reload();
    await waitShown(page, '#menu');
    assert.deepEqual(page.errors, []);
  } finally {
    await browser.close();
    server.stop();
  }
});
