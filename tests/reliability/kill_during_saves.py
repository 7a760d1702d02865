#!/usr/bin/env python3
"""SIGKILL lands on the writer in the middle of imports, COUNT times (default 12): half on a running instance,
half on a command that writes without one. The lists file always reads, holding the old lists or the new
(the new when the import exited 0), and the next writer removes the temporary copies a kill left behind."""
import json, random, subprocess, time, uuid

from common import check, main, document


def run(box, count):
    rng = random.Random(15)
    outcomes, left_copies = {"exit 0": 0, "exit 1": 0, "killed": 0}, 0
    for round in range(count):
        names = [f"M{round}-{i}" for i in range(8)]
        lists = json.loads(document(*names))
        for entry in lists:  # about 3 MB, so that a save takes a while and kills land in it
            entry["items"] = [{"id": str(uuid.uuid4()).upper(), "name": "x" * 100, "bundleIdentifier": "",
                               "appPath": "example.com/" + "y" * 150, "isURL": True} for _ in range(1000)]
        instance = box.start_instance() if round % 2 == 0 else None
        before = box.list_names()
        importer = box.spawn("--import-lists", "-", stdin=subprocess.PIPE)
        importer.stdin.write(json.dumps(lists).encode())
        importer.stdin.close()
        time.sleep(rng.uniform(0.0, 0.6))
        (instance or importer).kill()
        importer.wait(60)
        if instance:
            instance.wait()
        code, after = importer.returncode, box.list_names()
        outcomes["killed" if code < 0 else f"exit {code}"] += 1
        check(f"round {round}: the lists file reads", after is not None or before is None)
        check(f"round {round}: old or new lists", after == names if code == 0 else after in (before, names),
              f"exit {code}: {after}")
        left_copies += 1 if box.temporaries() else 0
        # The next writer takes the lock and tidies up.
        check(f"round {round}: export after the kill", box.exported() is not None)
        check(f"round {round}: no temporary copies left", box.temporaries() == [], str(box.temporaries()))
    return (f"{count} kills during imports: " + ", ".join(f"{n} {k}" for k, n in outcomes.items()) +
            f"; {left_copies} left a temporary copy, removed at the next start")


main(run, count=12)
