#!/usr/bin/env python3
"""The real binary's options and imports in a private HOME: a refusal exits 1, says one line, changes nothing."""
import json, os, re, sys, uuid

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from sandbox import Sandbox  # noqa: E402

failed = []
box = Sandbox(os.path.abspath(sys.argv[1]))
box.env["QT_QPA_PLATFORM"] = "offscreen"


def check(what, ok, result=None):
    if not ok:
        failed.append(what)
        print("FAIL: %s %s" % (what, result.stderr.decode(errors="replace") if result else ""), file=sys.stderr)


def ilvex(*args, stdin=None):
    feed = {"input": stdin} if isinstance(stdin, bytes) else {"stdin": stdin}
    return box.run(*args, timeout=30, **feed)


def document(prefix, count, entries=1):  # no snapshots: a refused import that started the store would save
    item = lambda: {"id": str(uuid.uuid4()), "name": "Item", "bundleIdentifier": "", "appPath": "example.com",
                    "isURL": True}
    return json.dumps([{"id": str(uuid.uuid4()), "name": "%s-%d" % (prefix, i), "theme": "teal",
                        "items": [item() for _ in range(entries)]} for i in range(count)]).encode()


def contents():
    return open(box.lists, "rb").read() if os.path.exists(box.lists) else None


def imported(what, names, *args, stdin=None):
    result = ilvex("--import-lists", *args, stdin=stdin)
    got = [l["name"] for l in json.loads(contents())] if result.returncode == 0 else None
    check("%s: exit 0 and %s (%s)" % (what, names, got), got == names.split(), result)


def refused(what, *args, stdin=None):
    before = contents()
    result = ilvex("--import-lists", *args, stdin=stdin)
    lines = result.stderr.splitlines()
    check(what + ": exit 1, one line, the lists file as it was", result.returncode == 1 and len(lines) == 1 and
          lines[0].startswith(b"ilvex: ") and contents() == before, result)


docs = box.tmp + "/docs"
os.mkdir(docs)
files = {"not-json": b"lists: none", "three": document("Old", 3), "long-list": document("Long", 1, 1001),
         "ten": document("Ten", 10), "two": document("Extra", 2),
         # About 70 MiB, over the 64 MiB limit: refused before it is read whole.
         "huge": b"[" + (b'"' + b"a" * 82 + b'",\n') * 853492 + b'"a"]'}
for name, data in files.items():
    open("%s/%s" % (docs, name), "wb").write(data)
os.mkfifo(docs + "/fifo")

# Options and usage errors answer with their exit code and never start the store.
for code, text, args in ((0, b"Ilvex ", ["--version"]), (0, b"--export-lists PATH", ["--help"]),
                         (2, b"Usage: ilvex", ["--frobnicate"]), (2, b"Usage: ilvex", ["--export-lists"]),
                         (2, b"Usage: ilvex", ["--export-lists", "a", "b"])):
    result = ilvex(*args)
    check("%s: exit %d" % (args, code), result.returncode == code and text in result.stdout + result.stderr and
          contents() is None, result)
result = ilvex("--export-lists", box.tmp + "/missing/x.json")
check("export into a missing folder: exit 1, one line", result.returncode == 1 and
      len(result.stderr.splitlines()) == 1, result)
os.remove(box.lists)  # the store's first start wrote it

for name in ("not-json", "huge", "long-list"):
    refused(name + ", no lists file", "%s/%s" % (docs, name))
imported("replace", "Old-0 Old-1 Old-2", docs + "/three")
imported("replace over the limit", " ".join("Ten-%d" % i for i in range(8)), docs + "/ten")
refused("append to eight", docs + "/two", "--append")
for name in ("not-json", "huge", "long-list"):
    refused(name + ", append", "%s/%s" % (docs, name), "--append")
for what, args, stdin in (("FIFO", [docs + "/fifo"], None), ("a device", ["/dev/zero"], None),
                          ("huge on stdin", ["-"], open(docs + "/huge", "rb")), ("empty stdin", ["-"], b""),
                          ("missing file", [docs + "/no-such-file"], None), ("a folder", [docs], None),
                          ("no path", [], None), ("two paths", [docs + "/three", docs + "/two"], None)):
    refused(what, *args, stdin=stdin)
imported("stdin", "Extra-0 Extra-1", "-", stdin=files["two"])
imported("append", "Extra-0 Extra-1 " + " ".join("Ten-%d" % i for i in range(6)), docs + "/ten", "--append")

# File names are bytes: a name that is not UTF-8 works both ways.
latin1 = os.fsencode(docs) + b"/\xe9t\xe9.json"
open(latin1, "wb").write(files["two"])
imported("non-UTF-8 name", "Extra-0 Extra-1", latin1)
ilvex("--export-lists", latin1 + b".out")
check("non-UTF-8 export name", open(latin1 + b".out", "rb").read() == ilvex("--export-lists", "-").stdout)

# Standard output carries only the document, even when the store prints a line at start.
open(box.lists, "wb").write(b'{"not": "lists"}')
exported = ilvex("--export-lists", "-")
check("the store's line went to stderr", re.search(rb"^\[Ilvex\] lists.json corrupt", exported.stderr, re.M), exported)
check("export to stdout imports again", ilvex("--import-lists", "-", stdin=exported.stdout).returncode == 0)

box.remove()
print("%d failed" % len(failed))
sys.exit(1 if failed else 0)
