#!/usr/bin/env python3
"""A loopback HTTP peer for the online tests.

Serves the files below --root, plus a few misbehaving paths:
  /status/NNN/...   answers NNN with a small HTML page
  /drip/...         announces 100000 bytes and sends one byte every 0.05 s
  /silent/...       reads the request and never answers
  /redirect/...     302 to the rest of the path
  /endless/...      a chunked body that never ends, as fast as the client reads
  /trickle/...      a chunked body of one byte a second, never ending
  /huge/...         announces 2 GB and sends it as fast as the client reads
Each hostile answer appends "path bytes-sent" to sent.log when it ends.
With --cert and --key it speaks HTTPS with that certificate.
Prints the port it listens on (chosen by the system) as its first line.
"""
import argparse
import http.server
import os
import socketserver
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
        if len(parts) > 1 and parts[1] in ("endless", "trickle", "huge"):
            self.log_message("")
            self.hostile(parts[1])
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


    def hostile(self, kind):
        sent = 0
        block = b"x" * 65536
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        if kind == "huge":
            self.send_header("Content-Length", str(2 * 1024 ** 3))
        else:
            self.send_header("Transfer-Encoding", "chunked")
        self.end_headers()
        try:
            while kind != "huge" or sent < 2 * 1024 ** 3:
                if kind == "trickle":
                    self.wfile.write(b"1\r\nx\r\n")
                    self.wfile.flush()
                    sent += 1
                    time.sleep(1)
                elif kind == "endless":
                    self.wfile.write(b"10000\r\n" + block + b"\r\n")
                    sent += len(block)
                else:
                    self.wfile.write(block)
                    sent += len(block)
        except OSError:
            pass
        with open(os.path.join(self.server.logdir, "sent.log"), "a") as log:
            log.write("%s %d\n" % (self.path, sent))


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def handle_error(self, request, client_address):
        pass  # a client that gave up early is no news

    def server_bind(self):
        # HTTPServer's own looks the address up by name: no name lookups here.
        socketserver.TCPServer.server_bind(self)
        self.server_name, self.server_port = self.server_address[:2]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--cert")
    parser.add_argument("--key")
    args = parser.parse_args()
    os.chdir(args.root)
    server = Server(("127.0.0.1", 0), Handler)
    if args.cert:
        import ssl  # only the TLS peer pays for it

        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(args.cert, args.key)
        server.socket = context.wrap_socket(server.socket, server_side=True)
    server.logdir = args.root
    print(server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    sys.exit(main())
