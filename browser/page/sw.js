// The service worker: it keeps every file of the site in a cache filled when the worker is
// installed, so that the page starts and plays with no network once it has been loaded (and can
// be installed as an app). The build writes site-version.js beside it: the version, a hash of the
// site's files and their list. The cache is named after the version and the hash, so a new build
// makes the browser install a new worker with a new cache; it takes over when no tab uses the
// old one any more (a page never mixes the files of two builds), and the old cache is removed.
'use strict';

importScripts('site-version.js');

const CACHE_PREFIX = 'zapwall-';
const CACHE = `${CACHE_PREFIX}${self.ZAPWALL_SITE.version}-${self.ZAPWALL_SITE.hash}`;
// './' is what the address of the folder gives: the same page as index.html.
const FILES = ['./', ...self.ZAPWALL_SITE.files];

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(CACHE).then((cache) => cache.addAll(FILES)));
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
