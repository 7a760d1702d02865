#!/usr/bin/env python3
"""Runs out the instance's file descriptors: COUNT (default 200) connections held open against an instance
limited to 36 descriptors (fewer than its connections may use), then against one without the limit.
Imports meanwhile exit 0 and are kept, or exit 1 with a reason; once the connections close the instance
listens again and answers."""
import os, socket, time

from common import check, main


def connected(path):
    client = socket.socket(socket.AF_UNIX)
    try:
        client.connect(path)
        return client
    except OSError:
        client.close()


def run(box, hold):
    figures = []
    for limit in ("--nofile=36:36", None):
        instance = box.start_instance(prefix=("prlimit", limit) if limit else ())
        held = [c for c in (connected(box.socket) for _ in range(hold)) if c]
        fds = len(os.listdir(f"/proc/{instance.pid}/fd"))
        during = box.import_lists("During-0")
        check("an import during exhaustion is kept or says why on one line",
              box.list_names() == ["During-0"] if during.returncode == 0 else during.stderr.count(b"\n") == 1,
              during.stderr)
        for client in held:
            client.close()
        started = time.monotonic()
        toggled, after = box.run("--toggle"), box.import_lists("After-0")
        recovery = time.monotonic() - started
        check("the instance answers again", toggled.returncode == 0, toggled.stderr)
        check("an import afterwards exits 0", after.returncode == 0, after.stderr)
        check("and is kept", box.list_names() == ["After-0"], str(box.list_names()))
        check("the instance still runs", instance.poll() is None)
        figures.append(f"{limit or 'no limit'}: {len(held)} of {hold} connections held, {fds} descriptors open "
                       f"in the instance, import during: exit {during.returncode}, answering again after "
                       f"{recovery:.1f} s")
        box.quit(instance)
    return "; ".join(figures)


main(run, count=200)
