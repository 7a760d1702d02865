#!/usr/bin/env python3
"""SIGKILL lands on the writer in the middle of imports, COUNT times (default 12): half on a running instance,
half on a command that writes without one. The lists file always reads, an import that exited 0 is in it,
and the next start removes the temporary copies a kill left behind.
Usage: kill_during_saves.py PATH-TO-ILVEX [COUNT]"""
import json
import random
import subprocess
import time
import uuid

from common import Checks, Sandbox, binary_from_argv, document

binary, count = binary_from_argv()
count = count or 12
checks = Checks()
box = Sandbox(binary)
rng = random.Random(15)
# Big enough (about 3 MB) that a save takes a while, so kills land in it.
entries = [{"id": "", "name": "x" * 40, "bundleIdentifier": "", "appPath": "example.com/" + "y" * 60,
            "isURL": True}]
outcomes = {"exit 0": 0, "exit 1": 0, "killed": 0}
left_copies = 0
try:
    for round in range(count):
        names = [f"M{round}-{i}" for i in range(8)]
        lists = json.loads(document(*names))
        for entry in lists:
            entry["items"] = [dict(entries[0], id=str(uuid.uuid4()).upper()) for _ in range(2500)]
        data = json.dumps(lists).encode()
        on_instance = round % 2 == 0
        instance = None
        if on_instance:
            instance = box.start_instance()
            checks.check("instance listens", box.wait_listening())
        before = box.list_names()
        importer = box.spawn("--import-lists", "-", stdin=subprocess.PIPE)
        importer.stdin.write(data)
        importer.stdin.close()
        time.sleep(rng.uniform(0.0, 0.6))
        (instance or importer).kill()
        importer.wait(60)
        if instance:
            instance.wait()
        code = importer.returncode
        outcomes["killed" if code < 0 else f"exit {code}"] += 1
        after = box.list_names()
        checks.check(f"round {round}: the lists file reads", after is not None or before is None)
        if code == 0:
            checks.check(f"round {round}: an import that exited 0 is kept", after == names, str(after))
        else:
            checks.check(f"round {round}: the file holds the old or the new lists", after in (before, names))
        left_copies += 1 if box.temporaries() else 0
        # The next writer (a command that takes the lock) tidies what the kill left.
        exported = box.run("--export-lists", "-")
        checks.check(f"round {round}: export after the kill", exported.returncode == 0, exported.stderr)
        checks.check(f"round {round}: no temporary copies left", box.temporaries() == [], str(box.temporaries()))
finally:
    box.close()
print(f"{count} kills during imports: " + ", ".join(f"{n} {k}" for k, n in outcomes.items()) +
      f"; {left_copies} left a temporary copy, removed at the next start")
checks.finish()
