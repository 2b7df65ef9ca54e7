#!/usr/bin/env python3
"""A small HTTP server on 127.0.0.1 for the tests of the HEAD probe.

    http_test_server.py PORT_FILE LOG_FILE

Listens on a free port and writes "PORT REFUSED_PORT MUTE_PORT" to PORT_FILE
once it accepts connections; REFUSED_PORT is a port that was free a moment ago
and has no listener; MUTE_PORT completes every connection (the system takes it
into the backlog) and never reads or answers a byte. Each request is appended
to LOG_FILE: the request line, then its headers in the order received, then an
empty line. Paths:

  /found             200 with Content-Length and Last-Modified
  /missing           404
  /error             500
  /nolength          200 without Content-Length
  /redirect          302 to /found
  /redirect-missing  302 to /missing
  /silent            accepts the request and never answers
  /garbage           answers bytes that are no HTTP, then closes
  /garbage-open      answers bytes that are no HTTP and keeps the line open
  /half-header       a status line and half a header, then nothing
  /quit              ends the server

The Windows tests start it under Wine as a Unix program; it lets go of the
inherited output at once, so that CTest never waits for it, and ends by
itself after two minutes should no test ask it to.
"""
import os
import socket
import sys
import threading
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

LIFETIME_SECONDS = 120


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def log_message(self, *args):
        pass

    def _log(self):
        with open(self.server.log_file, "a", encoding="utf-8") as log:
            log.write(self.requestline + "\n")
            for name, value in self.headers.items():
                log.write(f"{name}: {value}\n")
            log.write("\n")

    def _answer(self, status, headers):
        self.send_response_only(status)
        for name, value in headers:
            self.send_header(name, value)
        self.end_headers()

    def do_HEAD(self):
        self._log()
        path = self.path
        if path == "/found":
            self._answer(200, [("Content-Length", "1234"),
                               ("Last-Modified",
                                "Sun, 06 Nov 1994 08:49:37 GMT")])
        elif path == "/missing":
            self._answer(404, [("Content-Length", "0")])
        elif path == "/error":
            self._answer(500, [("Content-Length", "0")])
        elif path == "/nolength":
            self._answer(200, [])
        elif path == "/redirect":
            self._answer(302, [("Location", "/found"), ("Content-Length", "0")])
        elif path == "/redirect-missing":
            self._answer(302, [("Location", "/missing"),
                               ("Content-Length", "0")])
        elif path == "/silent":
            self.server.stop.wait(LIFETIME_SECONDS)
        elif path in ("/garbage", "/garbage-open"):
            self.wfile.write(b"\x00\xffZARN?\r\n\x1b[2J\xfe\r\n\r\n" * 64)
            self.wfile.flush()
            if path == "/garbage-open":
                self.server.stop.wait(LIFETIME_SECONDS)
        elif path == "/half-header":
            self.wfile.write(b"HTTP/1.1 200 OK\r\nContent-Le")
            self.wfile.flush()
            self.server.stop.wait(LIFETIME_SECONDS)
        elif path == "/quit":
            self._answer(200, [("Content-Length", "0")])
            self.wfile.flush()
            os._exit(0)
        else:
            self._answer(400, [("Content-Length", "0")])

    do_GET = do_HEAD


def main():
    port_file, log_file = sys.argv[1], sys.argv[2]
    devnull = os.open(os.devnull, os.O_RDWR)
    for fd in (0, 1, 2):
        os.dup2(devnull, fd)
    threading.Timer(LIFETIME_SECONDS, lambda: os._exit(0)).start()

    probe = socket.socket()
    probe.bind(("127.0.0.1", 0))
    refused_port = probe.getsockname()[1]
    probe.close()

    mute = socket.socket()
    mute.bind(("127.0.0.1", 0))
    mute.listen(64)

    server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    server.log_file = log_file
    server.stop = threading.Event()
    open(log_file, "w").close()
    temp = port_file + ".tmp"
    with open(temp, "w") as f:
        f.write(f"{server.server_address[1]} {refused_port} "
                f"{mute.getsockname()[1]}\n")
    os.replace(temp, port_file)
    server.serve_forever()


if __name__ == "__main__":
    main()
