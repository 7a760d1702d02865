"""The sandbox, X server and input helpers of the end-to-end scenarios, the summon benchmark and the live
screenshots, and the runner that fails a scenario on an assertion or on an unexpected warning."""

import json, math, os, random, shutil, subprocess, sys, time, uuid

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from sandbox import Sandbox, wait_until  # noqa: E402

SKIP = 77
SCREEN_W, SCREEN_H = 1600, 1200
LAUNCHER = "^Ilvex$"


def uid():
    return str(uuid.uuid4()).upper()


def write(path, text):
    with open(path, "w") as f:
        f.write(text)


class Session(Sandbox):
    def __init__(self, binary):
        super().__init__(binary)
        self.markers = self.tmp + "/markers"
        for d in (self.data + "/applications", self.support, self.config + "/Ilvex", self.markers):
            os.makedirs(d, exist_ok=True)
        write(self.home + "/.asoundrc", "pcm.!default { type null }\nctl.!default { type null }\n")
        write(self.config + "/Ilvex/Ilvex.conf",
              "[General]\nlauncherSoundsEnabled=false\nshowInMenuBar=false\ncheckForUpdatesAutomatically=false\n")
        self.env.update(XDG_DATA_DIRS=self.data + ":/usr/local/share:/usr/share", ILVEX_TRACE_SHOW="1",
                        ILVEX_TRACE_LAYOUT="1")
        self.procs, self.app, self.window = [], None, None

    def start_x(self, compositor=True):
        if not shutil.which("Xvfb") or not shutil.which("xdotool"):
            return False
        # Another X server (a parallel run) may grab the display Xvfb reported; check that ours answers
        # and retry once on a display number of our own choosing.
        if not any(self.start_xvfb(display) for display in (None, ":%d" % random.randrange(200, 900))):
            return False
        self.env["DISPLAY"] = self.display
        if compositor and shutil.which("picom"):
            self.spawn("picom", "--backend", "xrender", "--config", "/dev/null")
        return True

    def start_xvfb(self, display):
        r, w = os.pipe()
        xvfb = subprocess.Popen(["Xvfb"] + ([display] if display else []) +
                                ["-displayfd", str(w), "-screen", "0", "%dx%dx24" % (SCREEN_W, SCREEN_H),
                                 "-nolisten", "tcp", "-noreset"],
                                pass_fds=(w,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(w)
        with os.fdopen(r) as displayfd:
            number = displayfd.readline().strip()  # its display, once it is ready; nothing when it failed
        self.display = ":" + number
        env = {k: v for k, v in os.environ.items() if k != "XAUTHORITY"} | {"DISPLAY": self.display}

        def answers():
            try:
                return subprocess.run(["xdotool", "getdisplaygeometry"], env=env, capture_output=True, text=True,
                                      timeout=3).stdout.split() == [str(SCREEN_W), str(SCREEN_H)]
            except subprocess.TimeoutExpired:
                return False
        if number and wait_until(lambda: xvfb.poll() is not None or answers(), 5.0, 0.05) and xvfb.poll() is None:
            self.procs.append(xvfb)
            return True
        stop(xvfb)
        return False

    def spawn(self, *args):
        self.procs.append(subprocess.Popen(args, env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        return self.procs[-1]

    def start_bus(self):
        bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"], env=self.env,
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        self.procs.append(bus)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().strip()

    def start_tray(self):
        self.spawn("trayer", "--edge", "top", "--align", "right", "--widthtype", "request", "--height", "32",
                   "--SetDockType", "true")

    def quit_app(self):
        if self.app and self.app.poll() is None:
            subprocess.run([self.binary, "--quit"], env=self.env, timeout=10)
            stop(self.app, terminate=False)

    def close_app(self):
        self.quit_app()
        self.clear_markers()

    def close(self):
        self.quit_app()
        for p in reversed(self.procs):
            stop(p)
        self.remove()

    def app_entry(self, name):
        """A desktop entry whose program writes the time into the marker file `name`."""
        script = os.path.join(self.tmp, "launch-%s.sh" % name)
        write(script, "#!/bin/sh\ndate +%%s.%%N >> '%s/%s'\n" % (self.markers, name))
        os.chmod(script, 0o755)
        path = os.path.join(self.data, "applications", "e2e-%s.desktop" % name)
        write(path, "[Desktop Entry]\nType=Application\nName=%s\nExec=%s\nIcon=utilities-terminal\n" %
              (name.capitalize(), script))
        return {"id": uid(), "name": name.capitalize(), "bundleIdentifier": "e2e-" + name, "appPath": path,
                "isFolder": False, "isURL": False, "isSubList": False}

    def write_lists(self, lists):
        write(self.lists, json.dumps(lists, indent=2))

    def read_lists(self):
        with open(self.lists) as f:
            return json.load(f)

    def wait_lists(self, check, what=None, timeout=5.0):
        """The lists file once check holds for it; after timeout, as it is, or with `what` a failure."""
        wait_until(lambda: check(self.read_lists()), timeout, 0.05)
        lists = self.read_lists()
        assert not what or check(lists), "%s: %s" % (what, [(l["name"], l.get("theme"), names(l["items"])) for l in lists])
        return lists

    def marker_times(self, name):
        path = os.path.join(self.markers, name)
        return [float(l) for l in open(path).read().split()] if os.path.exists(path) else []

    def marker_time(self, name, timeout=3.0):
        times = wait_until(lambda: self.marker_times(name), timeout, 0.02)
        return times[0] if times else None

    def launched(self):
        return sorted(os.listdir(self.markers))

    def launched_only(self, name):
        assert self.marker_time(name) is not None, "%s was not launched (launched: %s)" % (name, self.launched())
        assert self.stays(lambda: self.launched() == [name], 0.2), "launched %s" % self.launched()

    def clear_markers(self):
        for name in os.listdir(self.markers):
            os.remove(os.path.join(self.markers, name))

    def set_preferences(self, **values):
        """Sets preferences in the sandbox's file (read at start, and watched while Ilvex runs)."""
        path = os.path.join(self.config, "Ilvex/Ilvex.conf")
        with open(path) as f:
            lines = [l for l in f.read().splitlines() if l.partition("=")[0] not in values]
        lines += ["%s=%s" % (k, str(v).lower() if isinstance(v, bool) else v) for k, v in values.items()]
        write(path, "\n".join(lines) + "\n")

    def run(self, *args):
        return super().run(*args, timeout=20, text=True)

    def start_app(self, *args, show=True, tray=False):
        """Starts Ilvex; returns once the launcher is shown at full opacity (show) or prepared, and the tray
        icon is in place (tray)."""
        self.app = subprocess.Popen([self.binary, *args] + (["--show"] if show else []), env=self.env,
                                    stdout=self.log_file(), stderr=subprocess.STDOUT)
        self.wait_log("first frame" if show else "launcher prepared", timeout=15.0)  # a loaded machine starts slowly
        if show:
            self.window = self.shown("the first start")
        if tray:
            self.wait_log("tray ready", timeout=10.0)

    def start_quiet(self, tray=False):
        self.start_app(show=False, tray=tray)

    def show_again(self):
        assert self.run("--show").returncode == 0
        return self.shown("--show")

    def log(self):
        return self.output().get(("log", len(self.logs) - 1), "")

    def wait_log(self, text, timeout=5.0, count=1):
        found = wait_until(lambda: [l for l in self.log().splitlines() if text in l][count - 1:], timeout)
        assert found, "no log line %d with %r in:\n%s" % (count, text, self.log())
        return found[0]

    def layout(self, name, timeout=3.0):
        """The screen rectangle (x, y, w, h) of a named part of the launcher, once it has come to rest: a
        part is reported at each move, so at rest when no new place follows for a moment."""
        def last():
            parts = [l.split() for l in self.log().splitlines()]
            return [tuple(int(v) for v in p[3:]) for p in parts if len(p) == 7 and p[1:3] == ["layout", name]][-1:]
        found, deadline = wait_until(last, timeout, 0.05), time.monotonic() + timeout
        assert found, "the launcher reported no %s" % name
        while time.monotonic() < deadline and not self.stays(lambda: last() == found, 0.15):
            found = last()
        return found[0]

    def run_tool(self, *args):
        return subprocess.run(list(args), env=self.env, capture_output=True, text=True, timeout=20).stdout

    def xdo(self, *args):
        return self.run_tool("xdotool", *map(str, args))

    def visible(self, name):
        return self.xdo("search", "--onlyvisible", "--name", name).split()

    def wait_window(self, name, timeout=8.0):
        found = wait_until(lambda: self.visible(name), timeout, 0.05)
        assert found, "no visible window named %s" % name
        return found[0]

    def app_windows(self):
        return self.xdo("search", "--onlyvisible", "--pid", self.app.pid).split()

    def new_window(self, before, timeout=5.0):
        """A window of Ilvex shown since its windows were `before` (a dialog, a menu)."""
        found = wait_until(lambda: sorted(set(self.app_windows()) - set(before)), timeout, 0.05)
        assert found, "no new window showed"
        return found[0]

    def shown(self, what, timeout=3.0):
        window = self.wait_window(LAUNCHER, timeout=timeout)
        assert self.wait_settled(window), "%s: the launcher is not shown at full opacity" % what
        return window

    def focused(self, window, timeout=2.0):
        return wait_until(lambda: self.xdo("getwindowfocus").strip() == window, timeout)

    def hides(self, window, what, timeout=2.0):
        assert self.wait_hidden(window, timeout), "%s: the launcher did not hide" % what

    def geometry(self, window):
        lines = self.run_tool("xwininfo", "-id", window).splitlines()
        return {k.strip(): v.strip() for k, _, v in (l.strip().partition(":") for l in lines if ":" in l)}

    def origin(self, window):
        g = self.geometry(window)
        return int(g["Absolute upper-left X"]), int(g["Absolute upper-left Y"])

    def centre(self, window=None):
        g = self.geometry(window or self.window)
        return (int(g["Absolute upper-left X"]) + int(g["Width"]) / 2,
                int(g["Absolute upper-left Y"]) + int(g["Height"]) / 2)

    def is_viewable(self, window):
        return self.geometry(window).get("Map State") == "IsViewable"

    def wait_settled(self, window, timeout=2.0):
        """True once the panel is shown at full opacity (_NET_WM_WINDOW_OPACITY unset or the most)."""
        def opacity():
            value = self.run_tool("xprop", "-id", window, "_NET_WM_WINDOW_OPACITY").rpartition("=")[2].strip()
            return int(value) / 0xFFFFFFFF if value.isdigit() else 1.0
        return wait_until(lambda: self.is_viewable(window) and opacity() > 0.999, timeout)

    def wait_hidden(self, window, timeout=2.0):
        return wait_until(lambda: not self.is_viewable(window), timeout)

    def wait_still(self, window, timeout=3.0):
        """True once two pictures of the window in a row are the same: what moved in it is at rest."""
        last = [None]

        def still():
            picture = subprocess.run(["import", "-window", window, "rgba:-"], env=self.env, capture_output=True).stdout
            same, last[0] = picture == last[0], picture
            return same
        return wait_until(still, timeout, 0.05)

    def stays(self, check, seconds):
        """True when check holds for the whole time (what should not happen does not)."""
        return not wait_until(lambda: not check(), seconds, 0.05)

    def top_level_windows(self):
        lines = self.run_tool("xwininfo", "-root", "-children").splitlines()
        start = next((i for i, l in enumerate(lines) if "children" in l), len(lines)) + 1
        return [int(l.split()[0], 16) for l in lines[start:] if l.strip().startswith("0x")][::-1]

    def is_above(self, upper, lower):
        """True when upper's top-level window (its frame under a window manager) is stacked above lower's."""
        def top_level(window):
            window = int(window)
            while True:
                lines = self.run_tool("xwininfo", "-tree", "-id", str(window)).splitlines()
                root, parent = (next(int(l.split()[3], 16) for l in lines if what in l)
                                for what in ("Root window id:", "Parent window id:"))
                if parent == root:
                    return window
                window = parent
        order = self.top_level_windows()
        return order.index(top_level(upper)) > order.index(top_level(lower))

    def strut_top(self):
        """The deepest strut along the top edge of any dock on the display (0 without one)."""
        tree = self.run_tool("xwininfo", "-root", "-tree").splitlines()
        struts = [self.run_tool("xprop", "-id", l.split()[0], "_NET_WM_STRUT_PARTIAL").partition("=")[2]
                  for l in tree if l.strip().startswith("0x") and '("' in l]
        return max([int(v.split(",")[2]) for v in struts if v.strip()], default=0)

    def ring_point(self, index, count):
        return arc(self, index, index, count, 0, 1)[0]

    def click(self, name, button=1, settle=0.0):
        x, y, w, h = self.layout(name)
        self.xdo("mousemove", x + w // 2, y + h // 2, "sleep", "0.08", "click", button, "sleep", settle)

    def menu(self, point_or_name, *keys, button=3):
        """Opens a menu by a click on a point or a laid-out part (a right click unless told), picks by keys."""
        before = self.app_windows()
        if isinstance(point_or_name, str):
            self.click(point_or_name, button)
        else:
            self.xdo("mousemove", *point_or_name, "click", button)
        menu = self.new_window(before)
        self.xdo("key", *keys)
        return menu


def stop(process, terminate=True):
    if terminate:
        process.terminate()
    try:
        process.wait(5)
    except subprocess.TimeoutExpired:
        process.kill()


def moves(points, pause=None):
    return sum(((["sleep", pause] if pause else []) + ["mousemove", x, y] for x, y in points), [])


def arc(session, start_index, end_index, count, extra, steps=14):
    """Points on the ring's entry circle (radius 178 + extra) from slot to slot; slot 0 is at nine o'clock."""
    a0, a1 = (-math.pi + 2 * math.pi * i / max(count, 1) for i in (start_index, end_index))
    cx, cy = session.centre()
    r = 178 + extra
    return [(round(cx + r * math.cos(a0 + (a1 - a0) * i / steps)), round(cy + r * math.sin(a0 + (a1 - a0) * i / steps)))
            for i in range(steps + 1)]


def line(p, q, steps):
    return [(round(p[0] + (q[0] - p[0]) * i / steps), round(p[1] + (q[1] - p[1]) * i / steps)) for i in range(steps + 1)]


def group(name, members):
    return {"id": uid(), "name": name, "bundleIdentifier": "", "appPath": "", "isFolder": False, "isURL": False,
            "isSubList": True, "subItems": members}


def one_list(name, items, theme="blue"):
    return {"id": uid(), "name": name, "theme": theme, "items": items, "snapshot": []}


def group_fixture(s, members):
    """One list: Alpha, a group holding `members` entries m0, m1, …, and Gamma."""
    s.write_lists([one_list("Main", [s.app_entry("alpha"), group("Box", [s.app_entry("m%d" % i) for i in range(members)]),
                                     s.app_entry("gamma")])])


def fixture(s):
    """Main: Alpha, Beta, Gamma, Delta, Box (Epsilon); Other: Zeta."""
    main = [s.app_entry(n) for n in ("alpha", "beta", "gamma", "delta")] + [group("Box", [s.app_entry("epsilon")])]
    lists = [one_list("Main", main), one_list("Other", [s.app_entry("zeta")], "green")]
    s.write_lists(lists)
    return lists


def names(items):
    return [i["name"] for i in items]


def attempt(s, name, scenario):
    """Runs one scenario: it fails on an assertion, or on a warning the program printed meanwhile that the
    scenario did not expect. True when it passed."""
    started, expected = time.time(), list(s.expected)
    try:
        scenario()
        unexpected = s.unexpected_warnings()
        assert not unexpected, "unexpected warnings:\n" + "\n".join(unexpected)
        print("PASS %s (%.1f s)" % (name, time.time() - started))
        return True
    except Exception as error:  # report and go on with the next scenario
        print("FAIL %s: %s" % (name, error))
        print(s.log())
        return False
    finally:
        s.expected = expected
