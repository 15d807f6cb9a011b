// The service worker of the page (registered by kesto-page.js once the first
// frame is up): every file of the page is cached at the first visit and
// served from there, so the game plays offline. scripts/build-web writes the
// list of files and its digest into the two lines below (web/offline.py);
// a new build has a new digest, its own cache, and the old one is dropped.
const VERSION = '@VERSION@';
const FILES = @FILES@;
const CACHE = 'kesto-' + VERSION;

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(CACHE)
    .then((cache) => cache.addAll(FILES.map((file) => new Request(file, { cache: 'no-cache' }))))
    .then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
    .then((keys) => Promise.all(keys.filter((key) => key.startsWith('kesto-') && key !== CACHE)
      .map((key) => caches.delete(key))))
    .then(() => self.clients.claim()));
});

// The page's own files come from the cache (the address's ?seed=N aside);
// anything else, or a file the cache lacks, from the network.
self.addEventListener('fetch', (event) => {
  if (event.request.method !== 'GET') return;
  event.respondWith(caches.open(CACHE)
    .then((cache) => cache.match(event.request, { ignoreSearch: true }))
    .then((hit) => hit || fetch(event.request)));
});
