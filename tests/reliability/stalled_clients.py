#!/usr/bin/env python3
"""Eight clients each announce a 64 MiB import, send as much as the instance takes and stall. The
instance's memory stays bounded (one budget for all buffered input), an import sent meanwhile exits 0 and
is kept, the stalled clients are closed after the idle time-out, and a length over the limit closes its
connection at once.
Usage: stalled_clients.py PATH-TO-ILVEX"""
import json
import socket
import struct
import time

from common import Checks, Sandbox, announce, binary_from_argv, document, rss_mib

binary, _ = binary_from_argv()
checks = Checks()
box = Sandbox(binary)
try:
    instance = box.start_instance()
    checks.check("instance listens", box.wait_listening())
    time.sleep(0.5)
    baseline = rss_mib(instance.pid)
    body = b"\x0a" + b"x" * (64 * 1024 * 1024 - 2)
    clients = []
    sent = []
    peak = baseline
    for n in range(8):
        # The first is given time to fill its budget; the others wait for budget, unread.
        client, count = announce(box.socket, 64 * 1024 * 1024, body[:64 * 1024 * 1024 - 1], 3.0 if n == 0 else 0.5)
        clients.append(client)
        sent.append(count)
        peak = max(peak, rss_mib(instance.pid))
    started = time.monotonic()
    result = box.run("--import-lists", "-", input=document("During-0"))
    import_seconds = time.monotonic() - started
    checks.check("an import among stalled clients exits 0", result.returncode == 0, result.stderr)
    checks.check("and is kept", box.list_names() == ["During-0"], str(box.list_names()))
    for _ in range(20):
        peak = max(peak, rss_mib(instance.pid))
        time.sleep(0.1)

    over = socket.socket(socket.AF_UNIX)
    over.connect(box.socket)
    over.sendall(struct.pack(">I", 0x7FFFFFFF) + b"\x0a" * 100)
    over.settimeout(3)
    try:
        closed = over.recv(1) == b""
    except ConnectionResetError:
        closed = True
    except socket.timeout:
        closed = False
    checks.check("a length over the limit closes the connection", closed)

    # Every stalled client is closed by the idle time-out (a few seconds), not held open.
    deadline = time.monotonic() + 30
    closed_count = 0
    for client in clients:
        client.setblocking(True)
        client.settimeout(max(0.1, deadline - time.monotonic()))
        try:
            closed_count += 1 if client.recv(1) == b"" else 0
        except ConnectionResetError:
            closed_count += 1
        except (socket.timeout, BlockingIOError):
            pass
    checks.check("the stalled clients are closed", closed_count == len(clients), f"{closed_count} closed")
    after = rss_mib(instance.pid)
    checks.check("memory stays bounded", peak - baseline < 160, f"{baseline:.0f} -> {peak:.0f} MiB")
    checks.check("the instance still runs", instance.poll() is None)
    box.quit(instance)
finally:
    box.close()
print(f"8 stalled clients sent {sum(sent) / 2**20:.0f} MiB in all; instance RSS {baseline:.0f} MiB at rest, "
      f"{peak:.0f} MiB at most, {after:.0f} MiB after; import among them took {import_seconds:.2f} s")
checks.finish()
