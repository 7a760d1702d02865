#!/usr/bin/env python3
"""Summoning figures of the real binary under Xvfb (with picom and a tray host): start to tray ready, first
show, hotkey and toggle spawn to first painted frame (with the toggle client's own time and memory), idle CPU
with the corner poll, idle memory. With --desktops, for each desktop of the end-to-end matrix (or those
named), the first summon after a start and the warm hotkey, key to first painted frame, so that a window
manager that adds a frame of delay shows. Prints figures; asserts nothing.

usage: summon_bench.py BUILD/src/ilvex [ROUNDS] | BUILD/src/ilvex --desktops [ROUNDS] [NAME ...]
"""
import os, re, statistics, subprocess, sys, time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from e2e_session import LAUNCHER, Session, fixture, wait_until  # noqa: E402
from desktops import DESKTOPS  # noqa: E402

FRAME = re.compile(r"first frame ([\d.]+) ms after the show request, at ([\d.]+)")


def now_ms():
    return time.monotonic_ns() / 1e6  # the program's clock too


def summons(s, rounds, send, from_request=False):
    """The time from send() (or from the show request as the program saw it) to the first painted frame,
    for each of rounds summons, each hidden again after."""
    values = []
    for _ in range(rounds):
        count, sent = len(FRAME.findall(s.log())), now_ms()
        send()
        frame = wait_until(lambda: FRAME.findall(s.log())[count:], 5.0, 0.002)
        if not frame:
            raise RuntimeError("no first frame in the log")
        values.append(float(frame[0][0]) if from_request else float(frame[0][1]) - sent)
        window = s.wait_window(LAUNCHER)
        s.run("--hide")
        s.wait_hidden(window)
        time.sleep(0.25)  # the next summon starts from rest
    return values


def fresh_starts(s, send, tray=False, from_request=False):
    """Three fresh starts, each summoned once: the times to tray ready (with a tray) and of the summons."""
    starts, summoned = [], []
    for _ in range(3):
        s.close_app()
        started = now_ms()
        s.start_quiet(tray=tray)
        if tray:
            starts.append(float(s.wait_log("tray ready").rpartition(" ")[2]) - started)
        time.sleep(0.3)
        summoned += summons(s, 1, send, from_request)
    return starts, summoned


def figures(name, values, unit="ms"):
    values = sorted(values)
    print("%-34s median %7.2f %s   min %7.2f   max %7.2f   (n=%d)" % (
        name, statistics.median(values), unit, values[0], values[-1], len(values)))


def desktop_figures(binary, rounds, names):
    for name in names or list(DESKTOPS):
        desktop = DESKTOPS[name]
        if desktop.missing():
            print("%-8s not installed (%s)" % (name, ", ".join(desktop.missing())))
            continue
        s = Session(binary)
        hotkey = lambda: s.xdo("key", "alt+z")  # noqa: E731
        try:
            if not s.start_x(compositor=desktop.compositor):
                print("no X server")
                return 77
            desktop.start(s)
            fixture(s)
            figures("%s: first summon, key to paint" % name, fresh_starts(s, hotkey)[1])
            figures("%s: hotkey (warm), key to paint" % name, summons(s, rounds, hotkey))
        finally:
            s.close()
    return 0


def idle_cpu(pid, seconds):
    """The share of a core the process used over seconds, from each thread's time on the CPU (clock ticks
    are too coarse for this)."""
    def cpu_ns():
        times = {}
        for task in os.listdir("/proc/%d/task" % pid):
            try:
                with open("/proc/%d/task/%s/schedstat" % (pid, task)) as f:
                    times[task] = int(f.read().split()[0])
            except OSError:
                pass  # the thread ended meanwhile
        return times
    t0, c0 = time.monotonic(), cpu_ns()
    time.sleep(seconds)
    t1, c1 = time.monotonic(), cpu_ns()
    # Threads that ended meanwhile (an idle pool thread expiring) take their time with them.
    return 100 * sum(ns - c0.get(task, 0) for task, ns in c1.items()) / 1e9 / (t1 - t0), t1 - t0


def main():
    if len(sys.argv) > 2 and sys.argv[2] == "--desktops":
        return desktop_figures(sys.argv[1], int(sys.argv[3]) if len(sys.argv) > 3 else 15, sys.argv[4:])
    binary, rounds = sys.argv[1], int(sys.argv[2]) if len(sys.argv) > 2 else 15
    s = Session(binary)
    try:
        if not s.start_x():
            print("no X server")
            return 77
        fixture(s)
        s.start_tray()
        s.set_preferences(showInMenuBar=True)
        time.sleep(0.5)
        starts, first_shows = fresh_starts(s, lambda: s.run("--show"), tray=True, from_request=True)
        figures("start to tray ready", starts)
        figures("first show (request to paint)", first_shows)
        figures("hotkey to first paint (warm)", summons(s, rounds, lambda: s.xdo("key", "alt+z"), True))

        client_ms, client_kb = [], []

        def toggle():
            # Through a small C program (GNU time), so that the peak RSS is the client's and not that of
            # a Python process forked before the exec; an upper bound by time's own pre-exec size.
            t0 = now_ms()
            r = subprocess.run(["/usr/bin/time", "-f", "%M %e", binary, "--toggle"], env=s.env,
                               capture_output=True, text=True)
            client_ms.append(now_ms() - t0)
            client_kb.append(int(r.stderr.split()[-2]))
        figures("toggle spawn to first paint", summons(s, rounds, toggle))
        figures("toggle client wall time (with time)", client_ms)
        figures("toggle client max RSS", [k / 1024 for k in client_kb], "MB")

        time.sleep(2)
        share, seconds = idle_cpu(s.app.pid, 30)
        print("%-34s %7.3f %% of a core over %.0f s" % ("idle CPU (corner poll on)", share, seconds))
        rss = [l for l in open("/proc/%d/status" % s.app.pid) if l.startswith("VmRSS")][0].split()[1]
        print("%-34s %7.1f MB" % ("idle memory (RSS)", int(rss) / 1024))
    finally:
        s.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
