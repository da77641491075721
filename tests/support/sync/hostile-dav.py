#!/usr/bin/python3
"""A CardDAV server that answers as a hostile one would, for the client's tests.

Every request it receives, on its own port and on a second port that stands for
another server, is written to DIR/requests.log as "main|other METHOD PATH auth|-".
The second port's number is written to DIR/other-port.

  /dav/alice/contacts/  an address book whose answers name cards outside it
  /                      a principal on the other server
  /endless/              an answer that never ends (bounded, so the test ends)
  /drip/                 an answer of one byte every half second (bounded)

usage: hostile-dav.py DIR PORT USER PASSWORD
"""
import base64
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

BOOK = "/dav/alice/contacts/"
CARD = "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:%s\r\nFN:%s\r\nN:%s;;;;\r\nEND:VCARD\r\n"


class State:
    dir = "."
    user = ""
    password = ""
    other_port = 0
    lock = threading.Lock()

    @classmethod
    def log(cls, where, handler):
        auth = "auth" if handler.headers.get("Authorization") else "-"
        with cls.lock, open(cls.dir + "/requests.log", "a") as f:
            f.write("%s %s %s %s\n" % (where, handler.command, handler.path, auth))


def hostile_hrefs():
    other = "127.0.0.1:%d" % State.other_port
    return ["../other-user/victim.vcf", "/dav/other-user/contacts/x.vcf",
            "http://%s/y.vcf" % other, "//%s/z.vcf" % other,
            "%2E%2E/other-user/w.vcf", BOOK + "sub%2Fv.vcf", BOOK + "sub/u.vcf"]


def response(href, data=None, status=None):
    if status:
        return "<d:response><d:href>%s</d:href><d:status>%s</d:status></d:response>" % (href, status)
    props = '<d:getetag>"e1"</d:getetag>'
    if data is not None:
        props += "<c:address-data>%s</c:address-data>" % data
    return ("<d:response><d:href>%s</d:href><d:propstat><d:prop>%s</d:prop>"
            "<d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>" % (href, props))


def multistatus(parts, token=""):
    body = ('<?xml version="1.0"?><d:multistatus xmlns:d="DAV:" '
            'xmlns:c="urn:ietf:params:xml:ns:carddav">' + "".join(parts))
    if token:
        body += "<d:sync-token>%s</d:sync-token>" % token
    return (body + "</d:multistatus>").encode()


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def authorized(self):
        expected = base64.b64encode(("%s:%s" % (State.user, State.password)).encode()).decode()
        return self.headers.get("Authorization", "") == "Basic " + expected

    def send(self, status, body=b"", headers=()):
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def handle_any(self):
        length = int(self.headers.get("Content-Length") or 0)
        self.rfile.read(length)
        State.log("main", self)
        if not self.authorized():
            return self.send(401, b"", [("WWW-Authenticate", 'Basic realm="hostile"')])
        if self.path.startswith("/endless/"):
            return self.endless()
        if self.path.startswith("/drip/"):
            return self.drip()
        if self.path == "/":
            principal = "http://127.0.0.1:%d/principal/" % State.other_port
            return self.send(207, multistatus([
                "<d:response><d:href>/</d:href><d:propstat><d:prop><d:current-user-principal>"
                "<d:href>%s</d:href></d:current-user-principal></d:prop>"
                "<d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>" % principal]))
        if self.path == BOOK and self.command in ("PROPFIND", "REPORT"):
            card = lambda h: CARD % (h, h, h) if self.command == "REPORT" else None
            parts = [response(BOOK)] if self.command == "PROPFIND" else []
            parts += [response(h, card(h)) for h in [BOOK + "good.vcf", "rel.vcf"] + hostile_hrefs()]
            parts += [response(h, status="HTTP/1.1 404 Not Found") for h in hostile_hrefs()[:2]]
            return self.send(207, multistatus(parts, "t1" if self.command == "REPORT" else ""))
        self.send(204)

    def chunked(self, pieces, pause):
        self.send_response(207)
        self.send_header("Transfer-Encoding", "chunked")
        self.end_headers()
        try:
            for piece in pieces:
                self.wfile.write(b"%x\r\n%s\r\n" % (len(piece), piece))
                self.wfile.flush()
                time.sleep(pause)
        except (BrokenPipeError, ConnectionResetError):
            pass
        self.close_connection = True

    def endless(self):
        # 512 MiB at most, far past any limit the client keeps.
        item = response("/endless/x.vcf").encode() * 1000
        head = [multistatus([])[:-len("</d:multistatus>")]]
        self.chunked(head + [item] * (512 * 1024 * 1024 // len(item)), 0)

    def drip(self):
        self.chunked([b" "] * 120, 0.5)

    do_GET = do_PUT = do_DELETE = do_PROPFIND = do_REPORT = handle_any


class Other(BaseHTTPRequestHandler):
    """Another server: it only asks for a password and writes down what it got."""
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def handle_any(self):
        self.rfile.read(int(self.headers.get("Content-Length") or 0))
        State.log("other", self)
        self.send_response(401)
        self.send_header("WWW-Authenticate", 'Basic realm="other"')
        self.send_header("Content-Length", "0")
        self.end_headers()

    do_GET = do_PUT = do_DELETE = do_PROPFIND = do_REPORT = handle_any


def main(argv):
    State.dir, port, State.user, State.password = argv[1], int(argv[2]), argv[3], argv[4]
    other = ThreadingHTTPServer(("127.0.0.1", 0), Other)
    State.other_port = other.server_address[1]
    with open(State.dir + "/other-port", "w") as f:
        f.write(str(State.other_port))
    threading.Thread(target=other.serve_forever, daemon=True).start()
    ThreadingHTTPServer.daemon_threads = True
    ThreadingHTTPServer(("127.0.0.1", port), Handler).serve_forever()


if __name__ == "__main__":
    main(sys.argv)
