// SPDX-License-Identifier: GPL-3.0-or-later
// The service worker: it keeps every file of the site in a cache filled when the worker is
// installed, so that the page starts and plays with no network once it has been loaded (and can
// be installed as an app). The build writes site-version.js beside it: the version, a hash of the
// site's files and their list; the page reads that list too (page_data.js: the data files), so it
// is cached with them. The cache is named after the version and the hash, so a new build
// makes the browser install a new worker with a new cache; it takes over when no tab uses the
// old one any more (a page never mixes the files of two builds), and the old cache is removed.
// Every file is fetched past the browser's HTTP cache and checked against the SHA-256 the build
// listed for it: a server that holds another build's file (a site half updated, a proxy's old
// copy) fails the installation, which the browser tries again later, so a cache never holds the
// files of two builds.
'use strict';

importScripts('site-version.js');

const CACHE_PREFIX = 'zapwall-';
const CACHE = `${CACHE_PREFIX}${self.ZAPWALL_SITE.version}-${self.ZAPWALL_SITE.hash}`;
const FILES = self.ZAPWALL_SITE.files;
const SHA256 = self.ZAPWALL_SITE.sha256;

function hex(buffer) {
  return [...new Uint8Array(buffer)].map((byte) => byte.toString(16).padStart(2, '0')).join('');
}

async function fetchChecked(name, sha256) {
  const answer = await fetch(new Request(name, { cache: 'reload' }));
  if (!answer.ok) throw new Error(`${name}: HTTP ${answer.status}`);
  const digest = hex(await crypto.subtle.digest('SHA-256', await answer.clone().arrayBuffer()));
  if (digest !== sha256) throw new Error(`${name}: not the file of build ${CACHE}`);
  return answer;
}

// site-version.js cannot name its own hash: the copy cached must be the one this worker read,
// the same version, site hash and files.
const LISTING = 'site-version.js';
async function fetchListing() {
  const answer = await fetch(new Request(LISTING, { cache: 'reload' }));
  if (!answer.ok) throw new Error(`${LISTING}: HTTP ${answer.status}`);
  const text = await answer.clone().text();
  const site = JSON.parse(text.slice(text.indexOf('{'), text.lastIndexOf('}') + 1));
  if (JSON.stringify(site) !== JSON.stringify(self.ZAPWALL_SITE)) {
    throw new Error(`${LISTING}: not the listing of build ${CACHE}`);
  }
  return answer;
}

self.addEventListener('install', (event) => {
  event.waitUntil((async () => {
    const answers = await Promise.all(FILES.map((name, i) => fetchChecked(name, SHA256[i])));
    const listing = await fetchListing();
    const cache = await caches.open(CACHE);
    try {
      await Promise.all(answers.map((answer, i) => cache.put(FILES[i], answer.clone())));
      await cache.put(LISTING, listing);
      // './' is what the address of the folder gives: the same page as index.html.
      await cache.put('./', answers[FILES.indexOf('index.html')]);
    } catch (error) {
      await caches.delete(CACHE);
      throw error;
    }
  })());
});

self.addEventListener('activate', (event) => {
  event.waitUntil((async () => {
    for (const name of await caches.keys()) {
      if (name.startsWith(CACHE_PREFIX) && name !== CACHE) await caches.delete(name);
    }
    // The page that installed the worker is served by it from now on, not only after a reload.
    await self.clients.claim();
  })());
});

// The site's own files come from the cache; anything else (a replay given by ?replay=URL, say)
// from the network, as without the worker. The page's address with a query is the page itself.
self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) return;
  event.respondWith((async () => {
    const cache = await caches.open(CACHE);
    const kept = await cache.match(request, { ignoreSearch: request.mode === 'navigate' });
    return kept || fetch(request);
  })());
});
