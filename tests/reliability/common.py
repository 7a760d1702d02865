"""Shared helpers of the reliability checks: a private HOME per check, the real binary, raw socket clients."""
import json
import os
import shutil
import socket
import struct
import subprocess
import sys
import tempfile
import time
import uuid


class Checks:
    """Counts checks and prints the closing line that ctest reads."""

    def __init__(self):
        self.passed = 0
        self.failed = 0

    def check(self, what, ok, detail=""):
        if ok:
            self.passed += 1
        else:
            self.failed += 1
            print(f"FAIL: {what} {detail}".rstrip(), file=sys.stderr)
        return ok

    def finish(self):
        print(f"{self.passed} passed, {self.failed} failed")
        sys.exit(1 if self.failed else 0)


class Sandbox:
    def __init__(self, binary):
        self.binary = binary
        self.dir = tempfile.mkdtemp(prefix="ilvex-reliability-")
        home = os.path.join(self.dir, "home")
        runtime = os.path.join(self.dir, "runtime")
        self.env = dict(os.environ, HOME=home, XDG_DATA_HOME=home + "/.local/share",
                        XDG_CONFIG_HOME=home + "/.config", XDG_CACHE_HOME=home + "/.cache",
                        XDG_RUNTIME_DIR=runtime, QT_QPA_PLATFORM="offscreen")
        for name in ("XDG_DATA_DIRS", "DISPLAY", "WAYLAND_DISPLAY"):
            self.env.pop(name, None)
        for path in (home + "/.local/share", home + "/.config", home + "/.cache", runtime):
            os.makedirs(path, exist_ok=True)
        os.chmod(runtime, 0o700)
        self.support = home + "/.local/share/Ilvex"
        self.lists = self.support + "/lists.json"
        self.socket = runtime + "/ilvex.socket"
        self.instances = []

    def close(self):
        for process in self.instances:
            if process.poll() is None:
                process.kill()
                process.wait()
        shutil.rmtree(self.dir, ignore_errors=True)

    def run(self, *args, input=None, timeout=60):
        return subprocess.run([self.binary, *args], env=self.env, input=input, capture_output=True,
                              timeout=timeout)

    def spawn(self, *args, prefix=(), stdin=None):
        return subprocess.Popen([*prefix, self.binary, *args], env=self.env, stdin=stdin,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE)

    def start_instance(self, prefix=()):
        process = subprocess.Popen([*prefix, self.binary], env=self.env, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        self.instances.append(process)
        return process

    def wait_listening(self, timeout=10.0):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            try:
                with socket.socket(socket.AF_UNIX) as probe:
                    probe.connect(self.socket)
                    return True
            except OSError:
                time.sleep(0.02)
        return False

    def quit(self, process, timeout=10):
        self.run("--quit")
        try:
            process.wait(timeout)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()

    def list_names(self):
        """The list names in the lists file; None when it is missing or unreadable."""
        try:
            with open(self.lists, "rb") as file:
                return [entry["name"] for entry in json.load(file)]
        except (OSError, ValueError, KeyError, TypeError):
            return None

    def temporaries(self):
        if not os.path.isdir(self.support):
            return []
        return [name for name in os.listdir(self.support)
                if name.startswith("lists.json.") and len(name) == len("lists.json.") + 6
                and name[-6:].isalnum()]


def document(*names):
    """An export document with one list per name, each holding one link."""
    lists = [{"id": str(uuid.uuid4()).upper(), "name": name, "theme": "teal",
              "items": [{"id": str(uuid.uuid4()).upper(), "name": "Item", "bundleIdentifier": "",
                         "appPath": "example.com", "isURL": True}]} for name in names]
    return json.dumps(lists).encode()


def announce(path, length, body, seconds=3.0):
    """A raw client that announces a message of length bytes and sends what of body the other end takes
    within seconds."""
    client = socket.socket(socket.AF_UNIX)
    client.connect(path)
    client.setblocking(False)
    data = struct.pack(">I", length) + body
    sent = 0
    deadline = time.monotonic() + seconds
    while sent < len(data) and time.monotonic() < deadline:
        try:
            sent += client.send(data[sent:sent + 65536])
        except BlockingIOError:
            time.sleep(0.005)
    return client, sent


def rss_mib(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024
    return 0.0


def binary_from_argv():
    if len(sys.argv) < 2:
        print(f"usage: {sys.argv[0]} PATH-TO-ILVEX [COUNT]", file=sys.stderr)
        sys.exit(2)
    count = int(sys.argv[2]) if len(sys.argv) > 2 else None
    return os.path.abspath(sys.argv[1]), count
