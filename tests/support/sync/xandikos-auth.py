#!/usr/bin/python3
"""Runs Debian's xandikos with HTTP Basic authentication against an htpasswd file.

xandikos has no authentication of its own (it expects a reverse proxy in front), so
the tests put this thin layer in front of it: same backend, same application, one
middleware that answers 401 to a missing or wrong user name or password. With
"digest PASSWORD" it asks for HTTP Digest (MD5, qop=auth) instead and refuses Basic.

usage: xandikos-auth.py ROOT-DIR PORT HTPASSWD USER [digest PASSWORD]
"""
import base64
import hashlib
import hmac
import logging
import re
import secrets
import sys

from aiohttp import web
from passlib.apache import HtpasswdFile
from xandikos.web import WELLKNOWN_DAV_PATHS, XandikosApp, XandikosBackend


def main(argv):
    root, port, htpasswd, user = argv[1], int(argv[2]), argv[3], argv[4]
    logging.basicConfig(level=logging.WARNING)
    principal = "/%s/" % user
    backend = XandikosBackend(root)
    backend._mark_as_principal(principal)
    backend.create_principal(principal, create_defaults=True)
    dav = XandikosApp(backend, current_user_principal=principal, strict=True)
    users = HtpasswdFile(htpasswd)
    digest_password = argv[6] if len(argv) > 6 and argv[5] == "digest" else None
    nonce = secrets.token_hex(16)

    def md5(text):
        return hashlib.md5(text.encode("utf-8")).hexdigest()

    def digest_ok(header, method):
        fields = {k: (q if q else v) for k, q, v in
                  re.findall(r'(\w+)=(?:"([^"]*)"|([^,\s]*))', header[len("Digest "):])}
        if fields.get("username") != user or fields.get("nonce") != nonce:
            return False
        ha1 = md5("%s:%s:%s" % (user, fields.get("realm", ""), digest_password))
        ha2 = md5("%s:%s" % (method, fields.get("uri", "")))
        if fields.get("qop") == "auth":
            expected = md5(":".join([ha1, nonce, fields.get("nc", ""), fields.get("cnonce", ""),
                                     "auth", ha2]))
        else:
            expected = md5("%s:%s:%s" % (ha1, nonce, ha2))
        return hmac.compare_digest(expected, fields.get("response", ""))

    @web.middleware
    async def basic_auth(request, handler):
        header = request.headers.get("Authorization", "")
        ok = False
        if digest_password is not None:
            if header.startswith("Digest ") and digest_ok(header, request.method):
                return await handler(request)
            challenge = 'Digest realm="xandikos", qop="auth", algorithm=MD5, nonce="%s"' % nonce
            return web.Response(status=401, text="Unauthorized",
                                headers={"WWW-Authenticate": challenge})
        if header.startswith("Basic "):
            try:
                name, _, password = base64.b64decode(header[6:]).decode("utf-8").partition(":")
                ok = users.check_password(name, password) is True
            except (ValueError, UnicodeDecodeError):
                ok = False
        if not ok:
            return web.Response(status=401, text="Unauthorized",
                                headers={"WWW-Authenticate": 'Basic realm="xandikos"'})
        return await handler(request)

    async def redirect_root(request):
        return web.HTTPFound("/")

    async def handle(request):
        return await dav.aiohttp_handler(request, "/")

    app = web.Application(middlewares=[basic_auth])
    for path in WELLKNOWN_DAV_PATHS:
        app.router.add_route("*", path, redirect_root)
    app.router.add_route("*", "/{path_info:.*}", handle)
    web.run_app(app, host="127.0.0.1", port=port, print=None, access_log=None)


if __name__ == "__main__":
    main(sys.argv)
