"""Serves a folder on localhost, as a plain static host would, or with --isolated also with the
two headers that make a page cross-origin isolated. Prints the address it serves at, and
serves until ended.
   Usage: serve-web.py FOLDER [--port N] [--isolated]"""

import argparse
import functools
import http.server
import sys


class Handler(http.server.SimpleHTTPRequestHandler):
    isolated = False

    def end_headers(self):
        if self.isolated:
            self.send_header("Cross-Origin-Opener-Policy", "same-origin")
            self.send_header("Cross-Origin-Embedder-Policy", "require-corp")
        self.send_header("Cache-Control", "no-cache")
        super().end_headers()

    def log_message(self, *arguments):
        pass


Handler.extensions_map[".wasm"] = "application/wasm"
Handler.extensions_map[".js"] = "text/javascript"
Handler.extensions_map[".webmanifest"] = "application/manifest+json"

parser = argparse.ArgumentParser()
parser.add_argument("folder")
parser.add_argument("--port", type=int, default=0)
parser.add_argument("--isolated", action="store_true")
options = parser.parse_args()
Handler.isolated = options.isolated
server = http.server.ThreadingHTTPServer(
    ("127.0.0.1", options.port), functools.partial(Handler, directory=options.folder))
print(f"http://localhost:{server.server_address[1]}/", flush=True)
try:
    server.serve_forever()
except KeyboardInterrupt:
    sys.exit(0)
