#!/usr/bin/env python3
"""The project's update service for tests and for trying updates: answers
"versioninfo.php" (actions getversion, getfilelen, getfile and getsig per
product)
from a folder of releases, on a loopback address only, and misbehaves on
purpose where a test asks it to. It ends after a number of requests or a
time, whichever comes first.

Usage: update-service.py --releases DIR --port-file FILE [--port N]
                         [--max-requests N] [--max-seconds S]

A release folder holds, per product ("k3driftlet", "k3driftlet_e"), a
folder with "version" (the eight hexadecimal digits of the newest version),
the package ("K3DriftletSetup.msi" / "K3DriftletSetup_E.msi") and, when it
is signed, its detached signature (the package's name with ".p7s"), which
getsig answers (404 without one).

Misbehaviour, by path:
  /bytes/N               N bytes (byte i is i % 251)
  /status/CODE           that status with a small page
  /redirect/CODE?to=URL  that status with a Location header
  /redirect-bare/CODE    that status without a Location header
  /truncated/N           announces N bytes, sends half, closes
  /slow/MS               waits MS milliseconds, then answers "slow"
  /requests              how many requests came before this one
  /auth                  401 (Basic) unless the request carries user "k3"
                         with password "drift"; then "authorised"
and for versioninfo.php the extra field fault=status404|status200page|
short|truncated|slow|badlength|paced|trickle|drip|endless changes the answer
of that request ("paced": the package in 64 KiB pieces, 100 ms apart;
"trickle": the package at about 80 KB/s, 8 KiB pieces 100 ms apart; "drip":
the announced length, then one byte every 15 seconds; "endless": a body
without a length that does not end, for at most 60 s)."""
import argparse
import base64
import os
import socket
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

PACKAGES = {'k3driftlet': 'K3DriftletSetup.msi', 'k3driftlet_e': 'K3DriftletSetup_E.msi'}


class Handler(BaseHTTPRequestHandler):
    # One request per connection: nothing is left half-read for the next one.
    protocol_version = 'HTTP/1.0'

    def log_message(self, fmt, *args):
        sys.stderr.write('update-service: ' + (fmt % args) + '\n')

    def send(self, status, body, headers=None, length=None):
        self.send_response(status)
        for k, v in (headers or {}).items():
            self.send_header(k, v)
        self.send_header('Content-Length', str(len(body) if length is None else length))
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        self.answer()

    def do_POST(self):
        n = int(self.headers.get('Content-Length') or 0)
        if n:
            self.rfile.read(n)
        self.answer()

    def answer(self):
        self.server.count += 1
        url = urllib.parse.urlsplit(self.path)
        query = dict(urllib.parse.parse_qsl(url.query))
        parts = url.path.strip('/').split('/')
        head = parts[0] if parts else ''
        if head == 'set-fault':
            self.server.fault = parts[1] if len(parts) > 1 else ''
            return self.send(200, b'ok')
        if head == 'versioninfo.php':
            return self.versioninfo(query)
        if head == 'requests':
            return self.send(200, str(self.server.count - 1).encode())
        if head == 'bytes':
            n = int(parts[1])
            return self.send(200, bytes(i % 251 for i in range(n)))
        if head == 'status':
            return self.send(int(parts[1]), b'<html>status page</html>')
        if head == 'redirect':
            return self.send(int(parts[1]), b'', {'Location': query.get('to', '')})
        if head == 'redirect-bare':
            return self.send(int(parts[1]), b'')
        if head == 'truncated':
            n = int(parts[1])
            self.send(200, bytes(n // 2), length=n)
            self.close_connection = True
            return
        if head == 'auth':
            expected = 'Basic ' + base64.b64encode(b'k3:drift').decode()
            if self.headers.get('Authorization') == expected:
                return self.send(200, b'authorised')
            return self.send(401, b'<html>who are you</html>', {'WWW-Authenticate': 'Basic realm="k3"'})
        if head == 'slow':
            time.sleep(int(parts[1]) / 1000)
            return self.send(200, b'slow')
        return self.send(404, b'<html>not found</html>')

    def versioninfo(self, query):
        product = query.get('product', '')
        action = query.get('action', '')
        fault = query.get('fault', self.server.fault)
        folder = os.path.join(self.server.releases, product)
        if product not in PACKAGES or not os.path.isdir(folder):
            return self.send(404, b'<html>no such product</html>')
        if fault == 'status404':
            return self.send(404, b'<html>not found</html>')
        if fault == 'status200page':
            return self.send(200, b'<html>maintenance</html>')
        if fault == 'slow':
            time.sleep(30)
        if fault in ('drip', 'endless'):
            return self.misbehave_slowly(fault)
        if action == 'getversion':
            with open(os.path.join(folder, 'version'), 'rb') as f:
                version = f.read().strip()
            return self.send(200, version[:7] if fault == 'short' else version)
        package = os.path.join(folder, PACKAGES[product])
        size = os.path.getsize(package)
        if action == 'getfilelen':
            return self.send(200, str(size + 1 if fault == 'badlength' else size).encode())
        if action == 'getfile':
            with open(package, 'rb') as f:
                data = f.read()
            if fault == 'truncated':
                self.send(200, data[:len(data) // 2], length=len(data))
                self.close_connection = True
                return
            if fault in ('paced', 'trickle'):
                piece = 65536 if fault == 'paced' else 8192
                self.send(200, b'', length=len(data))
                try:
                    for at in range(0, len(data), piece):
                        self.wfile.write(data[at:at + piece])
                        self.wfile.flush()
                        time.sleep(0.1)
                except OSError:
                    pass  # the client gave up
                return
            return self.send(200, data)
        if action == 'getsig':
            signature = package + '.p7s'
            if not os.path.isfile(signature):
                return self.send(404, b'<html>no signature</html>')
            with open(signature, 'rb') as f:
                return self.send(200, f.read())
        return self.send(400, b'<html>unknown action</html>')

    def misbehave_slowly(self, fault):
        # Bounded in time: the client is expected to give up long before.
        deadline = time.time() + 60
        self.close_connection = True
        try:
            if fault == 'drip':
                self.send(200, b'', length=8)
                for c in b'01010700':
                    if time.time() > deadline:
                        return
                    self.wfile.write(bytes([c]))
                    self.wfile.flush()
                    time.sleep(15)
                return
            self.send_response(200)
            self.end_headers()
            piece = b'0' * 4096
            while time.time() < deadline:
                self.wfile.write(piece)
                self.wfile.flush()
                time.sleep(0.01)
        except OSError:
            pass  # the client gave up


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('--releases', required=True)
    ap.add_argument('--port-file', required=True)
    ap.add_argument('--port', type=int, default=0)
    ap.add_argument('--fault', default='')
    ap.add_argument('--max-requests', type=int, default=200)
    ap.add_argument('--max-seconds', type=float, default=300)
    args = ap.parse_args()
    # One thread per connection: a client that keeps a connection open for
    # later requests does not hold up the others.
    server = ThreadingHTTPServer(('127.0.0.1', args.port), Handler)
    server.daemon_threads = True
    server.releases, server.fault, server.count = args.releases, args.fault, 0
    server.timeout = 0.2
    with open(args.port_file + '.part', 'w') as f:
        f.write(str(server.server_address[1]))
    os.replace(args.port_file + '.part', args.port_file)
    deadline = time.time() + args.max_seconds
    while server.count < args.max_requests and time.time() < deadline:
        server.handle_request()
    server.server_close()


if __name__ == '__main__':
    main()
