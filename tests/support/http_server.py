#!/usr/bin/env python3
"""Loopback HTTP server for the download tests.

    python3 http_server.py <folder>

Listens on a free port of 127.0.0.1, prints that port on one line, then serves until killed:
    GET /<path>          the file from <folder>, or 404
    GET /cut/<path>      announces the whole file, sends its first half and closes
    GET /redirect/<path> 302 to /<path>
"""

import os
import sys
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    folder = ""

    def log_message(self, format, *args):
        pass

    def do_GET(self):
        path = urllib.parse.unquote(urllib.parse.urlsplit(self.path).path)
        if path.startswith("/redirect/"):
            target = "/" + urllib.parse.quote(path[len("/redirect/"):])
            # A body on the redirect shows whether the client mixes it into the file.
            self.reply(302, b"moved elsewhere\n", [("Location", target)])
        elif path.startswith("/cut/"):
            data = self.load(path[len("/cut/"):])
            if data is None:
                return self.reply(404, b"not found\n")
            self.send_response(200)
            self.send_header("Content-Type", "application/octet-stream")
            self.send_header("Content-Length", str(len(data)))
            self.send_header("Connection", "close")
            self.end_headers()
            self.wfile.write(data[: len(data) // 2])
            self.wfile.flush()
            self.close_connection = True
        else:
            data = self.load(path[1:])
            if data is None:
                return self.reply(404, b"not found\n")
            self.reply(200, data, [("Content-Type", "application/octet-stream")])

    def reply(self, status, body, headers=()):
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def load(self, relative):
        """The file's bytes, or None when it is missing or lies outside the folder."""
        if not relative or relative.startswith("/") or "\0" in relative:
            return None
        if ".." in relative.split("/"):
            return None
        full = os.path.realpath(os.path.join(self.folder, relative))
        if not full.startswith(self.folder + os.sep) or not os.path.isfile(full):
            return None
        with open(full, "rb") as f:
            return f.read()


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: http_server.py <folder>")
    Handler.folder = os.path.realpath(sys.argv[1])
    server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    print(server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
