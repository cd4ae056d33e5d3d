#!/usr/bin/env python3
"""Loopback HTTPS server for the dependency smoke test.

start: makes a self-signed certificate, serves GET /hello on a free port in the background,
       writes the port to PORTFILE and the pid to PORTFILE.pid.
stop:  ends the server named by PORTFILE.pid.
"""
import http.server, os, signal, ssl, subprocess, sys, tempfile


class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        body = b'{"greeting":"hello","count":3}' if self.path == "/hello" else b"missing"
        self.send_response(200 if self.path == "/hello" else 404)
        self.send_header("Content-Type", "application/json")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


def serve(portfile):
    folder = tempfile.mkdtemp()
    cert, key = os.path.join(folder, "cert.pem"), os.path.join(folder, "key.pem")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                    "-subj", "/CN=127.0.0.1", "-keyout", key, "-out", cert],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    server.socket = context.wrap_socket(server.socket, server_side=True)
    with open(portfile + ".tmp", "w") as f:
        f.write(str(server.server_address[1]))
    os.replace(portfile + ".tmp", portfile)
    server.serve_forever()


def main():
    command, portfile = sys.argv[1], sys.argv[2]
    if command == "start":
        if os.path.exists(portfile):
            os.remove(portfile)
        pid = os.fork()
        if pid == 0:
            os.setsid()
            devnull = os.open(os.devnull, os.O_RDWR)
            for fd in (0, 1, 2):
                os.dup2(devnull, fd)
            serve(portfile)
            os._exit(0)
        with open(portfile + ".pid", "w") as f:
            f.write(str(pid))
        for _ in range(200):
            if os.path.exists(portfile):
                return 0
            import time; time.sleep(0.05)
        return 1
    if command == "stop":
        try:
            os.kill(int(open(portfile + ".pid").read()), signal.SIGTERM)
        except (OSError, ValueError):
            pass
        return 0
    return 2


if __name__ == "__main__":
    sys.exit(main())
