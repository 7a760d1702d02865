#!/usr/bin/env python3
"""Files from outside: a FIFO or a device named as an entry's desktop file or Icon is never opened (given to
--import-lists: tests/cli); the lists file, its folder, backups, preferences and socket are private (and made so when
they were not); a temporary copy left by a kill goes at the next start; no usable runtime folder, or another
user's listener on the socket."""
import json, os, socket, stat, uuid

from common import check, main, document


def mode(path):
    return stat.S_IMODE(os.stat(path).st_mode)


def write(path, data, permissions):
    with open(path, "wb") as file:
        file.write(data)
    os.chmod(path, permissions)


def run(box, _):
    # Files made before they were private: group and other bits are taken away; the user's own stay.
    os.makedirs(box.support)
    os.chmod(box.support, 0o755)
    write(box.lists, document("Old-0"), 0o644)
    write(box.lists + ".bak", b"old backup", 0o644)
    write(box.support + "/.lists.json.ilvex-unfinished-Ab12Cd", b"[", 0o600)  # what a kill during a save leaves
    result = box.import_lists("New-0")
    check("an import exits 0", result.returncode == 0, result.stderr)
    check("the stale temporary copy is removed", box.temporaries() == [], str(box.temporaries()))
    conf = os.path.join(box.env["XDG_CONFIG_HOME"], "Ilvex", "Ilvex.conf")
    for path, wanted in ((box.lists, 0o600), (box.lists + ".bak", 0o600), (box.support, 0o700),
                         (conf, 0o600), (os.path.dirname(conf), 0o700)):
        check(f"{path} is {oct(wanted)}", os.path.exists(path) and mode(path) == wanted,
              oct(mode(path)) if os.path.exists(path) else "missing")
    check("the import is kept", box.list_names() == ["New-0"], str(box.list_names()))
    instance = box.start_instance()
    for path in (box.socket, os.path.dirname(box.socket)):
        check(f"{path} is the user's alone", mode(path) & 0o077 == 0, oct(mode(path)))
    box.quit(instance)

    # A FIFO or a device named as an entry's desktop file or as its Icon: drawing the ring never opens them.
    apps = os.path.join(box.tmp, "apps")
    os.mkdir(apps)
    os.mkfifo(apps + "/fifo.desktop")
    os.mkfifo(apps + "/icon-fifo")
    entries = [("fifo", apps + "/fifo.desktop"), ("zero", "/dev/zero")]
    for name, icon in (("icon-fifo", apps + "/icon-fifo"), ("icon-zero", "/dev/zero")):
        write(f"{apps}/{name}.desktop", f"[Desktop Entry]\nType=Application\nName={name}\nExec=true\nIcon={icon}\n"
              .encode(), 0o600)
        entries.append((name, f"{apps}/{name}.desktop"))
    special = json.dumps([{"id": str(uuid.uuid4()).upper(), "name": "Special", "items": [
        {"id": str(uuid.uuid4()).upper(), "name": n, "bundleIdentifier": "", "appPath": p} for n, p in entries]}])
    check("special entries import", box.run("--import-lists", "-", input=special.encode()).returncode == 0)
    shot = box.run("--screenshot", os.path.join(box.tmp, "ring.png"), timeout=30)
    check("the ring with special entries is drawn", shot.returncode == 0, shot.stderr)
    instance = box.start_instance()
    check("and an instance answers", box.exported() is not None)
    box.quit(instance)

    # No usable runtime folder (unset, or others may write to it): one of the user's own under the cache,
    # and the shared folder is left as it is.
    shared, own = os.path.join(box.tmp, "shared"), os.path.join(box.env["XDG_CACHE_HOME"], "Ilvex", "runtime")
    os.mkdir(shared)
    os.chmod(shared, 0o1777)
    box.socket = own + "/ilvex.socket"
    for runtime in (None, shared):
        box.env.pop("XDG_RUNTIME_DIR", None)
        box.env.update({"TMPDIR": shared, **({"XDG_RUNTIME_DIR": runtime} if runtime else {})})
        instance = box.start_instance()
        check(f"runtime {runtime}: the cache folder is private", mode(own) == 0o700, oct(mode(own)))
        check(f"runtime {runtime}: the shared folder unchanged", mode(shared) == 0o1777 and
              not os.path.exists(shared + "/ilvex.socket"), oct(mode(shared)) + str(os.listdir(shared)))
        box.quit(instance)
    if os.geteuid() == 0:  # another user's listener on the socket (root can play one): it hears nothing
        another_users_socket(box, shared)


def another_users_socket(box, shared):
    os.chmod(shared, 0o700)
    box.env["XDG_RUNTIME_DIR"] = shared
    reader, writer = os.pipe()
    if (pid := os.fork()) == 0:
        listener = socket.socket(socket.AF_UNIX)
        listener.bind(shared + "/ilvex.socket")
        os.setuid(65534)
        listener.listen()
        listener.settimeout(20)
        os.write(writer, b"ready")
        try:
            while True:
                if listener.accept()[0].recv(1):
                    os.write(writer, b"heard")
        finally:
            os._exit(0)
    os.read(reader, 5)
    for args in (("--import-lists", "-"), ()):
        result = box.run(*args, input=document("Stolen"), timeout=30)
        check(f"{args}: another user's socket refused", result.returncode == 1 and
              b"belongs to another user" in result.stderr, result.stderr)
    os.kill(pid, 9)
    os.waitpid(pid, 0)
    os.close(writer)
    check("another user's listener heard nothing", os.read(reader, 5) == b"")


main(run, r"^ilvex: .*belongs to another user")
