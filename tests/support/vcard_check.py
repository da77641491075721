#!/usr/bin/python3
# Reads a vCard file with python3-vobject, an independent reader, and prints for every
# card: family name, given name, FN, phones and e-mail addresses, one card each
# (fields split by US, groups by RS, cards ended by GS), so a test can compare them with what it wrote.
import sys

import vobject

with open(sys.argv[1], encoding="utf-8", newline="") as f:
    text = f.read()
out = []
for card in vobject.readComponents(text):
    n = card.n.value
    family = n.family if isinstance(n.family, str) else ",".join(n.family)
    given = n.given if isinstance(n.given, str) else ",".join(n.given)
    tels = [t.value for t in card.contents.get("tel", [])]
    mails = [e.value for e in card.contents.get("email", [])]
    out.append("\x1f".join([family, given, card.fn.value]) + "\x1e" + "\x1f".join(tels) +
               "\x1e" + "\x1f".join(mails))
sys.stdout.buffer.write("".join(line + "\x1d" for line in out).encode("utf-8"))
