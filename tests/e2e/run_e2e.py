#!/usr/bin/env python3
"""End-to-end checks of the real ilvex binary under a virtual X server.

Each scenario gets its own Xvfb (with picom as compositor), a sandboxed HOME/XDG tree holding a
lists.json fixture and desktop entries whose Exec writes a marker file, and drives the launcher with
real pointer and keyboard input from xdotool. Exit 77 (reported as skipped by ctest) when no X server
can be started.
"""
import json, math, os, random, shutil, subprocess, sys, tempfile, time, uuid

SKIP = 77
SCREEN_W, SCREEN_H = 1600, 1200


def free_display():
    """A display number with neither a lock file nor a socket."""
    for _ in range(50):
        n = random.randint(200, 900)
        if not os.path.exists("/tmp/.X%d-lock" % n) and not os.path.exists("/tmp/.X11-unix/X%d" % n):
            return ":%d" % n
    return ":%d" % random.randint(200, 900)


def x_answers(display, server, timeout=5.0):
    """True when the X server on display answers a request and is the one we started."""
    env = dict(os.environ, DISPLAY=display)
    env.pop("XAUTHORITY", None)
    deadline = time.time() + timeout
    while time.time() < deadline:
        if server.poll() is not None:
            return False
        try:
            r = subprocess.run(["xdotool", "getdisplaygeometry"], env=env, capture_output=True, text=True,
                               timeout=3)
            if r.returncode == 0 and r.stdout.split() == [str(SCREEN_W), str(SCREEN_H)]:
                return True
        except subprocess.TimeoutExpired:
            pass
        time.sleep(0.05)
    return False


def uid():
    return str(uuid.uuid4()).upper()


class Session:
    def __init__(self, binary, scale=None):
        self.binary = binary
        self.tmp = tempfile.mkdtemp(prefix="ilvex-e2e-")
        self.home = os.path.join(self.tmp, "home")
        self.data = os.path.join(self.home, ".local/share")
        self.config = os.path.join(self.home, ".config")
        self.runtime = os.path.join(self.tmp, "runtime")
        self.markers = os.path.join(self.tmp, "markers")
        for d in (self.data + "/applications", self.data + "/Ilvex", self.config + "/Ilvex", self.runtime,
                  self.markers):
            os.makedirs(d, exist_ok=True)
        os.chmod(self.runtime, 0o700)
        with open(os.path.join(self.home, ".asoundrc"), "w") as f:
            f.write("pcm.!default { type null }\nctl.!default { type null }\n")
        with open(os.path.join(self.config, "Ilvex/Ilvex.conf"), "w") as f:
            f.write("[General]\nlauncherSoundsEnabled=false\nshowInMenuBar=false\n")
            if scale is not None:
                f.write("launcherScale=%s\n" % scale)
        self.procs = []
        self.app = None
        self.app_log = os.path.join(self.tmp, "ilvex.log")

    # --- environment -------------------------------------------------------------------------
    def start_x(self):
        if not shutil.which("Xvfb") or not shutil.which("xdotool"):
            return False
        # Another X server (a parallel run) may grab the display Xvfb reported; check that ours answers
        # and retry once on a display number of our own choosing.
        for display in (None, free_display()):
            if self.start_xvfb(display):
                break
        else:
            return False
        self.env = dict(os.environ, DISPLAY=self.display, HOME=self.home, XDG_DATA_HOME=self.data,
                        XDG_CONFIG_HOME=self.config, XDG_RUNTIME_DIR=self.runtime,
                        XDG_DATA_DIRS=self.data + ":/usr/local/share:/usr/share", ILVEX_TRACE_SHOW="1")
        self.env.pop("QT_QPA_PLATFORM", None)
        self.env.pop("WAYLAND_DISPLAY", None)
        self.env.pop("XAUTHORITY", None)
        if shutil.which("picom"):
            self.procs.append(subprocess.Popen(["picom", "--backend", "xrender", "--config", "/dev/null"],
                                               env=self.env, stdout=subprocess.DEVNULL,
                                               stderr=subprocess.DEVNULL))
        return True

    def start_xvfb(self, display):
        """Starts Xvfb (on a display of its choice when display is None); True once it answers."""
        r, w = os.pipe()
        args = ["Xvfb"] + ([display] if display else []) + ["-displayfd", str(w), "-screen", "0",
                                                            "%dx%dx24" % (SCREEN_W, SCREEN_H), "-nolisten", "tcp"]
        xvfb = subprocess.Popen(args, pass_fds=(w,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(w)
        number = b""
        deadline = time.time() + 10
        while time.time() < deadline and not number.endswith(b"\n"):
            chunk = os.read(r, 16)
            if not chunk:
                break
            number += chunk
        os.close(r)
        if number.strip() and x_answers(":" + number.decode().strip(), xvfb):
            self.display = ":" + number.decode().strip()
            self.procs.append(xvfb)
            return True
        xvfb.terminate()
        try:
            xvfb.wait(5)
        except subprocess.TimeoutExpired:
            xvfb.kill()
        return False

    def close_app(self):
        if self.app and self.app.poll() is None:
            subprocess.run([self.binary, "--quit"], env=self.env, timeout=10)
            try:
                self.app.wait(5)
            except subprocess.TimeoutExpired:
                self.app.kill()
        for name in os.listdir(self.markers):
            os.remove(os.path.join(self.markers, name))

    def close(self):
        if self.app and self.app.poll() is None:
            subprocess.run([self.binary, "--quit"], env=self.env, timeout=10)
            try:
                self.app.wait(5)
            except subprocess.TimeoutExpired:
                self.app.kill()
        for p in reversed(self.procs):
            p.terminate()
            try:
                p.wait(5)
            except subprocess.TimeoutExpired:
                p.kill()
        shutil.rmtree(self.tmp, ignore_errors=True)

    # --- fixture -----------------------------------------------------------------------------
    def app_entry(self, name):
        script = os.path.join(self.tmp, "launch-%s.sh" % name)
        with open(script, "w") as f:
            f.write("#!/bin/sh\ndate +%%s.%%N >> '%s/%s'\n" % (self.markers, name))
        os.chmod(script, 0o755)
        path = os.path.join(self.data, "applications", "e2e-%s.desktop" % name)
        with open(path, "w") as f:
            f.write("[Desktop Entry]\nType=Application\nName=%s\nExec=%s\nIcon=utilities-terminal\n" %
                    (name.capitalize(), script))
        return {"id": uid(), "name": name.capitalize(), "bundleIdentifier": "e2e-" + name, "appPath": path,
                "isFolder": False, "isURL": False, "isSubList": False}

    def write_lists(self, lists):
        with open(self.lists_path(), "w") as f:
            json.dump(lists, f, indent=2)

    def lists_path(self):
        return os.path.join(self.data, "Ilvex/lists.json")

    def read_lists(self):
        with open(self.lists_path()) as f:
            return json.load(f)

    def marker_times(self, name):
        """When the entry was launched, once a line per launch."""
        path = os.path.join(self.markers, name)
        if not os.path.exists(path):
            return []
        with open(path) as f:
            return [float(l) for l in f.read().split()]

    def marker_time(self, name, timeout=3.0):
        deadline = time.time() + timeout
        while time.time() < deadline:
            times = self.marker_times(name)
            if times:
                return times[0]
            time.sleep(0.02)
        return None

    def launched(self):
        return sorted(os.listdir(self.markers))

    # --- the program and input -----------------------------------------------------------------
    def run(self, *args):
        return subprocess.run([self.binary, *args], env=self.env, capture_output=True, text=True, timeout=20)

    def start_app(self):
        self.app = subprocess.Popen([self.binary, "--show"], env=self.env, stdout=open(self.app_log, "w"),
                                    stderr=subprocess.STDOUT)
        self.window = self.wait_window("^Ilvex$")
        time.sleep(0.4)  # the fade-in

    def xdo(self, *args):
        return subprocess.run(["xdotool", *map(str, args)], env=self.env, capture_output=True, text=True,
                              timeout=20).stdout

    def wait_window(self, name, timeout=8.0):
        deadline = time.time() + timeout
        while time.time() < deadline:
            out = self.xdo("search", "--onlyvisible", "--name", name).split()
            if out:
                return out[0]
            time.sleep(0.05)
        raise AssertionError("no visible window named %s" % name)

    def geometry(self, window):
        out = subprocess.run(["xwininfo", "-id", window], env=self.env, capture_output=True, text=True).stdout
        values = {}
        for line in out.splitlines():
            if ":" in line:
                key, _, value = line.strip().partition(":")
                values[key.strip()] = value.strip()
        return values

    def opacity(self, window):
        out = subprocess.run(["xprop", "-id", window, "_NET_WM_WINDOW_OPACITY"], env=self.env,
                             capture_output=True, text=True).stdout
        value = out.rpartition("=")[2].strip()
        return int(value) / 0xFFFFFFFF if value.isdigit() else 1.0

    def is_viewable(self, window):
        return self.geometry(window).get("Map State") == "IsViewable"

    def wait_settled(self, window, timeout=2.0):
        """True once the panel is shown at full opacity."""
        deadline = time.time() + timeout
        while time.time() < deadline:
            if self.is_viewable(window) and self.opacity(window) > 0.999:
                return True
            time.sleep(0.03)
        return False

    def wait_hidden(self, window, timeout=2.0):
        deadline = time.time() + timeout
        while time.time() < deadline:
            if not self.is_viewable(window):
                return True
            time.sleep(0.03)
        return False

    def ring_point(self, index, count, radius=178.0, extra=0.0):
        g = self.geometry(self.window)
        cx = int(g["Absolute upper-left X"]) + int(g["Width"]) / 2
        cy = int(g["Absolute upper-left Y"]) + int(g["Height"]) / 2
        angle = -math.pi + 2 * math.pi * index / max(count, 1)
        return (round(cx + (radius + extra) * math.cos(angle)), round(cy + (radius + extra) * math.sin(angle)))

    def drag(self, path, hold=0.0, step_sleep=0.012):
        """Presses at the first point, moves through the others, holds still, releases."""
        args = ["mousemove", *path[0], "mousedown", "1"]
        for x, y in path[1:]:
            args += ["sleep", str(step_sleep), "mousemove", x, y]
        args += ["sleep", str(hold), "mouseup", "1"]
        self.xdo(*args)


def arc(session, start_index, end_index, count, extra, steps=14):
    a0 = -math.pi + 2 * math.pi * start_index / count
    a1 = -math.pi + 2 * math.pi * end_index / count
    g = session.geometry(session.window)
    cx = int(g["Absolute upper-left X"]) + int(g["Width"]) / 2
    cy = int(g["Absolute upper-left Y"]) + int(g["Height"]) / 2
    r = 178 + extra
    return [(round(cx + r * math.cos(a0 + (a1 - a0) * i / steps)), round(cy + r * math.sin(a0 + (a1 - a0) * i / steps)))
            for i in range(steps + 1)]


def line(p, q, steps):
    return [(round(p[0] + (q[0] - p[0]) * i / steps), round(p[1] + (q[1] - p[1]) * i / steps)) for i in range(steps + 1)]


def flick(s, a, b, hold):
    """A quick press-and-throw from a onto b (first motion already 40 % of the way), then holding still."""
    s.xdo("mousemove", *a, "mousedown", "1", "sleep", "0.03",
          *sum((["mousemove", x, y] for x, y in line(a, b, 5)[2:]), []), "sleep", str(hold), "mouseup", "1")


def group_fixture(s, members):
    """One list: Alpha, a group holding `members` entries m0, m1, …, and Gamma."""
    inner = [s.app_entry("m%d" % i) for i in range(members)]
    group = {"id": uid(), "name": "Box", "bundleIdentifier": "", "appPath": "", "isFolder": False, "isURL": False,
             "isSubList": True, "subItems": inner}
    s.write_lists([{"id": uid(), "name": "Main", "theme": "blue", "items": [s.app_entry("alpha"), group, s.app_entry("gamma")],
                    "snapshot": []}])


def fixture(s):
    alpha, beta, gamma, delta, eps, zeta = (s.app_entry(n) for n in ("alpha", "beta", "gamma", "delta", "epsilon", "zeta"))
    group = {"id": uid(), "name": "Box", "bundleIdentifier": "", "appPath": "", "isFolder": False, "isURL": False,
             "isSubList": True, "subItems": [eps]}
    lists = [{"id": uid(), "name": "Main", "theme": "blue", "items": [alpha, beta, gamma, delta, group], "snapshot": []},
             {"id": uid(), "name": "Other", "theme": "green", "items": [zeta], "snapshot": []}]
    s.write_lists(lists)
    return lists


def names(items):
    return [i["name"] for i in items]


# --- scenarios --------------------------------------------------------------------------------------
def scenario_panel(s):
    fixture(s)
    s.start_app()
    g = s.geometry(s.window)
    w, h = int(g["Width"]), int(g["Height"])
    x, y = int(g["Absolute upper-left X"]), int(g["Absolute upper-left Y"])
    assert (w, h) == (1067, 1067), "panel is %dx%d, expected 1067x1067" % (w, h)
    assert abs(x - (SCREEN_W - 1067) / 2) <= 1 and abs(y - (SCREEN_H - 1067) / 2) <= 1, "panel at %d,%d" % (x, y)
    # A second start hands its request over and exits; --hide then hides the running launcher.
    r = s.run("--hide")
    assert r.returncode == 0, r.stderr
    # Generous waits: other test programs may be loading the machine.
    assert s.wait_hidden(s.window, timeout=6.0), "--hide did not hide the launcher"
    r = s.run("--toggle")
    assert r.returncode == 0
    s.wait_window("^Ilvex$")
    trace = ""
    deadline = time.time() + 5
    while not trace and time.time() < deadline:
        with open(s.app_log) as f:
            trace = "".join(l for l in f if "first frame" in l).strip()
        time.sleep(0.05)
    assert trace, "no first-frame trace from the running launcher"
    print(trace)


def scenario_drag_margin(s):
    fixture(s)
    s.start_app()
    g = s.geometry(s.window)
    x, y = int(g["Absolute upper-left X"]), int(g["Absolute upper-left Y"])
    # Far outside the ring, in small steps as a hand moves: the window follows the pointer.
    start = (x + 60, y + 60)
    s.drag(line(start, (start[0] + 80, start[1] + 40), 40), hold=0.1)
    time.sleep(0.4)
    assert s.is_viewable(s.window), "dragging the panel by its margin dismissed the launcher"
    g = s.geometry(s.window)
    moved = (int(g["Absolute upper-left X"]) - x, int(g["Absolute upper-left Y"]) - y)
    assert abs(moved[0] - 80) <= 2 and abs(moved[1] - 40) <= 2, "the panel moved by %s" % (moved,)


def scenario_small_scale(s):
    fixture(s)
    with open(os.path.join(s.config, "Ilvex/Ilvex.conf"), "a") as f:
        f.write("launcherScale=0.8\n")
    s.start_app()
    g = s.geometry(s.window)
    assert abs(int(g["Width"]) - 853.6) <= 1 and abs(int(g["Height"]) - 853.6) <= 1, g


def scenario_click_launches(s):
    fixture(s)
    s.start_app()
    x, y = s.ring_point(0, 5)
    s.xdo("mousemove", x, y)
    time.sleep(0.15)
    clicked = time.time()
    s.xdo("click", "1")
    # Watch the panel: when it stops being fully opaque (the fade) or goes away.
    fading = None
    deadline = time.time() + 2
    while fading is None and time.time() < deadline:
        if not s.is_viewable(s.window) or s.opacity(s.window) < 0.999:
            fading = time.time()
        else:
            time.sleep(0.005)
    launched = s.marker_time("alpha")
    assert launched is not None, "clicking Alpha did not launch it"
    assert fading is not None, "the panel did not fade after the click"
    assert s.wait_hidden(s.window), "the launcher did not hide after the launch"
    print("panel fading %.0f ms, launch %.0f ms after the click" % ((fading - clicked) * 1000,
                                                                   (launched - clicked) * 1000))
    assert launched - clicked >= 0.15, "launched %.0f ms after the click" % ((launched - clicked) * 1000)
    assert launched - clicked < 1.5, "launched only %.1f s after the click" % (launched - clicked)
    assert fading < launched, "the launch came before the panel began to fade"


def scenario_escape_steps_back(s):
    fixture(s)
    s.start_app()
    gx, gy = s.ring_point(4, 5)
    s.xdo("mousemove", gx, gy, "click", "1")
    time.sleep(0.5)
    s.xdo("key", "Escape")
    time.sleep(0.4)
    assert s.is_viewable(s.window), "the first Escape (group open) hid the launcher"
    s.xdo("key", "Escape")
    assert s.wait_hidden(s.window), "the second Escape (group closed) did not hide the launcher"
    # The group did open on the click: its only member sits alone in slot 0 and launches.
    s.run("--show")
    s.wait_window("^Ilvex$")
    time.sleep(0.4)
    s.xdo("mousemove", gx, gy, "click", "1")
    time.sleep(0.6)
    ex, ey = s.ring_point(0, 1)
    s.xdo("mousemove", ex, ey, "click", "1")
    assert s.marker_time("epsilon") is not None, "the group's member was not shown in the ring"
    assert s.marker_time("alpha", timeout=0.3) is None, "the list's first entry launched instead"


def scenario_reorder(s):
    fixture(s)
    s.start_app()
    path = [s.ring_point(0, 5)] + line(s.ring_point(0, 5), s.ring_point(0, 5, extra=100), 5)[1:] + arc(s, 0, 2, 5, 100)[1:]
    s.drag(path, hold=0.45)
    time.sleep(0.3)
    order = names(s.read_lists()[0]["items"])
    assert order == ["Beta", "Gamma", "Alpha", "Delta", "Box"], "order after the drag: %s" % order


def scenario_merge(s):
    fixture(s)
    s.start_app()
    a, b = s.ring_point(0, 5), s.ring_point(1, 5)
    s.xdo("mousemove", *a, "mousedown", "1", "sleep", "0.05", "mousemove", a[0] + 8, a[1] - 8)
    s.xdo(*sum((["mousemove", x, y] for x, y in line(a, b, 6)[1:]), []))
    s.xdo("sleep", "0.6", "mouseup", "1")
    prompt = s.wait_window("Name the new group", timeout=4)
    s.xdo("windowactivate", "--sync", prompt)
    s.xdo("key", "ctrl+a", "type", "Tools")
    s.xdo("key", "Return")
    time.sleep(0.5)
    items = s.read_lists()[0]["items"]
    groups = [i for i in items if i.get("isSubList") and i["name"] == "Tools"]
    assert groups, "no group named Tools after the merge: %s" % names(items)
    assert sorted(names(groups[0]["subItems"])) == ["Alpha", "Beta"], names(groups[0]["subItems"])


def scenario_drop_into_group(s):
    fixture(s)
    s.start_app()
    c, g = s.ring_point(3, 5), s.ring_point(4, 5)
    s.xdo("mousemove", *c, "mousedown", "1", "sleep", "0.05", "mousemove", c[0] + 8, c[1] + 8)
    s.xdo(*sum((["mousemove", x, y] for x, y in line(c, g, 6)[1:]), []))
    s.xdo("sleep", "0.3", "mouseup", "1")
    time.sleep(0.4)
    items = s.read_lists()[0]["items"]
    box = [i for i in items if i["name"] == "Box"][0]
    assert "Delta" in names(box["subItems"]), "Delta not moved into the group: %s" % names(box["subItems"])
    assert "Delta" not in names(items)


def scenario_move_to_list(s):
    fixture(s)
    s.start_app()
    x, y = s.ring_point(1, 5)
    s.xdo("mousemove", x, y, "click", "3")
    time.sleep(0.5)
    # Open, Move to ▸ (Other first), …
    s.xdo("key", "Down", "Down", "Right")
    time.sleep(0.3)
    s.xdo("key", "Return")
    time.sleep(0.5)
    lists = s.read_lists()
    assert "Beta" not in names(lists[0]["items"]) and "Beta" in names(lists[1]["items"]), \
        "Move to did not move Beta: %s / %s" % (names(lists[0]["items"]), names(lists[1]["items"]))


def scenario_double_click_group(s):
    # The group sits at 1 o'clock; with six members m0..m5 the second click would land on m2, with two
    # on the empty space between m0 (9 o'clock) and m1 (3 o'clock), closing the group again.
    for members in (6, 2):
        group_fixture(s, members)
        s.start_app()
        s.xdo("mousemove", *s.ring_point(1, 3), "click", "--repeat", "2", "--delay", "90", "1")
        time.sleep(0.6)
        assert s.is_viewable(s.window), "a double click on a group of %d hid the launcher" % members
        assert s.launched() == [], "a double click on a group of %d launched %s" % (members, s.launched())
        # The group is still open: its first member sits at 9 o'clock of a ring of `members`.
        s.xdo("mousemove", *s.ring_point(0, members), "click", "1")
        assert s.marker_time("m0") is not None, "the group of %d did not stay open" % members
        assert "alpha" not in s.launched()
        s.close_app()


def scenario_double_click_app(s):
    fixture(s)
    s.start_app()
    s.xdo("mousemove", *s.ring_point(0, 5), "click", "--repeat", "2", "--delay", "94", "1")
    assert s.wait_hidden(s.window), "the launcher did not hide after the double click"
    time.sleep(0.8)
    assert len(s.marker_times("alpha")) == 1, "Alpha launched %d times" % len(s.marker_times("alpha"))
    # Shown again, a click launches as before.
    s.run("--show")
    s.wait_window("^Ilvex$")
    time.sleep(0.4)
    s.xdo("mousemove", *s.ring_point(1, 5), "click", "1")
    assert s.marker_time("beta") is not None, "no launch after showing the launcher again"


def scenario_escape_in_drag(s):
    # Escape and a right click in the middle of a drag neither hide the launcher nor end the drag: the
    # drag goes on and stores its order.
    fixture(s)
    s.start_app()
    start = s.ring_point(0, 5)
    out = line(start, s.ring_point(0, 5, extra=100), 5)[1:]
    way = arc(s, 0, 2, 5, 100)[1:]
    s.xdo("mousemove", *start, "mousedown", "1", *sum((["sleep", "0.012", "mousemove", x, y] for x, y in out), []))
    s.xdo("key", "Escape")
    s.xdo("click", "3")
    s.xdo("key", "Escape")
    time.sleep(0.3)
    assert s.is_viewable(s.window), "Escape or a right click during a drag hid the launcher"
    s.xdo(*sum((["sleep", "0.012", "mousemove", x, y] for x, y in way), []), "sleep", "0.45", "mouseup", "1")
    time.sleep(0.3)
    assert s.is_viewable(s.window), "the launcher hid at the end of the drag"
    order = names(s.read_lists()[0]["items"])
    assert order == ["Beta", "Gamma", "Alpha", "Delta", "Box"], "order after the drag: %s" % order
    s.xdo("key", "Escape")
    assert s.wait_hidden(s.window), "Escape after the drag did not hide the launcher"


def scenario_fast_merge(s):
    fixture(s)
    s.start_app()
    saved = os.path.join(s.tmp, "lists-export.json")
    assert s.run("--export-lists", saved).returncode == 0
    for attempt, hold in enumerate((0.13, 0.2, 0.3, 0.45, 0.16)):
        flick(s, s.ring_point(0, 5), s.ring_point(1, 5), hold)
        try:
            prompt = s.wait_window("Name the new group", timeout=3)
        except AssertionError:
            raise AssertionError("flick %d with a %.2f s hold did not merge: %s" % (
                attempt + 1, hold, names(s.read_lists()[0]["items"])))
        s.xdo("windowactivate", "--sync", prompt)
        s.xdo("key", "Escape")  # cancel: the group keeps its default name
        time.sleep(0.3)
        items = s.read_lists()[0]["items"]
        groups = [i for i in items if i.get("isSubList") and i["name"] == "Group"]
        assert groups and sorted(names(groups[0]["subItems"])) == ["Alpha", "Beta"], \
            "flick %d with a %.2f s hold did not merge: %s" % (attempt + 1, hold, names(items))
        r = s.run("--import-lists", saved)
        assert r.returncode == 0, r.stderr
        time.sleep(0.3)


def scenario_show_while_fading(s):
    fixture(s)
    s.start_app()
    # --show while the panel fades out after Escape brings it back.
    for _ in range(3):
        s.xdo("key", "Escape")
        r = s.run("--show")
        assert r.returncode == 0, r.stderr
        assert s.wait_settled(s.window), "--show during the fade-out left the launcher at opacity %.2f, %s" % (
            s.opacity(s.window), "mapped" if s.is_viewable(s.window) else "hidden")
        time.sleep(0.3)
        assert s.is_viewable(s.window)
    # Rapid requests: the last one decides.
    for request in ("--hide", "--show", "--toggle", "--toggle", "--hide", "--show", "--hide", "--show"):
        assert s.run(request).returncode == 0
    assert s.wait_settled(s.window), "shown last, the launcher is not up"
    for request in ("--show", "--hide", "--show", "--toggle"):
        assert s.run(request).returncode == 0
    assert s.wait_hidden(s.window), "toggled off last, the launcher stays up"
    time.sleep(0.3)
    assert not s.is_viewable(s.window)


SCENARIOS = {name[len("scenario_"):]: fn for name, fn in globals().items() if name.startswith("scenario_")}


def main():
    binary, wanted = sys.argv[1], sys.argv[2:] or list(SCENARIOS)
    failed = 0
    for name in wanted:
        s = Session(binary)
        try:
            if not s.start_x():
                print("SKIPPED: no X server could be started (Xvfb and xdotool are needed)")
                return SKIP
            started = time.time()
            SCENARIOS[name](s)
            print("PASS %s (%.1f s)" % (name, time.time() - started))
        except Exception as error:  # report and go on with the next scenario
            failed += 1
            print("FAIL %s: %s" % (name, error))
            if os.path.exists(s.app_log):
                print(open(s.app_log).read())
        finally:
            s.close()
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
