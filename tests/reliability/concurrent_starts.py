#!/usr/bin/env python3
"""Starts that race, COUNT rounds (default 5): 2 and 10 plain starts together, toggles while the first instance
starts, an import started with an instance. Every start but one hands its request over and exits 0, exactly
one instance runs, and an import that exited 0 is kept."""
import subprocess

from common import check, main, document, printed, wait_until

STARTS = {"2 together": [()] * 2, "10 together": [()] * 10, "toggles during the start": [()] + [("--toggle",)] * 5}


def race(box, what, processes, settle=12.0):
    """Waits until every start but the instance has exited; checks the others exited 0; quits the rest."""
    box.instances += processes
    wait_until(lambda: len([p for p in processes if p.poll() is None]) <= 1 and box.wait_listening(0.2), settle, 0.05)
    alive = [p for p in processes if p.poll() is None]
    failed = [p for p in processes if p.poll() is not None and p.returncode != 0]
    check(f"{what}: exactly one instance", len(alive) == 1, str(len(alive)))
    check(f"{what}: the others exit 0", not failed, "".join(printed(p) for p in failed))
    for process in alive:
        box.quit(process)
    return len(processes), len(failed)


def run(box, rounds):
    tally = [0, 0]
    for round in range(rounds):
        # Whichever comes first is the instance (a toggle with none running starts one); the rest hand over.
        for what, starts in STARTS.items():
            started, failed = race(box, what, [box.spawn(*args) for args in starts])
            tally = [tally[0] + started, tally[1] + failed]
        names = [f"R{round}-a", f"R{round}-b"]
        importer = box.spawn("--import-lists", "-", stdin=subprocess.PIPE)
        instance = box.start_instance(listen=False)
        importer.communicate(document(*names), timeout=60)
        check("the instance started after the import", instance.poll() is None)
        held = box.exported()
        check("an import started with the instance exits 0", importer.returncode == 0)
        check("and is kept", importer.returncode != 0 or held == names, str(held))
        box.quit(instance)
    return f"{tally[0]} racing starts, {tally[1]} failed; {rounds} imports started with an instance"


main(run, count=5)
