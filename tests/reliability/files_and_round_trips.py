#!/usr/bin/env python3
"""Files from outside: a FIFO or a device given to --import-lists is refused at once; the lists file, its
folder, backups and the preferences are private (and made so when they were not); a name holding an
unpaired surrogate reads back equal after import, save and export; a temporary copy left by a kill is
removed at the next start.
Usage: files_and_round_trips.py PATH-TO-ILVEX"""
import json
import os
import stat
import time
import uuid

from common import Checks, Sandbox, binary_from_argv, document

binary, _ = binary_from_argv()
checks = Checks()
box = Sandbox(binary)


def mode(path):
    return stat.S_IMODE(os.stat(path).st_mode)


try:
    fifo = os.path.join(box.dir, "fifo")
    os.mkfifo(fifo)
    for special in (fifo, "/dev/zero"):
        started = time.monotonic()
        result = box.run("--import-lists", special, timeout=20)
        seconds = time.monotonic() - started
        checks.check(f"{special}: refused", result.returncode == 1 and b"not a regular file" in result.stderr,
                     result.stderr)
        checks.check(f"{special}: at once", seconds < 5, f"{seconds:.1f} s")

    # Files made before they were private: group and other bits are taken away; the user's own stay.
    os.makedirs(box.support)
    os.chmod(box.support, 0o755)
    with open(box.lists, "wb") as file:
        file.write(document("Old-0"))
    os.chmod(box.lists, 0o644)
    with open(box.lists + ".bak", "wb") as file:
        file.write(b"old backup")
    os.chmod(box.lists + ".bak", 0o644)
    with open(box.lists + ".Ab12Cd", "wb") as file:
        file.write(b"[")  # what a kill during a save leaves
    name = "a\ud800b"
    text = json.dumps([{"id": str(uuid.uuid4()).upper(), "name": name, "items": []}])
    result = box.run("--import-lists", "-", input=text.encode())
    checks.check("surrogate import exits 0", result.returncode == 0, result.stderr)
    checks.check("the stale temporary copy is removed", box.temporaries() == [], str(box.temporaries()))
    checks.check("lists.json is 0600", mode(box.lists) == 0o600, oct(mode(box.lists)))
    checks.check("the backup is 0600", mode(box.lists + ".bak") == 0o600, oct(mode(box.lists + ".bak")))
    checks.check("the support folder is 0700", mode(box.support) == 0o700, oct(mode(box.support)))
    conf = os.path.join(box.env["XDG_CONFIG_HOME"], "Ilvex", "Ilvex.conf")
    checks.check("the preferences are 0600", os.path.exists(conf) and mode(conf) == 0o600)
    checks.check("the preferences folder is 0700", mode(os.path.dirname(conf)) == 0o700)

    with open(box.lists, "rb") as file:
        saved = json.load(file)[0]["name"]
    checks.check("the saved name reads back equal", saved == name, ascii(saved))
    exported = box.run("--export-lists", "-")
    checks.check("the exported name reads back equal", json.loads(exported.stdout)[0]["name"] == name)
    again = box.run("--import-lists", "-", input=exported.stdout)
    with open(box.lists, "rb") as file:
        checks.check("and survives another round", again.returncode == 0 and json.load(file)[0]["name"] == name)

    instance = box.start_instance()
    checks.check("instance listens", box.wait_listening())
    runtime = os.path.dirname(box.socket)
    checks.check("the socket is the user's alone", mode(box.socket) & 0o077 == 0, oct(mode(box.socket)))
    checks.check("the runtime folder is private", mode(runtime) & 0o077 == 0, oct(mode(runtime)))
    box.quit(instance)
finally:
    box.close()
checks.finish()
