#!/usr/bin/env python3
"""End-to-end checks of the real ilvex binary under a virtual X server.

Each scenario gets its own Xvfb (with picom as compositor), a sandboxed HOME/XDG tree holding a
lists.json fixture and desktop entries whose Exec writes a marker file, and drives the launcher with
real pointer and keyboard input from xdotool. Exit 77 (reported as skipped by ctest) when no X server
can be started.
"""
import os, shutil, subprocess, sys, time

import keys_scenarios
import manage_scenarios
import settings_scenarios

from e2e_session import SKIP, SCREEN_H, SCREEN_W, TRAY_ICON, Session, arc, fixture, flick, group_fixture, line, names


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
    # Quick flicks with short and long holds all merge. The prompt cancelled keeps the default name;
    # the last one is named.
    fixture(s)
    s.start_app()
    saved = os.path.join(s.tmp, "lists-export.json")
    assert s.run("--export-lists", saved).returncode == 0
    holds = (0.13, 0.2, 0.3, 0.45, 0.16)
    for attempt, hold in enumerate(holds):
        last = attempt == len(holds) - 1
        flick(s, s.ring_point(0, 5), s.ring_point(1, 5), hold)
        try:
            prompt = s.wait_window("Name the new group", timeout=3)
        except AssertionError:
            raise AssertionError("flick %d with a %.2f s hold did not merge: %s" % (
                attempt + 1, hold, names(s.read_lists()[0]["items"])))
        s.xdo("windowactivate", "--sync", prompt)
        if last:
            s.xdo("key", "ctrl+a", "type", "Tools")  # "type" takes every word after it
        s.xdo("key", "Return" if last else "Escape")
        time.sleep(0.3)
        items = s.read_lists()[0]["items"]
        groups = [i for i in items if i.get("isSubList") and i["name"] == ("Tools" if last else "Group")]
        assert groups and sorted(names(groups[0]["subItems"])) == ["Alpha", "Beta"], \
            "flick %d with a %.2f s hold did not merge: %s" % (attempt + 1, hold, names(items))
        if not last:
            assert s.run("--import-lists", saved).returncode == 0
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


def toggle_by_key(s, what):
    s.xdo("key", "alt+z")
    window = s.wait_window("^Ilvex$", timeout=3.0)
    assert s.wait_settled(window), "Alt+Z (%s) did not show the launcher" % what
    s.xdo("key", "alt+z")
    assert s.wait_hidden(window), "Alt+Z again (%s) did not hide the launcher" % what


def scenario_hotkey(s):
    fixture(s)
    s.start_quiet()
    for locks in ((), ("Num_Lock",), ("Caps_Lock",), ("Num_Lock", "Caps_Lock")):
        s.lock_keys(*locks)
        on = [k for k, v in s.led_states().items() if v]
        assert sorted(on) == sorted(locks), "lock keys on: %s, wanted %s" % (on, locks)
        toggle_by_key(s, "+".join(locks) or "no lock key")
        s.lock_keys(*locks)
    # The keyboard mapping changes: Z moves to another key code, and the hotkey follows it.
    subprocess.run(["xmodmap", "-e", "keycode 52 = y", "-e", "keycode 29 = z"], env=s.env, check=True)
    time.sleep(0.3)
    toggle_by_key(s, "Z on a new key code")
    assert "RegisterEventHotKey failed" not in s.log(), s.log()


def scenario_hotkey_taken(s):
    holder = subprocess.Popen([os.environ["ILVEX_E2E_HOLD_KEY"]], env=s.env, stdout=subprocess.PIPE, text=True)
    s.procs.append(holder)
    assert holder.stdout.readline().strip() == "held", "the other client could not grab Alt+Z"
    fixture(s)
    s.start_quiet()
    line = s.wait_log("RegisterEventHotKey failed")
    assert line.strip() == "[Ilvex] RegisterEventHotKey failed: 10 — Alt+Z may be in use by another app", line
    s.xdo("key", "alt+z")
    time.sleep(0.5)
    assert not s.xdo("search", "--onlyvisible", "--name", "^Ilvex$").split(), "Alt+Z showed the launcher"
    # The corner still works.
    s.xdo("mousemove", SCREEN_W - 1, 0)
    assert s.wait_settled(s.wait_window("^Ilvex$", timeout=3.0)), "the corner did not show the launcher"


def scenario_hot_corner(s):
    fixture(s)
    s.start_quiet()
    s.xdo("mousemove", SCREEN_W - 1, 0)
    window = s.wait_window("^Ilvex$", timeout=3.0)
    assert s.wait_settled(window)
    g = s.geometry(window)
    side = int(g["Width"])
    ring_right = int(g["Absolute upper-left X"]) + side / 2 + 247.5  # 5 entries: outer radius 247.5
    assert abs(ring_right - SCREEN_W) <= 2, "the ring's right edge is at %.1f" % ring_right
    # Resting in the corner and moving inside it fire nothing more.
    s.xdo("sleep", "0.3", "mousemove", SCREEN_W - 3, 2, "sleep", "0.3")
    assert s.is_viewable(window) and s.opacity(window) > 0.999, "resting in the corner hid the launcher"
    # Out for a moment and back in: the corner fires once more and hides the launcher.
    s.xdo("mousemove", SCREEN_W - 200, 300, "sleep", "0.2", "mousemove", SCREEN_W - 1, 0)
    assert s.wait_hidden(window), "entering the corner again did not hide the launcher"
    s.xdo("sleep", "0.5")
    assert not s.is_viewable(window), "the corner fired twice for one entry"
    # Switched off while Ilvex runs (the preferences file changes), the corner does nothing.
    s.xdo("mousemove", 800, 600)
    s.set_preferences(hotCornerEnabled=False)
    time.sleep(0.5)
    s.xdo("mousemove", SCREEN_W - 1, 0, "sleep", "0.6")
    assert not s.xdo("search", "--onlyvisible", "--name", "^Ilvex$").split(), "the corner fired while switched off"


def scenario_tray(s):
    fixture(s)
    s.start_tray()
    s.set_preferences(showInMenuBar=True)
    s.start_quiet()
    s.wait_log("tray ready", timeout=10.0)
    time.sleep(0.3)
    s.xdo("mousemove", *TRAY_ICON, "click", "1")
    window = s.wait_window("^Ilvex$", timeout=3.0)
    assert s.wait_settled(window), "a left click on the tray icon did not show the launcher"
    s.xdo("mousemove", *TRAY_ICON, "click", "1")
    assert s.wait_hidden(window), "a second left click did not hide the launcher"
    # The menu opens on a right click; after it closes a left click toggles again.
    s.xdo("sleep", "0.3", "click", "3", "sleep", "0.5", "key", "Escape", "sleep", "0.3", "click", "1")
    assert s.wait_settled(window), "a left click after the menu did not show the launcher"
    s.xdo("key", "Escape")
    assert s.wait_hidden(window)
    # The menu's last item quits.
    s.xdo("sleep", "0.3", "click", "3", "sleep", "0.5", "key", "Up", "sleep", "0.1", "key", "Return")
    try:
        s.app.wait(5)
    except subprocess.TimeoutExpired:
        raise AssertionError("Quit in the tray menu did not end Ilvex")


def scenario_autostart(s):
    fixture(s)
    s.set_preferences(openAtLogin=True)
    entry = os.path.join(s.config, "autostart/ilvex.desktop")
    assert not os.path.exists(entry)
    s.start_quiet()
    deadline = time.time() + 3
    while not os.path.exists(entry) and time.time() < deadline:
        time.sleep(0.05)
    assert os.path.exists(entry), "no autostart entry after a start with openAtLogin"
    text = open(entry).read()
    exe = os.path.realpath("/proc/%d/exe" % s.app.pid)
    assert 'Exec="%s"' % exe in text, text
    if shutil.which("desktop-file-validate"):
        r = subprocess.run(["desktop-file-validate", entry], capture_output=True, text=True)
        assert r.returncode == 0 and not r.stdout.strip(), r.stdout
    # Started without the preference, Ilvex leaves the entry alone (switching off is the settings' job).
    s.close_app()
    s.set_preferences(openAtLogin=False)
    s.start_quiet()
    assert os.path.exists(entry)


SCENARIOS = {name[len("scenario_"):]: fn for name, fn in globals().items() if name.startswith("scenario_")}
SCENARIOS.update(manage_scenarios.SCENARIOS)
SCENARIOS.update(settings_scenarios.SCENARIOS)
SCENARIOS.update(keys_scenarios.SCENARIOS)


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
