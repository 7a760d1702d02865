#!/usr/bin/env python3
"""Summoning figures of the real binary under Xvfb (with picom and a tray host): start to tray ready,
first show, hotkey to first painted frame, toggle spawn to first painted frame with the toggle client's
own time and memory, idle CPU with the corner poll, idle memory. Prints figures; asserts nothing.

usage: summon_bench.py BUILD/src/ilvex [ROUNDS]
       summon_bench.py BUILD/src/ilvex --desktops [ROUNDS] [NAME ...]
The second form prints, for each desktop of the end-to-end matrix (a bare server, xfwm4 with its panel,
openbox, i3, mutter), the first summon after a start and the warm hotkey, from the key sent to the first
painted frame, so that a window manager that adds a frame of delay shows.
"""
import os, re, statistics, subprocess, sys, time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from e2e_session import Session, fixture  # noqa: E402
from desktops import DESKTOPS  # noqa: E402

FRAME = re.compile(r"first frame ([\d.]+) ms after the show request, at ([\d.]+)")


def frames(s):
    return [(float(a), float(b)) for a, b in FRAME.findall(s.log())]


def next_frame(s, count, timeout=5.0):
    deadline = time.time() + timeout
    while time.time() < deadline:
        found = frames(s)
        if len(found) > count:
            return found[count]
        time.sleep(0.002)
    raise RuntimeError("no first frame in the log")


def hide(s, window):
    s.run("--hide")
    s.wait_hidden(window)
    time.sleep(0.25)


def figures(name, values, unit="ms"):
    values = sorted(values)
    print("%-34s median %7.2f %s   min %7.2f   max %7.2f   (n=%d)" % (
        name, statistics.median(values), unit, values[0], values[-1], len(values)))


def desktop_figures(binary, rounds, names):
    for name in names or [n for n in DESKTOPS]:
        desktop = DESKTOPS[name]
        if desktop.missing():
            print("%-8s not installed (%s)" % (name, ", ".join(desktop.missing())))
            continue
        s = Session(binary)
        try:
            if not s.start_x(compositor=desktop.compositor):
                print("no X server")
                return 77
            desktop.start(s)
            fixture(s)
            cold, warm = [], []
            for attempt in range(3):
                s.close_app()
                s.start_quiet()
                time.sleep(0.3)
                count, t0 = len(frames(s)), time.monotonic_ns() / 1e6
                s.xdo("key", "alt+z")
                cold.append(next_frame(s, count)[1] - t0)
                window = s.wait_window("^Ilvex$")
                hide(s, window)
            for _ in range(rounds):
                count, t0 = len(frames(s)), time.monotonic_ns() / 1e6
                s.xdo("key", "alt+z")
                warm.append(next_frame(s, count)[1] - t0)
                hide(s, window)
            figures("%s: first summon, key to paint" % name, cold)
            figures("%s: hotkey (warm), key to paint" % name, warm)
        finally:
            s.close()
    return 0


def main():
    if len(sys.argv) > 2 and sys.argv[2] == "--desktops":
        rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 15
        return desktop_figures(sys.argv[1], rounds, sys.argv[4:])
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
        starts = []
        first_shows = []
        for _ in range(3):
            started = time.monotonic_ns() / 1e6
            s.start_quiet()
            tray = float(s.wait_log("tray ready", timeout=10.0).rpartition(" ")[2])
            starts.append(tray - started)
            time.sleep(0.3)
            count = len(frames(s))
            s.run("--show")
            first_shows.append(next_frame(s, count)[0])
            s.window = s.wait_window("^Ilvex$")
            hide(s, s.window)
            if _ < 2:
                s.close_app()
        figures("start to tray ready", starts)
        figures("first show (request to paint)", first_shows)

        hotkey = []
        for _ in range(rounds):
            count = len(frames(s))
            s.xdo("key", "alt+z")
            hotkey.append(next_frame(s, count)[0])
            hide(s, s.window)
        figures("hotkey to first paint (warm)", hotkey)

        spawn, client_ms, client_kb = [], [], []
        for _ in range(rounds):
            count = len(frames(s))
            t0 = time.monotonic_ns() / 1e6
            # Through a small C program (GNU time), so that the peak RSS is the client's and not that of
            # a Python process forked before the exec; an upper bound by time's own pre-exec size.
            r = subprocess.run(["/usr/bin/time", "-f", "%M %e", binary, "--toggle"], env=s.env,
                               capture_output=True, text=True)
            client_ms.append(time.monotonic_ns() / 1e6 - t0)
            client_kb.append(int(r.stderr.split()[-2]))
            spawn.append(next_frame(s, count)[1] - t0)
            hide(s, s.window)
        figures("toggle spawn to first paint", spawn)
        figures("toggle client wall time (with time)", client_ms)
        figures("toggle client max RSS", [k / 1024 for k in client_kb], "MB")

        pid = s.app.pid
        time.sleep(2)

        def cpu_ns():
            # Time on the CPU of each thread, in nanoseconds (clock ticks are too coarse for this).
            times = {}
            for task in os.listdir("/proc/%d/task" % pid):
                try:
                    with open("/proc/%d/task/%s/schedstat" % (pid, task)) as f:
                        times[task] = int(f.read().split()[0])
                except OSError:
                    pass  # the thread ended meanwhile
            return times
        t0, c0 = time.monotonic(), cpu_ns()
        time.sleep(30)
        t1, c1 = time.monotonic(), cpu_ns()
        # Threads that ended meanwhile (an idle pool thread expiring) take their time with them.
        used = sum(ns - c0.get(task, 0) for task, ns in c1.items())
        print("%-34s %7.3f %% of a core over %.0f s" % ("idle CPU (corner poll on)", 100 * used / 1e9 / (t1 - t0), t1 - t0))
        rss = [l for l in open("/proc/%d/status" % pid) if l.startswith("VmRSS")][0].split()[1]
        print("%-34s %7.1f MB" % ("idle memory (RSS)", int(rss) / 1024))
    finally:
        s.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
