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
    if (new URL(request.url).origin !== location.origin || request.method !== "GET") {
        return;
    }
    // The copy is kept by the address without its query (?fps=30 is the same page), which is
    // how it is looked up offline; the answer does not wait for it to be stored.
    const address = new URL(request.url);
    address.search = "";
    event.respondWith((async () => {
        try {
            const response = await fetch(request);
            if (response.ok) {
                const copy = response.clone();
                event.waitUntil(caches.open(CACHE).then((cache) => cache.put(address, copy)));
            }
            return response;
        } catch (error) {
            const copy = await caches.match(address);
            if (copy) {
                return copy;
            }
            throw error;
        }
    })());
});
