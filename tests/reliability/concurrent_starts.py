#!/usr/bin/env python3
"""Starts that race: 2 and 10 plain starts together, toggles sent while the first instance starts, and an
import started together with an instance, ROUNDS times (default 5). Every start but one hands its request
over and exits 0, exactly one instance runs, no toggle fails, and an import that exited 0 is kept.
Usage: concurrent_starts.py PATH-TO-ILVEX [ROUNDS]"""
import json
import subprocess
import time

from common import Checks, Sandbox, binary_from_argv, document

binary, rounds = binary_from_argv()
rounds = rounds or 5
checks = Checks()
box = Sandbox(binary)
figures = {"starts": 0, "starts failed": 0, "toggles": 0, "toggles failed": 0, "imports": 0, "imports lost": 0}


def running_instances(processes, settle=12.0):
    """Waits until every start but the instance has exited; returns the ones still running."""
    deadline = time.monotonic() + settle
    while time.monotonic() < deadline:
        alive = [p for p in processes if p.poll() is None]
        if len(alive) <= 1 and box.wait_listening(0.2):
            return alive
        time.sleep(0.05)
    return [p for p in processes if p.poll() is None]


try:
    for round in range(rounds):
        for together in (2, 10):
            starts = [box.spawn() for _ in range(together)]
            box.instances += starts
            alive = running_instances(starts)
            figures["starts"] += together
            failed = [p for p in starts if p.poll() is not None and p.returncode != 0]
            figures["starts failed"] += len(failed)
            checks.check(f"{together} together: exactly one instance", len(alive) == 1, str(len(alive)))
            checks.check(f"{together} together: the others exit 0", not failed,
                         b"".join(p.stderr.read() for p in failed).decode(errors="replace"))
            for process in alive:
                box.quit(process)

        # Whichever comes first is the instance (a toggle with none running starts one); the rest hand over.
        instance = box.start_instance()
        toggles = [box.spawn("--toggle") for _ in range(5)]
        box.instances += toggles
        alive = running_instances([instance, *toggles])
        figures["toggles"] += len(toggles)
        failed = [p for p in [instance, *toggles] if p.poll() is not None and p.returncode != 0]
        figures["toggles failed"] += len(failed)
        checks.check("toggles during the start exit 0", not failed,
                     b"".join(p.stderr.read() for p in failed if p.stderr).decode(errors="replace"))
        checks.check("one instance runs", len(alive) == 1, str(len(alive)))
        for process in alive:
            box.quit(process)

        names = [f"R{round}-a", f"R{round}-b"]
        importer = box.spawn("--import-lists", "-", stdin=subprocess.PIPE)
        instance = box.spawn()
        box.instances.append(instance)
        importer.communicate(document(*names), timeout=60)
        figures["imports"] += 1
        checks.check("the instance started after the import", instance.poll() is None,
                     instance.stderr.read().decode(errors="replace") if instance.poll() is not None else "")
        exported = box.run("--export-lists", "-")
        held = [entry["name"] for entry in json.loads(exported.stdout)] if exported.returncode == 0 else None
        if importer.returncode == 0:
            kept = held == names
            figures["imports lost"] += 0 if kept else 1
            checks.check("an import started with the instance is kept", kept, str(held))
        checks.check("the import exits 0", importer.returncode == 0)
        box.quit(instance)
finally:
    box.close()
print(", ".join(f"{n} {k}" for k, n in figures.items()))
checks.finish()
