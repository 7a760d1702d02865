#!/usr/bin/env python3
"""Runs out the instance's file descriptors: an instance limited to 36 descriptors (fewer than its connections may use) and HOLD (default 200)
connections held open against it, then the same without the limit. Imports meanwhile exit 0 and are kept,
or exit 1 with a reason; once the connections close the instance listens again and answers.
Usage: descriptor_exhaustion.py PATH-TO-ILVEX [HOLD]"""
import os
import socket
import time

from common import Checks, Sandbox, binary_from_argv, document

binary, hold = binary_from_argv()
hold = hold or 200
checks = Checks()
figures = []
for limited in (True, False):
    box = Sandbox(binary)
    try:
        instance = box.start_instance(prefix=("prlimit", "--nofile=36:36") if limited else ())
        checks.check("instance listens", box.wait_listening())
        held = []
        for _ in range(hold):
            client = socket.socket(socket.AF_UNIX)
            try:
                client.connect(box.socket)
                held.append(client)
            except OSError:
                client.close()
        fds = len(os.listdir(f"/proc/{instance.pid}/fd"))
        during = box.run("--import-lists", "-", input=document("During-0"))
        if during.returncode == 0:
            checks.check("an import that exits 0 during exhaustion is kept", box.list_names() == ["During-0"])
        else:
            checks.check("a failed import says why on one line", during.stderr.count(b"\n") == 1, during.stderr)
        for client in held:
            client.close()
        started = time.monotonic()
        toggled = box.run("--toggle")
        after = box.run("--import-lists", "-", input=document("After-0"))
        recovery = time.monotonic() - started
        checks.check("the instance answers again", toggled.returncode == 0, toggled.stderr)
        checks.check("an import afterwards exits 0", after.returncode == 0, after.stderr)
        checks.check("and is kept", box.list_names() == ["After-0"], str(box.list_names()))
        checks.check("the instance still runs", instance.poll() is None)
        figures.append(f"{'36-descriptor limit' if limited else 'no limit'}: {len(held)} of {hold} connections "
                       f"held, {fds} descriptors open in the instance, import during: exit {during.returncode}, "
                       f"answering again after {recovery:.1f} s")
        box.quit(instance)
    finally:
        box.close()
print("; ".join(figures))
checks.finish()
