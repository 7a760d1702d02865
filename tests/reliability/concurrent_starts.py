#!/usr/bin/env python3
"""Starts that race: 2 and 10 plain starts together, toggles sent while the first instance starts, and an
import started together with an instance, ROUNDS times (default 5). Every start but one hands its request
over and exits 0, exactly one instance runs, and an import that exited 0 is kept.
Usage: concurrent_starts.py PATH-TO-ILVEX [ROUNDS]"""
import json, subprocess

from common import check, finish, Sandbox, binary_from_argv, document, printed, wait_until

binary, rounds = binary_from_argv()
rounds = rounds or 5
box = Sandbox(binary)
starts = failures = 0


def race(what, processes, settle=12.0):
    """Waits until every start but the instance has exited; checks the others exited 0; quits the rest."""
    global starts, failures
    box.instances += processes
    wait_until(lambda: len([p for p in processes if p.poll() is None]) <= 1 and box.wait_listening(0.2), settle, 0.05)
    alive = [p for p in processes if p.poll() is None]
    failed = [p for p in processes if p.poll() is not None and p.returncode != 0]
    starts, failures = starts + len(processes), failures + len(failed)
    check(f"{what}: exactly one instance", len(alive) == 1, str(len(alive)))
    check(f"{what}: the others exit 0", not failed, "".join(printed(p) for p in failed))
    for process in alive:
        box.quit(process)


try:
    for round in range(rounds):
        for together in (2, 10):
            race(f"{together} together", [box.spawn() for _ in range(together)])
        # Whichever comes first is the instance (a toggle with none running starts one); the rest hand over.
        race("toggles during the start", [box.start_instance()] + [box.spawn("--toggle") for _ in range(5)])

        names = [f"R{round}-a", f"R{round}-b"]
        importer = box.spawn("--import-lists", "-", stdin=subprocess.PIPE)
        instance = box.spawn()
        box.instances.append(instance)
        importer.communicate(document(*names), timeout=60)
        check("the instance started after the import", instance.poll() is None)
        exported = box.run("--export-lists", "-")
        held = [entry["name"] for entry in json.loads(exported.stdout)] if exported.returncode == 0 else None
        check("an import started with the instance exits 0", importer.returncode == 0)
        check("and is kept", importer.returncode != 0 or held == names, str(held))
        box.quit(instance)
finally:
    box.close()
print(f"{starts} racing starts, {failures} failed; {rounds} imports started with an instance")
finish()
