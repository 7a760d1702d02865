#!/usr/bin/env python3
"""Files from outside: a FIFO or a device given to --import-lists is refused at once; the lists file, its
folder, backups, preferences and socket are private (and made so when they were not); a temporary copy
left by a kill is removed at the next start.
Usage: files_and_round_trips.py PATH-TO-ILVEX"""
import os, stat, time

from common import check, finish, Sandbox, binary_from_argv, document

binary, _ = binary_from_argv()
box = Sandbox(binary)


def mode(path):
    return stat.S_IMODE(os.stat(path).st_mode)


def write(path, data, permissions):
    with open(path, "wb") as file:
        file.write(data)
    os.chmod(path, permissions)


try:
    fifo = os.path.join(box.dir, "fifo")
    os.mkfifo(fifo)
    for special in (fifo, "/dev/zero"):
        started = time.monotonic()
        result = box.run("--import-lists", special, timeout=20)
        seconds = time.monotonic() - started
        check(f"{special}: refused", result.returncode == 1 and b"not a regular file" in result.stderr,
              result.stderr)
        check(f"{special}: at once", seconds < 5, f"{seconds:.1f} s")

    # Files made before they were private: group and other bits are taken away; the user's own stay.
    os.makedirs(box.support)
    os.chmod(box.support, 0o755)
    write(box.lists, document("Old-0"), 0o644)
    write(box.lists + ".bak", b"old backup", 0o644)
    write(box.support + "/.lists.json.ilvex-unfinished-Ab12Cd", b"[", 0o600)  # what a kill during a save leaves
    result = box.run("--import-lists", "-", input=document("New-0"))
    check("an import exits 0", result.returncode == 0, result.stderr)
    check("the stale temporary copy is removed", box.temporaries() == [], str(box.temporaries()))
    conf = os.path.join(box.env["XDG_CONFIG_HOME"], "Ilvex", "Ilvex.conf")
    for path, wanted in ((box.lists, 0o600), (box.lists + ".bak", 0o600), (box.support, 0o700),
                         (conf, 0o600), (os.path.dirname(conf), 0o700)):
        check(f"{path} is {oct(wanted)}", os.path.exists(path) and mode(path) == wanted,
              oct(mode(path)) if os.path.exists(path) else "missing")
    check("the import is kept", box.list_names() == ["New-0"], str(box.list_names()))
    instance = box.start_instance()
    check("instance listens", box.wait_listening())
    for path in (box.socket, os.path.dirname(box.socket)):
        check(f"{path} is the user's alone", mode(path) & 0o077 == 0, oct(mode(path)))
    box.quit(instance)
finally:
    box.close()
finish()
