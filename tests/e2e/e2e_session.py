"""The sandbox, X server and input helpers shared by the end-to-end scenarios and the live screenshots."""

import json, math, os, random, shutil, subprocess, sys, tempfile, time, uuid

SKIP = 77
SCREEN_W, SCREEN_H = 1600, 1200
TRAY_ICON = (SCREEN_W - 16, 16)


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
    def __init__(self, binary):
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
            f.write("[General]\nlauncherSoundsEnabled=false\nshowInMenuBar=false\ncheckForUpdatesAutomatically=false\n")
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
                        XDG_DATA_DIRS=self.data + ":/usr/local/share:/usr/share", ILVEX_TRACE_SHOW="1",
                        ILVEX_TRACE_LAYOUT="1")
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
                                                            "%dx%dx24" % (SCREEN_W, SCREEN_H), "-nolisten", "tcp",
                                                            "-noreset"]
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

    def quit_app(self):
        if self.app and self.app.poll() is None:
            subprocess.run([self.binary, "--quit"], env=self.env, timeout=10)
            try:
                self.app.wait(5)
            except subprocess.TimeoutExpired:
                self.app.kill()

    def close_app(self):
        self.quit_app()
        for name in os.listdir(self.markers):
            os.remove(os.path.join(self.markers, name))

    def close(self):
        self.quit_app()
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
        self.window = self.wait_window("^Ilvex$", timeout=15.0)  # a loaded machine starts slowly
        time.sleep(0.4)  # the fade-in

    def set_preferences(self, **values):
        """Sets preferences in the sandbox's file while the program is not running."""
        path = os.path.join(self.config, "Ilvex/Ilvex.conf")
        with open(path) as f:
            lines = [l for l in f.read().splitlines() if l.partition("=")[0] not in values]
        for key, value in values.items():
            lines.append("%s=%s" % (key, str(value).lower() if isinstance(value, bool) else value))
        with open(path, "w") as f:
            f.write("\n".join(lines) + "\n")

    def start_quiet(self):
        """A plain start: nothing shown; returns once the launcher has been prepared while idle."""
        self.app = subprocess.Popen([self.binary], env=self.env, stdout=open(self.app_log, "w"),
                                    stderr=subprocess.STDOUT)
        self.wait_log("launcher prepared", timeout=15.0)

    def log(self):
        with open(self.app_log) as f:
            return f.read()

    def wait_log(self, text, timeout=5.0):
        """The first log line holding text; fails after timeout."""
        deadline = time.time() + timeout
        while time.time() < deadline:
            for l in self.log().splitlines():
                if text in l:
                    return l
            time.sleep(0.03)
        raise AssertionError("no log line with %r in:\n%s" % (text, self.log()))

    def start_tray(self):
        """A tray host at the top right of the screen; its first icon sits at TRAY_ICON."""
        self.procs.append(subprocess.Popen(["trayer", "--edge", "top", "--align", "right", "--widthtype", "request",
                                            "--height", "32", "--SetDockType", "true"], env=self.env,
                                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))

    def lock_keys(self, *keys):
        """Turns the given lock keys (Num_Lock, Caps_Lock) on or off by pressing them."""
        for key in keys:
            self.xdo("key", key)

    def led_states(self):
        out = subprocess.run(["xset", "q"], env=self.env, capture_output=True, text=True).stdout
        return {"Caps_Lock": "Caps Lock:   on" in out, "Num_Lock": "Num Lock:    on" in out}

    def run_tool(self, *args):
        return subprocess.run(list(args), env=self.env, capture_output=True, text=True, timeout=20).stdout

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

    def centre(self):
        g = self.geometry(self.window)
        return (int(g["Absolute upper-left X"]) + int(g["Width"]) / 2,
                int(g["Absolute upper-left Y"]) + int(g["Height"]) / 2)

    def ring_point(self, index, count, radius=178.0, extra=0.0):
        cx, cy = self.centre()
        angle = -math.pi + 2 * math.pi * index / max(count, 1)
        return (round(cx + (radius + extra) * math.cos(angle)), round(cy + (radius + extra) * math.sin(angle)))

    def layout(self, name, timeout=3.0):
        """The last reported screen rectangle (x, y, w, h) of a named part of the launcher."""
        deadline = time.time() + timeout
        while True:
            found = None
            with open(self.app_log) as f:
                for l in f:
                    parts = l.split()
                    if len(parts) == 7 and parts[1] == "layout" and parts[2] == name:
                        found = tuple(int(v) for v in parts[3:])
            if found or time.time() > deadline:
                assert found, "the launcher reported no %s" % name
                return found
            time.sleep(0.05)

    def click(self, name, button=1, settle=0.35):
        x, y, w, h = self.layout(name)
        self.xdo("mousemove", x + w // 2, y + h // 2, "sleep", "0.08", "click", button)
        time.sleep(settle)

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
    cx, cy = session.centre()
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
