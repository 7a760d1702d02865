#!/usr/bin/env python3
"""Eight clients each announce a 64 MiB import, send as much as the instance takes and stall. The
instance's memory stays bounded (one budget for all buffered input), an import sent meanwhile exits 0 and
is kept, a length over the limit closes its connection at once and the stalled ones go after the idle
time-out."""
import socket, struct, time

from common import check, main, announce, closed_by_peer, rss_mib


def run(box, _):
    instance = box.start_instance()
    time.sleep(0.5)
    baseline = peak = rss_mib(instance.pid)
    size = 64 * 1024 * 1024
    body = b"\x0a" + b"x" * (size - 2)
    clients, sent = [], 0
    for n in range(8):
        # The first is given time to fill its budget; the others wait for budget, unread.
        client, count = announce(box.socket, size, body, 3.0 if n == 0 else 0.5)
        clients.append(client)
        sent += count
        peak = max(peak, rss_mib(instance.pid))
    started = time.monotonic()
    result = box.import_lists("During-0")
    import_seconds = time.monotonic() - started
    check("an import among stalled clients exits 0", result.returncode == 0, result.stderr)
    check("and is kept", box.list_names() == ["During-0"], str(box.list_names()))
    for _ in range(20):
        peak = max(peak, rss_mib(instance.pid))
        time.sleep(0.1)
    over = socket.socket(socket.AF_UNIX)
    over.connect(box.socket)
    over.sendall(struct.pack(">I", 0x7FFFFFFF) + b"\x0a" * 100)
    check("a length over the limit closes the connection", closed_by_peer(over, 3))
    deadline = time.monotonic() + 30
    closed = sum(closed_by_peer(c, deadline - time.monotonic()) for c in clients)
    check("the stalled clients are closed", closed == len(clients), f"{closed} closed")
    after = rss_mib(instance.pid)
    check("memory stays bounded", peak - baseline < 160, f"{baseline:.0f} -> {peak:.0f} MiB")
    check("the instance still runs", instance.poll() is None)
    box.quit(instance)
    return (f"8 stalled clients sent {sent / 2**20:.0f} MiB in all; instance RSS {baseline:.0f} MiB at rest, "
            f"{peak:.0f} MiB at most, {after:.0f} MiB after; import among them took {import_seconds:.2f} s")


main(run)
