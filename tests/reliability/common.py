"""Shared helpers of the reliability checks: a private HOME per check, the real binary, raw socket clients."""
import json, os, resource, shutil, signal, socket, struct, subprocess, sys, tempfile, time, uuid


counts = {"passed": 0, "failed": 0}


def check(what, ok, detail=""):
    counts["passed" if ok else "failed"] += 1
    if not ok:
        print(f"FAIL: {what} {detail}".rstrip(), file=sys.stderr)
    return ok


def finish():
    """The closing line that ctest reads."""
    print(f"{counts['passed']} passed, {counts['failed']} failed")
    sys.exit(1 if counts["failed"] else 0)


class Sandbox:
    def __init__(self, binary):
        self.binary = binary
        self.dir = tempfile.mkdtemp(prefix="ilvex-reliability-")
        home, runtime = self.dir + "/home", self.dir + "/runtime"
        self.env = dict(os.environ, HOME=home, XDG_DATA_HOME=home + "/.local/share",
                        XDG_CONFIG_HOME=home + "/.config", XDG_CACHE_HOME=home + "/.cache",
                        XDG_RUNTIME_DIR=runtime, QT_QPA_PLATFORM="offscreen")
        for name in ("XDG_DATA_DIRS", "DISPLAY", "WAYLAND_DISPLAY"):
            self.env.pop(name, None)
        for path in (home + "/.local/share", home + "/.config", home + "/.cache", runtime):
            os.makedirs(path)
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

    def run(self, *args, input=None, timeout=60, preexec_fn=None):
        return subprocess.run([self.binary, *args], env=self.env, input=input, capture_output=True,
                              timeout=timeout, preexec_fn=preexec_fn)

    def spawn(self, *args, stdin=None):
        return subprocess.Popen([self.binary, *args], env=self.env, stdin=stdin, stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE)

    def start_instance(self, prefix=(), preexec_fn=None, stdout=subprocess.DEVNULL):
        process = subprocess.Popen([*prefix, self.binary], env=self.env, stdout=stdout,
                                   stderr=subprocess.DEVNULL, preexec_fn=preexec_fn)
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
        """What a save interrupted by a kill leaves: .lists.json.ilvex-unfinished-XXXXXX."""
        names = os.listdir(self.support) if os.path.isdir(self.support) else []
        return [n for n in names if n.startswith(".lists.json.ilvex-unfinished-")]


def document(*names):
    """An export document with one list per name, each holding one link."""
    return json.dumps([{"id": str(uuid.uuid4()).upper(), "name": name, "theme": "teal",
                        "items": [{"id": str(uuid.uuid4()).upper(), "name": "Item", "bundleIdentifier": "",
                                   "appPath": "example.com", "isURL": True}]} for name in names]).encode()


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


def closed_by_peer(client, timeout):
    """True once the other end has closed the connection, within timeout seconds."""
    client.setblocking(True)
    client.settimeout(max(0.1, timeout))
    try:
        return client.recv(1) == b""
    except ConnectionResetError:
        return True
    except (socket.timeout, BlockingIOError):
        return False


def full_disk(size=512):
    """For preexec_fn: the child's files take only their first size bytes; each write past them fails as on a
    full disk (EFBIG for ENOSPC: the file size limit, its signal ignored)."""
    def limit():
        signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
        resource.setrlimit(resource.RLIMIT_FSIZE, (size, resource.getrlimit(resource.RLIMIT_FSIZE)[1]))
    return limit


def rss_mib(pid):
    with open(f"/proc/{pid}/status") as status:
        return next((int(l.split()[1]) / 1024 for l in status if l.startswith("VmRSS:")), 0.0)


def binary_from_argv():
    if len(sys.argv) < 2:
        sys.exit(f"usage: {sys.argv[0]} PATH-TO-ILVEX [COUNT]")
    return os.path.abspath(sys.argv[1]), int(sys.argv[2]) if len(sys.argv) > 2 else None
