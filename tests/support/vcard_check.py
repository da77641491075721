#!/usr/bin/python3
# Reads a vCard file with python3-vobject, an independent reader, and prints for every
# card: family name, given name, FN, phones and e-mail addresses, one card each
# (fields split by US, groups by RS, cards ended by GS), so a test can compare them with what it wrote.
# With --properties: every property of every card instead, one a line (group, name,
# parameters sorted, value as vobject reads it; the parameters of the transfer encoding
# left out), cards ended by GS, so two files can be compared property for property.
import sys

import vobject

args = [a for a in sys.argv[1:] if not a.startswith("--")]
with open(args[0], "rb") as f:
    data = f.read()
if "--properties" in sys.argv:
    # Unfolded first: a writer may fold inside a character.
    data = data.replace(b"\r\n ", b"").replace(b"\r\n\t", b"")
text = data.decode("utf-8").lstrip("\ufeff")
out = []


def Value(value):
    # N and ADR are objects whose repr hides their parts.
    return repr(sorted(vars(value).items())) if hasattr(value, "__dict__") else repr(value)


if "--properties" in sys.argv:
    for card in vobject.readComponents(text):
        lines = []
        for child in card.getChildren():
            if child.name.upper() == "VERSION":
                continue
            params = sorted(
                # TYPE="a,b" and TYPE=a,b say the same
                (k.upper(), ",".join(sorted(x.upper() for v in vals for x in v.split(","))))
                for k, vals in child.params.items()
                if k.upper() not in ("CHARSET", "ENCODING"))
            lines.append("\x1f".join([(child.group or "").lower(), child.name.upper(),
                                      repr(params), Value(child.value)]))
        out.append("\n".join(lines))
else:
    for card in vobject.readComponents(text):
        n = card.n.value if "n" in card.contents else vobject.vcard.Name()  # N is optional in 4.0
        family = n.family if isinstance(n.family, str) else ",".join(n.family)
        given = n.given if isinstance(n.given, str) else ",".join(n.given)
        tels = [t.value for t in card.contents.get("tel", [])]
        mails = [e.value for e in card.contents.get("email", [])]
        fn = card.fn.value if "fn" in card.contents else ""  # a card that came without one
        out.append("\x1f".join([family, given, fn]) + "\x1e" + "\x1f".join(tels) +
                   "\x1e" + "\x1f".join(mails))
sys.stdout.buffer.write("".join(line + "\x1d" for line in out).encode("utf-8"))
