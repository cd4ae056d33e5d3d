#!/usr/bin/env python3
"""A fast loopback HTTPS file server for the download benchmark.

Serves one package of --size bytes at every path, over TLS with a fresh self-signed certificate for 127.0.0.1,
so the download profile and the bare libcurl loop are measured against a server that is not the limit: the
body goes out in 4 MiB slices of a memory-mapped file (OpenSSL encrypts each slice in one call), where the
stand-in vendor service writes through Python's buffered HTTP handler.

    file_server.py --port PORT --size BYTES [--background] | --port PORT --stop
"""
import argparse
import mmap
import os
import signal
import socket
import ssl
import subprocess
import sys
import tempfile
import threading
import time

SLICE = 4 * 1024 * 1024


def make_certificate(folder):
    cert = os.path.join(folder, "cert.pem")
    key = os.path.join(folder, "key.pem")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=127.0.0.1",
                    "-addext", "subjectAltName=IP:127.0.0.1,DNS:localhost", "-keyout", key, "-out", cert],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return cert, key


def make_package(folder, size):
    path = os.path.join(folder, "package.bin")
    block = os.urandom(1024 * 1024)
    with open(path, "wb") as f:
        left = size
        while left > 0:
            f.write(block[:min(left, len(block))])
            left -= len(block)
    return path


def serve_one(conn, body):
    try:
        conn.settimeout(120)
        conn.do_handshake()
        request = b""
        while b"\r\n\r\n" not in request:
            chunk = conn.recv(4096)
            if not chunk:
                return
            request += chunk
        if request.startswith(b"POST /stop"):
            conn.sendall(b"HTTP/1.1 200 OK\r\nContent-Length: 0\r\nConnection: close\r\n\r\n")
            os.kill(os.getpid(), signal.SIGTERM)
            return
        conn.sendall(b"HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: %d\r\n"
                     b"Connection: close\r\n\r\n" % len(body))
        view = memoryview(body)
        for start in range(0, len(body), SLICE):
            conn.sendall(view[start:start + SLICE])
        conn.unwrap()
    except (OSError, ssl.SSLError):
        pass
    finally:
        conn.close()


def serve(port, size):
    folder = tempfile.mkdtemp(prefix="pavonel-bench-server-")
    cert, key = make_certificate(folder)
    path = make_package(folder, size)
    with open(path, "rb") as f:
        body = mmap.mmap(f.fileno(), 0, access=mmap.ACCESS_READ) if size > 0 else b""
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    listener = socket.socket()
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", port))
    listener.listen(16)

    def stop(*_):
        for name in os.listdir(folder):
            os.unlink(os.path.join(folder, name))
        os.rmdir(folder)
        os._exit(0)

    signal.signal(signal.SIGTERM, stop)
    while True:
        sock, _ = listener.accept()
        conn = context.wrap_socket(sock, server_side=True, do_handshake_on_connect=False)
        threading.Thread(target=serve_one, args=(conn, body), daemon=True).start()


def answers(port):
    try:
        with socket.create_connection(("127.0.0.1", port), timeout=1):
            return True
    except OSError:
        return False


def stop_running(port):
    if not answers(port):
        return
    context = ssl.create_default_context()
    context.check_hostname = False
    context.verify_mode = ssl.CERT_NONE
    try:
        with context.wrap_socket(socket.create_connection(("127.0.0.1", port), timeout=5)) as conn:
            conn.sendall(b"POST /stop HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 0\r\n\r\n")
            conn.recv(1024)
    except (OSError, ssl.SSLError):
        pass
    for _ in range(50):
        if not answers(port):
            return
        time.sleep(0.1)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--size", type=int, default=200 * 1024 * 1024)
    parser.add_argument("--background", action="store_true", help="detach; return once the port answers")
    parser.add_argument("--stop", action="store_true")
    args = parser.parse_args()
    stop_running(args.port)
    if args.stop:
        return 0
    if args.background:
        if os.fork() > 0:
            for _ in range(300):
                if answers(args.port):
                    return 0
                time.sleep(0.1)
            print("file server did not start on port %d" % args.port)
            return 1
        os.setsid()
        devnull = os.open(os.devnull, os.O_RDWR)
        for fd in (0, 1, 2):
            os.dup2(devnull, fd)
    serve(args.port, args.size)
    return 0


if __name__ == "__main__":
    sys.exit(main())
