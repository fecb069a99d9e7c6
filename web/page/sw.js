// The service worker: keeps a copy of the whole site, so that after one visit the page opens
// and runs with the network gone. The network comes first, so a visitor online always gets
// the site as it is now, and the copy follows it; the copy answers only when the network
// does not.
"use strict";

const CACHE = "comets";
const SITE = ["./", "index.html", "page.js", "program.js", "comets.js", "comets.wasm",
              "comets.svg", "comets-192.png", "comets-512.png", "manifest.webmanifest"];

self.addEventListener("install", (event) => {
    event.waitUntil(caches.open(CACHE).then((cache) => cache.addAll(SITE))
                        .then(() => self.skipWaiting()));
});

self.addEventListener("activate", (event) => event.waitUntil(self.clients.claim()));

self.addEventListener("fetch", (event) => {
    const request = event.request;
    if (new URL(request.url).origin !== location.origin ||
        (request.method !== "GET" && request.method !== "HEAD")) {
        return;
    }
    event.respondWith((async () => {
        const cache = await caches.open(CACHE);
        try {
            const response = await fetch(request);
            if (request.method === "GET" && response.ok) {
                await cache.put(request, response.clone());
            }
            return response;
        } catch (error) {
            // Offline: the copy, which also answers the page's HEAD check of comets.wasm.
            const copy = await cache.match(request, {ignoreMethod: true, ignoreSearch: true});
            if (copy) {
                return copy;
            }
            throw error;
        }
    })());
});
