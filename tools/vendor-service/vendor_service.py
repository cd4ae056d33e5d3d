#!/usr/bin/env python3
"""Stand-in for Tarvix's online services, on loopback only, for development, tests and the demo.

HTTPS port (self-signed certificate made at start):
  GET  /tarvix/getDownUrl?softType=CORVEX   download-address service
  GET  /down/down?path=<name>               package download host
  GET  /down/hop?n=<k>&path=<name>[&tls=1]  redirect chain towards /down/down (tls=1: every hop on HTTPS)
  POST /client/userOperating                usage events (every body is kept)
  GET  /cn/license-agreement.html           licence page
Plain HTTP port:
  GET  /ipJson.jsp?json=true                public IP lookup
  GET  /proxy.pac                           a proxy configuration script (any query), answering the scenario's pac
  GET  /down/down, /down/hop                the same package host without TLS (redirect targets)
  control endpoints (tests):
  POST /control/scenario   JSON object merged into the scenario (see DEFAULT_SCENARIO)
  POST /control/reset      default scenario, no events kept
  GET  /control/events     JSON list of the usage-event bodies received (as text)
  GET  /control/stats      JSON object: request counts per path
  POST /control/shutdown   stops the service

Scenario keys (also settable at start with --scenario KEY=VALUE):
  lookup:  object | string | state1 | null | notjson | missing | notstring | noscheme | badscheme |
           sha256 | badsha | redirect | long | silent | tohttp
           (sha256: the digest of the package as served; tohttp: a redirect to the same lookup on plain HTTP,
           which answers with another package address and digest)
  online:  path (and query) the lookup's "onlineUrl" points to, default /down/down?path=CORVEX_Online.exe
  package: length | chunked | 404 | 500 | redirect | tohttp | loop | stall | cut | big | slow | corrupt |
           unsigned | other | tampered
           (corrupt: the package with its first byte changed, so its published digest no longer matches)
           (unsigned, other: the builds kept beside the package, <name>-unsigned.exe and <name>-other.exe, not
           signed or signed by another publisher; tampered: the signed package with one byte changed)
           (redirect: a chain on HTTPS that ends in the mode redirect_then, default length; tohttp: one
           redirect to the same package on plain HTTP)
  redirect_body: bytes of the HTML page every redirect carries, as redirectors send one (0: an empty body)
  stall_after / cut_after: bytes sent before stalling / closing;  big_size: bytes of the "big" package
  slow_rate: bytes per second of the "slow" package (served with its length; a reset ends it)
  events:  up | down | silent  ip: ok | last | noip | down | silent
  ranges:  honour | ignore | none | wrongstart | blind | short   (the package's answer to "Range"; honour: "Accept-Ranges"
           and 206, or the whole file with 200 when "If-Range" names another version; ignore: announced, but
           always 200; none: not announced, always 200; wrongstart: 206 starting 1000 bytes early; blind: 206
           whatever "If-Range" says; short: 206 parts end 1000 bytes before the end of the file)
  stale_first: 1 = the first package reply is an older build, 1000 bytes longer, under the same validator
  etag:    fixed | change | none   (change: a new ETag on every package request; none: Last-Modified only)
  drop_after / drop_times: the first drop_times package replies close after drop_after body bytes (0: never)
  fail_status / fail_times: the first fail_times package requests are answered with fail_status (0: never)
  lookup_fail: the first lookup_fail address lookups are answered with 503
  pac:     what the proxy configuration script answers for every address, e.g. "PROXY 127.0.0.1:9; DIRECT"
  pac_serve: ok | 404 | silent   (how /proxy.pac is served)
  GET /control/proxied: JSON list of what the proxy stand-ins carried: "CONNECT host:port" or "GET http://..."
      (--proxy-port, HTTP), "SOCKS4 CONNECT host:port" or "SOCKS5 CONNECT host:port" (--socks-port); they ask
      for no credentials and reach 127.0.0.1 only
  GET /control/transfers: JSON list, one entry per package request: range asked, status, start, bytes sent
"""
import argparse
import hashlib
import json
import os
import signal
import socket
import socketserver
import ssl
import struct
import subprocess
import sys
import tempfile
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import parse_qs, urlsplit

DEFAULT_SCENARIO = {
    "lookup": "object",
    "online": "/down/down?path=CORVEX_Online.exe",
    "package": "length",
    "stall_after": 65536,
    "cut_after": 65536,
    "big_size": 200 * 1024 * 1024,
    "slow_rate": 300000,
    "events": "up",
    "ip": "ok",
    "ranges": "honour",
    "etag": "fixed",
    "drop_after": 0,
    "drop_times": 1,
    "fail_status": 0,
    "fail_times": 1,
    "lookup_fail": 0,
    "stale_first": 0,
    "redirect_then": "length",
    "redirect_body": 0,
    "pac": "DIRECT",
    "pac_serve": "ok",
}
LAST_MODIFIED = "Tue, 01 Dec 2026 10:00:00 GMT"
PUBLIC_IP = "203.0.113.7"
IDLE_EXIT_SECONDS = 1800  # the service never outlives its users by long


class State:
    def __init__(self, package_path, https_port, http_port):
        self.lock = threading.Lock()
        self.package_path = package_path
        self.https_port = https_port
        self.http_port = http_port
        self.generation = 0  # bumped by reset: stalled replies give up
        self.last_request = time.time()
        self.reset()

    def reset(self, initial=None):
        with self.lock:
            self.scenario = dict(DEFAULT_SCENARIO)
            if initial:
                self.scenario.update(initial)
            self.events = []
            self.stats = {}
            self.transfers = []  # one entry per package request
            self.proxied = []    # what the proxy stand-in carried
            self.drops_done = 0
            self.generation += 1

    def package_bytes(self, mode="length"):
        """The package as the scenario serves it: the signed one, or one of its variants built beside it."""
        path = self.package_path
        if mode in ("unsigned", "other"):
            path = os.path.splitext(path)[0] + "-" + mode + ".exe"
        with open(path, "rb") as f:
            data = f.read()
        if mode == "tampered":  # one byte changed after signing, in the signed part of the file
            data = data[:len(data) // 2] + bytes([data[len(data) // 2] ^ 0xFF]) + data[len(data) // 2 + 1:]
        return data


STATE = None


def https_base():
    return "https://127.0.0.1:%d" % STATE.https_port


def lookup_reply(mode, tls=True):
    online = https_base() + STATE.scenario["online"]
    offline = https_base() + "/down/down?path=CORVEX_Offline.exe"
    data = {"onlineUrl": online, "offlineUrl": offline}
    if mode == "string":
        return json.dumps({"state": 0, "msg": "ok", "data": json.dumps(data)})
    if mode == "state1":
        return json.dumps({"state": 1, "msg": "unknown softType", "data": data})
    if mode == "null":
        return json.dumps({"state": 0, "data": None})
    if mode == "notjson":
        return "<html><body>Service temporarily unavailable</body></html>"
    if mode == "missing":
        return json.dumps({"state": 0, "data": {"offlineUrl": offline}})
    if mode == "notstring":
        return json.dumps({"state": 0, "data": {"onlineUrl": 12345, "offlineUrl": offline}})
    if mode == "noscheme":
        data["onlineUrl"] = online[len("https://"):]
        return json.dumps({"state": 0, "data": data})
    if mode == "badscheme":
        return json.dumps({"state": 0, "data": {"onlineUrl": "file:///C:/windows/system32/cmd.exe",
                                                "offlineUrl": "C:\\windows\\system32\\calc.exe"}})
    if mode == "sha256":
        data["sha256"] = hashlib.sha256(STATE.package_bytes(STATE.scenario["package"])).hexdigest().upper()
        return json.dumps({"state": 0, "data": data})
    if mode == "badsha":
        data["sha256"] = hashlib.sha256(b"another package").hexdigest()
        return json.dumps({"state": 0, "data": data})
    if mode == "redirect":
        data["onlineUrl"] = https_base() + "/down/hop?n=3&path=CORVEX_Online.exe"
        return json.dumps({"state": 0, "data": data})
    if mode == "tohttp" and not tls:  # what a plain-http answer chooses: another package, with its digest
        data["onlineUrl"] = online + "&from=plainhttp"
        data["sha256"] = hashlib.sha256(b"another package").hexdigest()
        return json.dumps({"state": 0, "data": data})
    if mode == "long":
        data["onlineUrl"] = online + "&pad=" + "x" * 600
        return json.dumps({"state": 0, "data": data})
    return json.dumps({"state": 0, "msg": "ok", "data": data})


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "TarvixStandIn/1.0"
    # A reply goes out as headers, then body: with Nagle's algorithm the body would wait for the client's
    # delayed acknowledgement of the headers (some 40 ms on every request).
    disable_nagle_algorithm = True

    def setup(self):
        if isinstance(self.request, ssl.SSLSocket):
            self.request.do_handshake()
        super().setup()

    def log_message(self, fmt, *args):  # quiet: tests read results through /control
        pass

    def count(self, path):
        with STATE.lock:
            STATE.stats[path] = STATE.stats.get(path, 0) + 1
            STATE.last_request = time.time()

    def body(self):
        length = int(self.headers.get("Content-Length") or 0)
        return self.rfile.read(length) if length > 0 else b""

    def reply(self, status, payload, content_type="application/json"):
        if isinstance(payload, str):
            payload = payload.encode("utf-8")
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(payload)))
        self.end_headers()
        self.wfile.write(payload)

    def drop(self):
        """Closes the connection without any answer (a service that is down)."""
        self.close_connection = True
        try:
            self.connection.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass

    def silent(self):
        """Accepts the request and never answers (a frozen network); gives up after a minute or a reset."""
        generation = STATE.generation
        for _ in range(600):
            if STATE.generation != generation:
                break
            time.sleep(0.1)
        self.drop()

    # ---- dispatch -------------------------------------------------------------------------------
    def do_GET(self):
        self.dispatch("GET")

    def do_POST(self):
        self.dispatch("POST")

    def dispatch(self, method):
        url = urlsplit(self.path)
        query = parse_qs(url.query)
        self.count(url.path)
        request_body = self.body()
        tls = isinstance(self.connection, ssl.SSLSocket)
        with STATE.lock:
            scenario = dict(STATE.scenario)
        try:
            if url.path.startswith("/control/") and not tls:
                return self.control(method, url.path, request_body)
            if url.path == "/tarvix/getDownUrl" and not tls and scenario["lookup"] == "tohttp":
                return self.reply(200, lookup_reply("tohttp", tls=False))
            if url.path == "/tarvix/getDownUrl" and tls:
                if scenario["lookup"] == "silent":
                    return self.silent()
                if scenario["lookup"] == "tohttp":
                    return self.redirect("http://127.0.0.1:%d%s" % (STATE.http_port, self.path))
                if STATE.stats.get(url.path, 0) <= int(scenario["lookup_fail"]):
                    return self.reply(503, "<html><body>Service unavailable</body></html>", "text/html")
                return self.reply(200, lookup_reply(scenario["lookup"]))
            if url.path == "/down/hop":
                hops = int(query.get("n", ["1"])[0])
                name = query.get("path", ["CORVEX_Online.exe"])[0]
                # Alternate between the two ports so the chain also crosses to another address (unless the
                # chain must stay on TLS, as the package's must).
                if hops > 1 and "tls" in query:
                    target = https_base() + "/down/hop?n=%d&tls=1&path=%s" % (hops - 1, name)
                elif hops > 1:
                    target = "http://127.0.0.1:%d/down/hop?n=%d&path=%s" % (STATE.http_port, hops - 1, name)
                else:
                    target = https_base() + "/down/down?hopped=1&path=" + name
                return self.redirect(target)
            if url.path == "/down/down":
                if "hopped" in query and scenario["package"] == "redirect":
                    scenario["package"] = scenario["redirect_then"]  # the end of the chain serves the package
                if scenario["package"] == "tohttp" and not tls:
                    scenario["package"] = "length"  # the plain-HTTP end of the redirect serves the package
                return self.package(query.get("path", [""])[0], scenario)
            if url.path == "/client/userOperating" and method == "POST" and tls:
                if scenario["events"] == "down":
                    return self.drop()
                if scenario["events"] == "silent":
                    return self.silent()
                with STATE.lock:
                    STATE.events.append(request_body.decode("utf-8", "replace"))
                return self.reply(200, json.dumps({"state": 0, "msg": "ok"}))
            if url.path == "/ipJson.jsp" and not tls:
                return self.ip_lookup(scenario["ip"])
            if url.path == "/proxy.pac" and not tls:
                return self.proxy_script(scenario)
            if url.path == "/cn/license-agreement.html":
                return self.reply(200, "<html><body><h1>Lumbra licence agreement</h1></body></html>", "text/html")
            return self.reply(404, "<html><body>404 Not Found</body></html>", "text/html")
        except (BrokenPipeError, ConnectionResetError, ssl.SSLError):
            self.close_connection = True
            return None

    def redirect(self, target):
        with STATE.lock:
            size = int(STATE.scenario["redirect_body"])
        page = b"<html><body>The file has moved: " + target.encode() + b"</body></html>"
        page = (page * (size // len(page) + 1))[:size]
        self.send_response(302)
        self.send_header("Location", target)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(page)))
        self.end_headers()
        self.wfile.write(page)

    def proxy_script(self, scenario):
        if scenario["pac_serve"] == "silent":
            return self.silent()
        if scenario["pac_serve"] == "404":
            return self.reply(404, "<html><body>404 Not Found</body></html>", "text/html")
        script = "function FindProxyForURL(url, host) { return %s; }" % json.dumps(scenario["pac"])
        return self.reply(200, script, "application/x-ns-proxy-autoconfig")

    def ip_lookup(self, mode):
        if mode == "down":
            return self.drop()
        if mode == "silent":
            return self.silent()
        if mode == "last":
            return self.reply(200, '{"pro":"Zhejiang","city":"Hangzhou","ip":"%s"}' % PUBLIC_IP)
        if mode == "noip":
            return self.reply(200, '{"pro":"Zhejiang","city":"Hangzhou","err":"no address"}')
        return self.reply(200, '{"ip":"%s","pro":"Zhejiang","city":"Hangzhou"}' % PUBLIC_IP)

    def package(self, name, scenario):
        if name == "CORVEX_Offline.exe":
            return self.reply(200, b"offline package stand-in", "application/octet-stream")
        if name != "CORVEX_Online.exe":
            return self.reply(404, "<html><body>404 Not Found</body></html>", "text/html")
        mode = scenario["package"]
        if mode == "404":
            return self.reply(404, "<html><body>404 Not Found</body></html>", "text/html")
        if mode == "500":
            return self.reply(500, "<html><body>500 Internal Server Error</body></html>", "text/html")
        if mode == "redirect":
            return self.redirect("/down/hop?n=3&tls=1&path=" + name)
        if mode == "tohttp":
            return self.redirect("http://127.0.0.1:%d/down/down?path=%s" % (STATE.http_port, name))
        if mode == "loop":  # redirects to itself for ever
            return self.redirect("/down/down?path=" + name)
        if mode == "big":
            return self.big_package(int(scenario["big_size"]))
        return self.package_body(scenario)

    def package_reply(self, scenario, number, data):
        """Status, start offset and headers of one package reply, after the scenario's handling of Range."""
        etag_mode = scenario["etag"]
        headers = [("Content-Type", "application/octet-stream")]
        validator = None
        if etag_mode == "change":
            validator = '"pkg-%d"' % number
        elif etag_mode == "fixed":
            validator = '"pkg-1"'
        if validator:
            headers.append(("ETag", validator))
        headers.append(("Last-Modified", LAST_MODIFIED))
        ranges = scenario["ranges"]
        if ranges != "none":
            headers.append(("Accept-Ranges", "bytes"))
        asked = self.headers.get("Range") or ""
        start = 0
        if asked.startswith("bytes=") and asked.endswith("-") and ranges in ("honour", "wrongstart", "blind", "short"):
            try:
                start = int(asked[len("bytes="):-1])
            except ValueError:
                start = 0
            if_range = self.headers.get("If-Range")
            current = validator or LAST_MODIFIED
            if ranges == "honour" and if_range is not None and if_range != current:
                start = 0  # another version: the whole file
            elif ranges == "wrongstart":
                start = max(0, start - 1000)
            if start >= len(data) and start > 0:
                return 416, 0, 0, headers + [("Content-Range", "bytes */%d" % len(data))]
            end = len(data)
            if ranges == "short" and start < len(data) - 1000:
                end = len(data) - 1000  # the part stops short of the end of the file
            if start > 0 or ranges != "honour":
                return 206, start, end, headers + [("Content-Range", "bytes %d-%d/%d" % (start, end - 1, len(data)))]
        return 200, 0, len(data), headers

    def package_body(self, scenario):
        mode = scenario["package"]
        data = STATE.package_bytes(mode)
        if mode == "corrupt":
            data = bytes([data[0] ^ 0xFF]) + data[1:]
        with STATE.lock:
            number = len(STATE.transfers) + 1
            entry = {"range": self.headers.get("Range") or "", "if_range": self.headers.get("If-Range") or "",
                     "status": 0, "start": 0, "sent": 0}
            STATE.transfers.append(entry)
            failing = int(scenario["fail_status"]) > 0 and number <= int(scenario["fail_times"])
            dropping = int(scenario["drop_after"]) > 0 and STATE.drops_done < int(scenario["drop_times"])
            if dropping:
                STATE.drops_done += 1
        if number == 1 and scenario["stale_first"]:  # an older, longer build still served under the same name
            data = bytes([data[0] ^ 0xFF]) + data[1:] + b"\0" * 1000
        if failing:
            entry["status"] = int(scenario["fail_status"])
            return self.reply(entry["status"], "<html><body>Service unavailable</body></html>", "text/html")
        status, start, end, headers = self.package_reply(scenario, number, data)
        entry["status"], entry["start"] = status, start
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        if status == 416:
            self.send_header("Content-Length", "0")
            self.end_headers()
            return None
        body = data[start:end]
        if mode == "chunked":
            self.send_header("Transfer-Encoding", "chunked")
            self.end_headers()
            for offset in range(0, len(body), 16384):
                piece = body[offset:offset + 16384]
                self.wfile.write(b"%x\r\n" % len(piece) + piece + b"\r\n")
                entry["sent"] += len(piece)
            self.wfile.write(b"0\r\n\r\n")
            return None
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if dropping:
            return self.send_counted(entry, body[:int(scenario["drop_after"])], then=self.drop)
        if mode == "stall":
            return self.send_counted(entry, body[:int(scenario["stall_after"])], then=self.silent)
        if mode == "slow":
            return self.throttled(body, max(1, int(scenario["slow_rate"])), entry)
        if mode == "cut":
            return self.send_counted(entry, body[:int(scenario["cut_after"])], then=self.drop)
        return self.send_counted(entry, body)

    def send_counted(self, entry, piece, then=None):
        self.wfile.write(piece)
        self.wfile.flush()
        entry["sent"] += len(piece)
        return then() if then else None

    def throttled(self, data, rate, entry):
        """Sends `data` at about `rate` bytes per second; a reset or a scenario change ends it early."""
        generation = STATE.generation
        piece = max(1, rate // 10)
        for start in range(0, len(data), piece):
            if STATE.generation != generation:
                return self.drop()
            self.send_counted(entry, data[start:start + piece])
            time.sleep(0.1)
        return None

    def big_package(self, size):
        block = bytes(range(256)) * 4096  # 1 MiB
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(size))
        self.end_headers()
        left = size
        while left > 0:
            piece = block if left >= len(block) else block[:left]
            self.wfile.write(piece)
            left -= len(piece)
        return None

    def control(self, method, path, request_body):
        if path == "/control/scenario" and method == "POST":
            changes = json.loads(request_body.decode("utf-8") or "{}")
            with STATE.lock:
                STATE.scenario.update(changes)
                STATE.generation += 1
                current = dict(STATE.scenario)
            return self.reply(200, json.dumps(current))
        if path == "/control/reset" and method == "POST":
            STATE.reset(INITIAL_SCENARIO)
            return self.reply(200, "{}")
        if path == "/control/events":
            with STATE.lock:
                return self.reply(200, json.dumps(STATE.events))
        if path == "/control/proxied":
            with STATE.lock:
                return self.reply(200, json.dumps(STATE.proxied))
        if path == "/control/transfers":
            with STATE.lock:
                return self.reply(200, json.dumps(STATE.transfers))
        if path == "/control/stats":
            with STATE.lock:
                return self.reply(200, json.dumps(STATE.stats))
        if path == "/control/shutdown" and method == "POST":
            self.reply(200, "{}")
            threading.Thread(target=shutdown_all, daemon=True).start()
            return None
        return self.reply(404, "{}")


class ProxyHandler(BaseHTTPRequestHandler):
    """A plain HTTP proxy on loopback: CONNECT tunnels (HTTPS) and absolute-form requests (plain HTTP)."""
    protocol_version = "HTTP/1.1"

    def log_message(self, fmt, *args):
        pass

    def note(self, text):
        with STATE.lock:
            STATE.proxied.append(text)

    def do_CONNECT(self):
        host, _, port = self.path.rpartition(":")
        self.note("CONNECT " + self.path)
        if host not in ("127.0.0.1", "localhost"):
            self.send_error(403)
            return
        try:
            upstream = socket.create_connection((host, int(port)), timeout=30)
        except OSError:
            self.send_error(502)
            return
        self.send_response(200, "Connection established")
        self.end_headers()
        self.close_connection = True
        self.tunnel(self.connection, upstream)

    @staticmethod
    def tunnel(client, upstream):
        import selectors
        selector = selectors.DefaultSelector()
        selector.register(client, selectors.EVENT_READ, upstream)
        selector.register(upstream, selectors.EVENT_READ, client)
        try:
            while True:
                events = selector.select(timeout=120)
                if not events:
                    return
                for key, _ in events:
                    data = key.fileobj.recv(65536)
                    if not data:
                        return
                    key.data.sendall(data)
        except OSError:
            return
        finally:
            upstream.close()

    def forward(self):
        url = urlsplit(self.path)
        self.note("%s %s" % (self.command, self.path))
        if url.hostname not in ("127.0.0.1", "localhost") or url.scheme != "http":
            self.send_error(403)
            return
        import http.client
        length = int(self.headers.get("Content-Length") or 0)
        body = self.rfile.read(length) if length else None
        connection = http.client.HTTPConnection(url.hostname, url.port or 80, timeout=30)
        target = url.path + ("?" + url.query if url.query else "")
        headers = {k: v for k, v in self.headers.items() if k.lower() not in ("proxy-connection", "connection")}
        connection.request(self.command, target, body=body, headers=headers)
        answer = connection.getresponse()
        payload = answer.read()
        self.send_response(answer.status)
        for name, value in answer.getheaders():
            if name.lower() not in ("transfer-encoding", "connection", "content-length"):
                self.send_header(name, value)
        self.send_header("Content-Length", str(len(payload)))
        self.end_headers()
        self.wfile.write(payload)

    do_GET = forward
    do_POST = forward


class SocksHandler(socketserver.StreamRequestHandler):
    """A SOCKS4(a) and SOCKS5 proxy on loopback: no credentials, CONNECT to 127.0.0.1 only."""

    def handle(self):
        version = self.rfile.read(1)
        try:
            target = self.socks4() if version == b"\x04" else self.socks5() if version == b"\x05" else None
        except (OSError, ValueError, IndexError):
            return
        if target is None:
            return
        host, port, answer_ok, answer_refused = target
        with STATE.lock:
            STATE.proxied.append("SOCKS%s CONNECT %s:%d" % (version[0], host, port))
        if host not in ("127.0.0.1", "localhost"):
            self.wfile.write(answer_refused)
            return
        try:
            upstream = socket.create_connection((host, port), timeout=30)
        except OSError:
            self.wfile.write(answer_refused)
            return
        self.wfile.write(answer_ok)
        ProxyHandler.tunnel(self.connection, upstream)

    def socks4(self):
        command, port, address = struct.unpack(">BH4s", self.rfile.read(7))
        self.read_text()  # user id
        host = self.read_text() if address[:3] == b"\0\0\0" else socket.inet_ntoa(address)  # 4a: by name
        reply = lambda code: bytes([0, code]) + b"\0" * 6
        return (host, port, reply(0x5A), reply(0x5B)) if command == 1 else None

    def socks5(self):
        methods = self.rfile.read(self.rfile.read(1)[0])
        if 0 not in methods:
            self.wfile.write(b"\x05\xff")
            return None
        self.wfile.write(b"\x05\x00")
        _, command, _, kind = self.rfile.read(4)
        if kind == 1:
            host = socket.inet_ntoa(self.rfile.read(4))
        elif kind == 3:
            host = self.rfile.read(self.rfile.read(1)[0]).decode()
        else:
            return None
        port = struct.unpack(">H", self.rfile.read(2))[0]
        reply = lambda code: bytes([5, code, 0, 1]) + b"\0" * 6
        return (host, port, reply(0), reply(5)) if command == 1 else None

    def read_text(self):
        text = b""
        while not text.endswith(b"\0"):
            text += self.rfile.read(1) or b"\0"
        return text[:-1].decode()


SERVERS = []
INITIAL_SCENARIO = {}


def shutdown_all():
    for server in SERVERS:
        server.shutdown()


def make_certificate(folder):
    """A fresh self-signed certificate for 127.0.0.1 and localhost, made with the openssl command line."""
    cert = os.path.join(folder, "cert.pem")
    key = os.path.join(folder, "key.pem")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                    "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1,DNS:localhost",
                    "-keyout", key, "-out", cert],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return cert, key


class TlsServer(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, address, handler, context):
        super().__init__(address, handler)
        self.context = context

    def get_request(self):
        sock, addr = super().get_request()
        sock.settimeout(120)
        # The handshake runs on the request's own thread (Handler.setup), never in the accept loop.
        return self.context.wrap_socket(sock, server_side=True, do_handshake_on_connect=False), addr

    def handle_error(self, request, client_address):  # handshake failures and resets are expected
        pass


class SocksServer(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True


class PlainServer(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def handle_error(self, request, client_address):
        pass


def idle_watch():
    while True:
        time.sleep(10)
        if time.time() - STATE.last_request > IDLE_EXIT_SECONDS:
            shutdown_all()
            return


def parse_scenario(items):
    scenario = {}
    for item in items or []:
        key, _, value = item.partition("=")
        scenario[key] = int(value) if value.isdigit() else value
    return scenario


def stop_running(http_port):
    import urllib.request
    try:
        urllib.request.urlopen(urllib.request.Request(
            "http://127.0.0.1:%d/control/shutdown" % http_port, data=b"", method="POST"), timeout=5)
    except OSError:
        pass


def wait_until_free(port, seconds=10):
    deadline = time.time() + seconds
    while time.time() < deadline:
        try:
            with socket.create_connection(("127.0.0.1", port), timeout=1):
                time.sleep(0.1)
        except OSError:
            return


def wait_until_ready(port, seconds=20):
    deadline = time.time() + seconds
    while time.time() < deadline:
        try:
            with socket.create_connection(("127.0.0.1", port), timeout=1):
                return True
        except OSError:
            time.sleep(0.1)
    return False


def main():
    global STATE, INITIAL_SCENARIO
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--https-port", type=int, default=47443)
    parser.add_argument("--http-port", type=int, default=47080)
    parser.add_argument("--proxy-port", type=int, default=0, help="also run the proxy stand-in on this port")
    parser.add_argument("--socks-port", type=int, default=0, help="also run the SOCKS stand-in on this port")
    parser.add_argument("--package", required=False, help="file served as CORVEX_Online.exe")
    parser.add_argument("--scenario", action="append", metavar="KEY=VALUE", help="initial scenario entries")
    parser.add_argument("--background", action="store_true", help="detach; return once the ports answer")
    parser.add_argument("--pid-file")
    parser.add_argument("--stop", action="store_true", help="stop a running service (its HTTP port)")
    parser.add_argument("--replace", action="store_true", help="stop a service left on these ports first")
    args = parser.parse_args()

    if args.stop or args.replace:
        stop_running(args.http_port)
        if args.stop:
            return 0
        for port in (args.https_port, args.http_port):
            wait_until_free(port)

    if args.background:
        if os.fork() > 0:
            ok = wait_until_ready(args.https_port) and wait_until_ready(args.http_port)
            print("vendor service %s on https %d, http %d" % ("ready" if ok else "NOT ready",
                                                              args.https_port, args.http_port))
            return 0 if ok else 1
        os.setsid()
        devnull = os.open(os.devnull, os.O_RDWR)
        for fd in (0, 1, 2):
            os.dup2(devnull, fd)

    if args.pid_file:
        with open(args.pid_file, "w") as f:
            f.write(str(os.getpid()))

    package = args.package
    folder = tempfile.mkdtemp(prefix="tarvix-standin-")
    if not package:
        package = os.path.join(folder, "CORVEX_Online.exe")
        with open(package, "wb") as f:
            f.write(b"MZ stand-in package without a program")
    STATE = State(os.path.abspath(package), args.https_port, args.http_port)
    INITIAL_SCENARIO = parse_scenario(args.scenario)
    STATE.reset(INITIAL_SCENARIO)

    cert, key = make_certificate(folder)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    https = TlsServer(("127.0.0.1", args.https_port), Handler, context)
    http = PlainServer(("127.0.0.1", args.http_port), Handler)
    SERVERS.extend([https, http])
    if args.proxy_port:
        proxy = PlainServer(("127.0.0.1", args.proxy_port), ProxyHandler)
        SERVERS.append(proxy)
        threading.Thread(target=proxy.serve_forever, daemon=True).start()
    if args.socks_port:
        socks = SocksServer(("127.0.0.1", args.socks_port), SocksHandler)
        SERVERS.append(socks)
        threading.Thread(target=socks.serve_forever, daemon=True).start()
    signal.signal(signal.SIGTERM, lambda *_: threading.Thread(target=shutdown_all, daemon=True).start())
    threading.Thread(target=https.serve_forever, daemon=True).start()
    threading.Thread(target=idle_watch, daemon=True).start()
    if not args.background:
        print("vendor service on https://127.0.0.1:%d and http://127.0.0.1:%d" % (args.https_port, args.http_port))
        sys.stdout.flush()
    http.serve_forever()
    https.server_close()
    http.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
