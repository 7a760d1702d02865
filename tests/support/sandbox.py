"""A private HOME for the real binary (end-to-end and reliability checks, the summon benchmark), keeping every
line each instance and command prints: lines that look like warnings fail the check unless expected."""

import os, re, shutil, subprocess, tempfile, time

# What Qt and Ilvex print when something went wrong.
WARNING = re.compile(r"^(QWidget|QObject|QPainter|QWindow|QPixmap|QIcon|QFont|QImage)\w*::|^qt\.|warning|error|"
                     r"\bfailed\b|cannot|could not|does not support|unreadable|refused|corrupt", re.IGNORECASE)
# Expected where the checks run: no hotkey without a session bus (offscreen, the Wayland compositor), no
# tray icon without a tray host, and Qt's offscreen platform saying what it leaves out.
ALLOWED = [r"^\[Ilvex\] RegisterEventHotKey failed: no session bus — ",
           r"^\[Ilvex\] no system tray found: the tray icon cannot be shown$", r"^This plugin does not support \w+\(\)$"]


def wait_until(check, timeout, step=0.03):
    """The first true result of check within timeout seconds, else its last result."""
    deadline = time.monotonic() + timeout
    while True:
        result = check()
        if result or time.monotonic() > deadline:
            return result
        time.sleep(step)


class Sandbox:
    def __init__(self, binary):
        self.binary = binary
        self.tmp = tempfile.mkdtemp(prefix="ilvex-test-")
        self.home = self.tmp + "/home"
        self.data, self.config, self.runtime = self.home + "/.local/share", self.home + "/.config", self.tmp + "/runtime"
        self.support = self.data + "/Ilvex"
        self.lists = self.support + "/lists.json"
        for d in (self.data, self.config, self.home + "/.cache", self.runtime):
            os.makedirs(d)
        os.chmod(self.runtime, 0o700)
        self.env = dict(os.environ, HOME=self.home, XDG_DATA_HOME=self.data, XDG_CONFIG_HOME=self.config,
                        XDG_CACHE_HOME=self.home + "/.cache", XDG_RUNTIME_DIR=self.runtime)
        for name in ("DISPLAY", "WAYLAND_DISPLAY", "XAUTHORITY", "QT_QPA_PLATFORM", "XDG_DATA_DIRS"):
            self.env.pop(name, None)
        self.logs, self.replies, self.seen = [], [], {}
        self.expected = list(ALLOWED)

    def log_file(self):
        """A new file for one instance's standard output and error, kept with the sandbox's output."""
        self.logs.append(os.path.join(self.tmp, "ilvex-%d.log" % len(self.logs)))
        return open(self.logs[-1], "w")

    def run(self, *args, timeout=60, **options):
        """A command of the binary, run to its end; its output is kept."""
        result = subprocess.run([self.binary, *args], env=self.env, capture_output=True, timeout=timeout, **options)
        for text in (result.stdout, result.stderr):
            self.replies.append(text.decode(errors="replace") if isinstance(text, bytes) else text)
        return result

    def expect(self, *patterns):
        """Warnings (regular expressions) this check provokes on purpose."""
        self.expected += patterns

    def output(self):
        """Each instance log and command reply so far, keyed for unexpected_warnings."""
        texts = {}
        for n, path in enumerate(self.logs):
            with open(path, errors="replace") as f:
                texts["log", n] = f.read()
        texts.update((("reply", n), text) for n, text in enumerate(self.replies))
        return texts

    def unexpected_warnings(self):
        """The lines printed since the last call that look like warnings and are not expected."""
        found = []
        for key, text in self.output().items():
            lines = text.splitlines()
            found += [l for l in lines[self.seen.get(key, 0):]
                      if WARNING.search(l) and not any(re.search(p, l) for p in self.expected)]
            self.seen[key] = len(lines)
        return found

    def remove(self):
        shutil.rmtree(self.tmp, ignore_errors=True)
