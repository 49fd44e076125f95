#!/usr/bin/env python3
"""A loopback HTTP peer for the online tests.

Serves the files below --root, plus a few misbehaving paths:
  /status/NNN/...   answers NNN with a small HTML page
  /drip/...         announces 100000 bytes and sends one byte every 0.05 s
  /silent/...       reads the request and never answers
  /redirect/...     302 to the rest of the path
With --cert and --key it speaks HTTPS with that certificate.
Prints the port it listens on (chosen by the system) as its first line.
"""
import argparse
import http.server
import os
import socketserver
import ssl
import sys
import time


class Handler(http.server.SimpleHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, fmt, *args):
        with open(os.path.join(self.server.logdir, "requests.log"), "a") as log:
            log.write(self.path + "\n")

    def do_GET(self):
        parts = self.path.split("/")
        if len(parts) > 2 and parts[1] == "status":
            self.log_message("")
            body = b"<html><body><h1>Error page</h1></body></html>\n"
            self.send_response(int(parts[2]))
            self.send_header("Content-Type", "text/html")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)
            return
        if len(parts) > 1 and parts[1] == "drip":
            self.log_message("")
            self.send_response(200)
            self.send_header("Content-Length", "100000")
            self.end_headers()
            try:
                for _ in range(100000):
                    self.wfile.write(b"x")
                    self.wfile.flush()
                    time.sleep(0.05)
            except OSError:
                pass
            return
        if len(parts) > 1 and parts[1] == "silent":
            self.log_message("")
            time.sleep(3600)
            return
        if len(parts) > 1 and parts[1] == "redirect":
            self.log_message("")
            self.send_response(302)
            self.send_header("Location", "/" + "/".join(parts[2:]))
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        super().do_GET()


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def handle_error(self, request, client_address):
        pass  # a client that gave up early is no news


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--cert")
    parser.add_argument("--key")
    args = parser.parse_args()
    os.chdir(args.root)
    server = Server(("127.0.0.1", 0), Handler)
    if args.cert:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(args.cert, args.key)
        server.socket = context.wrap_socket(server.socket, server_side=True)
    server.logdir = args.root
    print(server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    sys.exit(main())
