#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Serves the browser edition's static site (build-web/site) as a static host should.

    python3 browser/site/serve.py SITE_DIR [PORT [ADDRESS]]     (PORT 0: any free port)

Beside Python's own static server it sends a file's gzip copy (FILE.gz, which the build writes
beside every file that compresses) to a browser that accepts gzip, with the file's own type and
Content-Encoding: gzip; .wasm goes as application/wasm, which streaming compilation needs; and
every answer says Cache-Control: no-cache, so that a browser checks each file with the server
before using its copy and never mixes the files of two builds. It prints the port it listens on
first ("Serving HTTP on ADDRESS port N"), as Python's server does.
"""

import functools
import http.server
import os
import sys


class SiteHandler(http.server.SimpleHTTPRequestHandler):
    # Connections are kept for the next request: a page asks for some thirty files.
    protocol_version = "HTTP/1.1"
    # An answer's headers and body go out in two writes; with Nagle's algorithm the body would
    # wait for the browser's delayed acknowledgement of the headers, some 40 ms an answer.
    disable_nagle_algorithm = True
    extensions_map = {
        **http.server.SimpleHTTPRequestHandler.extensions_map,
        ".wasm": "application/wasm",
        ".webmanifest": "application/manifest+json",
        # The data folder's files have no extension of their own.
        "": "application/octet-stream",
    }

    def send_head(self):
        path = self.translate_path(self.path)
        if os.path.isdir(path) and self.path.split("?")[0].endswith("/"):
            path = os.path.join(path, "index.html")
        compressed = path + ".gz"
        # A copy older than its file is not the file's any more.
        if (
            "gzip" in self.headers.get("Accept-Encoding", "")
            and os.path.isfile(path)
            and os.path.isfile(compressed)
            and os.path.getmtime(compressed) >= os.path.getmtime(path)
        ):
            try:
                f = open(compressed, "rb")
            except OSError:
                return super().send_head()
            size = os.fstat(f.fileno()).st_size
            self.send_response(200)
            self.send_header("Content-Type", self.guess_type(path))
            self.send_header("Content-Encoding", "gzip")
            self.send_header("Content-Length", str(size))
            self.send_header("Last-Modified", self.date_time_string(int(os.path.getmtime(path))))
            self.end_headers()
            return f
        return super().send_head()

    def end_headers(self):
        self.send_header("Cache-Control", "no-cache")
        self.send_header("Vary", "Accept-Encoding")
        super().end_headers()

    def log_message(self, format, *args):
        pass


def main():
    if len(sys.argv) < 2:
        print("usage: serve.py SITE_DIR [PORT [ADDRESS]]", file=sys.stderr)
        sys.exit(2)
    folder = sys.argv[1]
    port = int(sys.argv[2]) if len(sys.argv) > 2 else 8080
    address = sys.argv[3] if len(sys.argv) > 3 else "127.0.0.1"
    handler = functools.partial(SiteHandler, directory=folder)
    with http.server.ThreadingHTTPServer((address, port), handler) as server:
        print(f"Serving HTTP on {address} port {server.server_address[1]}", flush=True)
        try:
            server.serve_forever()
        except KeyboardInterrupt:
            pass


if __name__ == "__main__":
    main()
