// A service worker that adds the two headers a page needs to be cross-origin isolated, for a
// static host that cannot send them: without isolation there is no SharedArrayBuffer, and the
// program's threads cannot start.
self.addEventListener("install", () => self.skipWaiting());
self.addEventListener("activate", (event) => event.waitUntil(self.clients.claim()));
self.addEventListener("fetch", (event) => {
    const request = event.request;
    if (request.cache === "only-if-cached" && request.mode !== "same-origin") {
        return;
    }
    event.respondWith(fetch(request).then((response) => {
        if (response.status === 0) {
            return response;
        }
        const headers = new Headers(response.headers);
        headers.set("Cross-Origin-Opener-Policy", "same-origin");
        headers.set("Cross-Origin-Embedder-Policy", "require-corp");
        return new Response(response.body,
                            {status: response.status, statusText: response.statusText, headers});
    }));
});
