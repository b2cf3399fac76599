#!/usr/bin/env python3
"""Loopback HTTP server for the download tests.

    python3 http_server.py <folder>

Listens on a free port of 127.0.0.1, prints that port on one line, then serves until killed:
    GET /<path>          the file from <folder>, or 404
    GET /cut/<path>      announces the whole file, sends its first half and closes
    GET /redirect/<path> 302 to /<path>
    GET /trickle         announces 100000 bytes and sends one a second
    GET /endless         sends bytes as fast as it can, announcing no length, until the client goes
    GET /huge            announces 2 GiB, then sends nothing until the client goes
"""

import os
import sys
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    folder = ""

    def log_message(self, format, *args):
        pass

    def handle(self):
        try:
            super().handle()
        except (BrokenPipeError, ConnectionResetError):
            pass  # the client gave up, as the slow, endless and too large answers expect it to

    def do_GET(self):
        path = urllib.parse.unquote(urllib.parse.urlsplit(self.path).path)
        if path == "/trickle":
            self.start_body(100000)
            for _ in range(100000):
                self.wfile.write(b"x")
                self.wfile.flush()
                time.sleep(1)
        elif path == "/endless":
            self.start_body(None)
            block = b"y" * 65536
            while True:
                self.wfile.write(block)
        elif path == "/huge":
            self.start_body(2 << 30)
            self.wfile.flush()
            self.rfile.read()  # returns when the client closes the connection
        elif path.startswith("/redirect/"):
            target = "/" + urllib.parse.quote(path[len("/redirect/"):])
            # A body on the redirect shows whether the client mixes it into the file.
            self.reply(302, b"moved elsewhere\n", [("Location", target)])
        elif path.startswith("/cut/"):
            data = self.load(path[len("/cut/"):])
            if data is None:
                return self.reply(404, b"not found\n")
            self.start_body(len(data))
            self.wfile.write(data[: len(data) // 2])
            self.wfile.flush()
        else:
            data = self.load(path[1:])
            if data is None:
                return self.reply(404, b"not found\n")
            self.reply(200, data, [("Content-Type", "application/octet-stream")])

    def start_body(self, length):
        """A 200 header for a body that is sent by hand; without a length it ends with the connection."""
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        if length is not None:
            self.send_header("Content-Length", str(length))
        self.send_header("Connection", "close")
        self.end_headers()
        self.close_connection = True

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
