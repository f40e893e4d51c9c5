// The hosted page's service worker: on the first visit it keeps the page and its files, and from
// then on serves them from that copy, so the page runs offline. A new build has a new cache name
// (the version and the page's hash, filled in at build time), which replaces the old copy.
const kCacheName = '@TRENOX_CACHE_NAME@';
const kPageFiles = ['./', 'index.html', 'manifest.webmanifest', 'favicon.ico', 'apple-touch-icon.png',
                    'icon-192.png', 'icon-512.png', 'icon-maskable-512.png'];

// Fetched past the browser's HTTP cache: a copy kept from there could be the last build's files.
self.addEventListener('install', (event) => {
  const requests = kPageFiles.map((file) => new Request(file, {cache: 'reload'}));
  event.waitUntil(caches.open(kCacheName).then((cache) => cache.addAll(requests)).then(() => self.skipWaiting()));
});

// The old copies go, and the open page is served from the new one at once.
self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((name) => name !== kCacheName).map((name) => caches.delete(name))))
    .then(() => self.clients.claim()));
});

self.addEventListener('fetch', (event) => {
  if (event.request.method !== 'GET') return;
  event.respondWith(caches.open(kCacheName)
    .then((cache) => cache.match(event.request, {ignoreSearch: true}))
    .then((kept) => kept || fetch(event.request)));
});
