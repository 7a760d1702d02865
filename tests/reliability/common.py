"""What the reliability checks share: a private HOME (tests/support/sandbox.py), the real binary, raw socket
clients, and main(), which runs a check and prints the closing line ctest reads."""
import json, os, resource, signal, socket, struct, subprocess, sys, time, uuid

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import sandbox  # noqa: E402
from sandbox import wait_until  # noqa: E402,F401  (for the checks)

counts = {"passed": 0, "failed": 0}


def check(what, ok, detail=""):
    counts["passed" if ok else "failed"] += 1
    if not ok:
        print(f"FAIL: {what} {detail}".rstrip(), file=sys.stderr)
    return ok


def main(body, *expected, count=None):
    """Runs body(box, count) (COUNT from the command line, else the default); prints the figures it returns."""
    if len(sys.argv) < 2:
        sys.exit(f"usage: {sys.argv[0]} PATH-TO-ILVEX [COUNT]")
    box = Sandbox(os.path.abspath(sys.argv[1]))
    box.expect(*expected)
    try:
        figures = body(box, int(sys.argv[2]) if len(sys.argv) > 2 else count)
    finally:
        box.close()
    if figures:
        print(figures)
    print(f"{counts['passed']} passed, {counts['failed']} failed")
    sys.exit(1 if counts["failed"] else 0)


class Sandbox(sandbox.Sandbox):
    def __init__(self, binary):
        super().__init__(binary)
        self.env["QT_QPA_PLATFORM"] = "offscreen"
        self.socket = self.runtime + "/ilvex.socket"
        self.instances = []

    def close(self):
        """Ends what still runs; the check fails on a warning in anything the binary printed."""
        for process in self.instances:
            if process.poll() is None:
                process.kill()
                process.wait()
        unexpected = self.unexpected_warnings()
        check("no unexpected warning in the program's output", not unexpected, "\n".join(unexpected))
        self.remove()

    def spawn(self, *args, stdin=None, prefix=(), preexec_fn=None):
        output = self.log_file()
        process = subprocess.Popen([*prefix, self.binary, *args], env=self.env, stdin=stdin, stdout=output,
                                   stderr=subprocess.STDOUT, preexec_fn=preexec_fn)
        process.log = output.name
        return process

    def start_instance(self, prefix=(), preexec_fn=None, listen=True):
        self.instances.append(self.spawn(prefix=prefix, preexec_fn=preexec_fn))
        if listen:
            check(f"the instance listens on {self.socket}", self.wait_listening())
        return self.instances[-1]

    def wait_listening(self, timeout=10.0):
        def answers():
            with socket.socket(socket.AF_UNIX) as probe:
                return probe.connect_ex(self.socket) == 0
        return wait_until(answers, timeout, 0.02)

    def quit(self, process, timeout=10):
        self.run("--quit")
        try:
            process.wait(timeout)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()

    def import_lists(self, *names, options=(), **run):
        return self.run("--import-lists", "-", *options, input=document(*names), **run)

    def list_names(self):
        """The list names in the lists file; None when it is missing or unreadable."""
        try:
            with open(self.lists, "rb") as file:
                return [entry["name"] for entry in json.load(file)]
        except (OSError, ValueError, KeyError, TypeError):
            return None

    def exported(self):
        result = self.run("--export-lists", "-")
        return [entry["name"] for entry in json.loads(result.stdout)] if result.returncode == 0 else None

    def temporaries(self):
        """What a save interrupted by a kill leaves: .lists.json.ilvex-unfinished-XXXXXX."""
        names = os.listdir(self.support) if os.path.isdir(self.support) else []
        return [n for n in names if n.startswith(".lists.json.ilvex-unfinished-")]


def printed(process):
    with open(process.log, errors="replace") as f:
        return f.read()


def document(*names):
    """An export document with one list per name, each holding one link."""
    return json.dumps([{"id": str(uuid.uuid4()).upper(), "name": name, "theme": "teal",
                        "items": [{"id": str(uuid.uuid4()).upper(), "name": "Item", "bundleIdentifier": "",
                                   "appPath": "example.com", "isURL": True}]} for name in names]).encode()


def announce(path, length, body, seconds=3.0):
    """A raw client announcing a message of length bytes; sends what of body the other end takes in seconds."""
    client = socket.socket(socket.AF_UNIX)
    client.connect(path)
    client.setblocking(False)
    data, sent, deadline = struct.pack(">I", length) + body, 0, time.monotonic() + seconds
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
