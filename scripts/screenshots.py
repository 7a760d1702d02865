#!/usr/bin/env python3
"""Renders the launcher ring with `ilvex --screenshot` for every theme, at scales 0.8, 1.0 and 1.4, with
1, 8 and 24 entries, into OUTDIR/<theme>-s<scale>-n<count>.png, to be looked at side by side.

usage: screenshots.py ILVEX_BINARY OUTDIR
       screenshots.py --live ILVEX_BINARY OUTDIR
       screenshots.py --centre ILVEX_BINARY OUTDIR [README_DIR]
With --centre the list switcher, open groups and the manage panel with each form are grabbed live in
English and Japanese (see centre_screenshots.py); README_DIR receives the README's pictures.
With --live the real launcher runs under Xvfb with picom and is grabbed from the screen: the ring of 24
mixed entries, a group being dragged, a merge about to happen, and the two name prompts.
Each picture gets a sandboxed HOME holding one list of mixed entries (applications with and without an
icon, folders, documents, a link, a group and an empty group).
"""
import json, os, subprocess, sys, tempfile, uuid

# The live pictures drive the launcher with the end-to-end tests' session helpers.
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path[:0] = [HERE, os.path.join(HERE, "..", "tests", "e2e")]

THEMES = ["blue", "purple", "green", "orange", "red", "teal"]
SCALES = ["0.8", "1.0", "1.4"]
COUNTS = [1, 8, 24]


def uid():
    return str(uuid.uuid4()).upper()


def entry(name, path, folder=False, url=False):
    return {"id": uid(), "name": name, "bundleIdentifier": "", "appPath": path, "isFolder": folder,
            "isURL": url, "isSubList": False}


def fixture_items(home, count):
    apps = os.path.join(home, ".local/share/applications")
    os.makedirs(apps, exist_ok=True)
    docs = os.path.join(home, "Documents")
    os.makedirs(docs, exist_ok=True)
    kinds = []
    for i, icon in enumerate(["utilities-terminal", "", "accessories-text-editor", "system-file-manager"]):
        path = os.path.join(apps, "shot%d.desktop" % i)
        with open(path, "w") as f:
            f.write("[Desktop Entry]\nType=Application\nName=App %d\nExec=/bin/true\n%s" %
                    (i, "Icon=%s\n" % icon if icon else ""))
        kinds.append(entry("App %d" % i, path))
    kinds.append(entry("Documents", docs, folder=True))
    note = os.path.join(docs, "notes.txt")
    with open(note, "w") as f:
        f.write("notes\n")
    kinds.append(entry("notes.txt", note))
    kinds.append(entry("Example", "example.invalid", url=True))
    group = entry("Group", "")
    group.update(isSubList=True, subItems=[entry("Inner", note), entry("Docs", docs, folder=True)],
                 folderTint="#22C55E")
    kinds.append(group)
    empty = entry("Empty", "")
    empty.update(isSubList=True, subItems=[])
    kinds.append(empty)
    items = []
    for i in range(count):
        item = dict(kinds[i % len(kinds)], id=uid())
        if i >= len(kinds):
            item["name"] = "%s %d" % (item["name"], i)
        items.append(item)
    return items


def render(binary, outdir, theme, scale, count):
    with tempfile.TemporaryDirectory(prefix="ilvex-shot-") as tmp:
        home = os.path.join(tmp, "home")
        data = os.path.join(home, ".local/share")
        config = os.path.join(home, ".config")
        runtime = os.path.join(tmp, "runtime")
        for d in (data + "/Ilvex", config + "/Ilvex", runtime):
            os.makedirs(d, exist_ok=True)
        os.chmod(runtime, 0o700)
        items = fixture_items(home, count)
        with open(os.path.join(data, "Ilvex/lists.json"), "w") as f:
            json.dump([{"id": uid(), "name": "Shots", "theme": theme, "items": items, "snapshot": []}], f)
        with open(os.path.join(config, "Ilvex/Ilvex.conf"), "w") as f:
            f.write("[General]\nlauncherScale=%s\ntrayHintShown=true\n" % scale)
        env = dict(os.environ, HOME=home, XDG_DATA_HOME=data, XDG_CONFIG_HOME=config, XDG_RUNTIME_DIR=runtime,
                   XDG_DATA_DIRS=data + ":/usr/local/share:/usr/share", QT_QPA_PLATFORM="offscreen")
        out = os.path.join(outdir, "%s-s%s-n%d.png" % (theme, scale, count))
        r = subprocess.run([binary, "--screenshot", out], env=env, capture_output=True, text=True, timeout=60)
        if r.returncode != 0 or not os.path.exists(out):
            raise SystemExit("screenshot %s failed: %s" % (out, r.stderr.strip()))
        return out


def live(binary, outdir):
    import math, time
    import e2e_session as e
    s = e.Session(binary)
    try:
        if not s.start_x():
            raise SystemExit("no X server")
        items = fixture_items(s.home, 24)
        s.write_lists([{"id": uid(), "name": "Shots", "theme": "blue", "items": items, "snapshot": []}])
        s.start_app()
        time.sleep(0.5)

        def grab(name):
            out = os.path.join(outdir, "live-%s.png" % name)
            subprocess.run(["import", "-window", "root", out], env=s.env, check=True)
            print(out)

        cx, cy = s.centre()
        count, radius = 24, 128 * 24 / (2 * math.pi)
        at = lambda i, extra=0: (round(cx + (radius + extra) * math.cos(-math.pi + 2 * math.pi * i / count)),
                                 round(cy + (radius + extra) * math.sin(-math.pi + 2 * math.pi * i / count)))
        s.xdo("mousemove", 5, 5)
        time.sleep(0.3)
        grab("ring24")
        # A group (entry 7) lifted and carried outwards.
        path = e.line(at(7), at(7, 45), 8)
        s.xdo("mousemove", *path[0], "mousedown", "1", *sum((["sleep", "0.02", "mousemove", x, y] for x, y in path[1:]), []))
        time.sleep(0.5)
        grab("drag-group")
        s.xdo("mousemove", *at(7), "sleep", "0.1", "mouseup", "1")
        time.sleep(0.6)
        # Rename through the group's menu: Open, Rename…
        s.xdo("mousemove", *at(7), "click", "3")
        time.sleep(0.5)
        s.xdo("key", "Down", "Down", "Return")
        prompt = s.wait_window("Rename group", timeout=4)
        time.sleep(0.3)
        grab("prompt-rename")
        s.xdo("windowactivate", "--sync", prompt)
        s.xdo("key", "Escape")
        time.sleep(0.5)
        # App 1 (entry 1) held on App 2: the merge is armed.
        path = e.line(at(1), at(2), 6)
        s.xdo("mousemove", *path[0], "mousedown", "1", *sum((["sleep", "0.02", "mousemove", x, y] for x, y in path[1:]), []))
        time.sleep(0.45)
        grab("merge-armed")
        s.xdo("mouseup", "1")
        s.wait_window("Name the new group", timeout=4)
        time.sleep(0.3)
        grab("prompt-new-group")
    finally:
        s.close()


def main():
    if len(sys.argv) in (4, 5) and sys.argv[1] == "--centre":
        import centre_screenshots
        os.makedirs(sys.argv[3], exist_ok=True)
        for language in ("en", "ja"):
            centre_screenshots.shoot(sys.argv[2], sys.argv[3], language, fixture_items,
                                     sys.argv[4] if len(sys.argv) == 5 else None)
        return
    if len(sys.argv) == 4 and sys.argv[1] == "--live":
        os.makedirs(sys.argv[3], exist_ok=True)
        return live(sys.argv[2], sys.argv[3])
    if len(sys.argv) != 3:
        raise SystemExit(__doc__)
    binary, outdir = sys.argv[1], sys.argv[2]
    os.makedirs(outdir, exist_ok=True)
    for theme in THEMES:
        for scale in SCALES:
            for count in COUNTS:
                print(render(binary, outdir, theme, scale, count))


if __name__ == "__main__":
    main()
