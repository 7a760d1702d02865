#!/usr/bin/env python3
"""End-to-end checks of the real ilvex binary under a virtual X server.

Each scenario gets its own Xvfb (with picom as compositor), a sandboxed HOME/XDG tree holding a
lists.json fixture and desktop entries whose Exec writes a marker file, and drives the launcher with
real pointer and keyboard input from xdotool. Exit 77 (reported as skipped by ctest) when no X server
can be started.
"""
import os, subprocess, sys, time

import keys_scenarios
import manage_scenarios
import settings_scenarios

from e2e_session import (SKIP, SCREEN_W, TRAY_ICON, Session, arc, fixture, group_fixture, line, moves,
                         names, wait_until)


# --- scenarios --------------------------------------------------------------------------------------
def scenario_panel(s):
    fixture(s)
    s.start_app()
    g = s.geometry(s.window)
    assert (int(g["Width"]), int(g["Height"])) == (1067, 1067), "panel is %sx%s" % (g["Width"], g["Height"])
    # A second start hands its request over and exits (centring and --toggle: desktop_scenarios.py).
    assert s.run("--hide").returncode == 0
    assert s.wait_hidden(s.window, timeout=6.0), "--hide did not hide the launcher"  # the machine may be loaded


def scenario_drag_margin(s):
    fixture(s)
    s.start_app()
    x, y = s.origin(s.window)
    # Far outside the ring, in small steps as a hand moves: the window follows the pointer.
    s.drag(line((x + 60, y + 60), (x + 140, y + 100), 40), hold=0.1)
    time.sleep(0.4)
    assert s.is_viewable(s.window), "dragging the panel by its margin dismissed the launcher"
    moved = tuple(a - b for a, b in zip(s.origin(s.window), (x, y)))
    assert abs(moved[0] - 80) <= 2 and abs(moved[1] - 40) <= 2, "the panel moved by %s" % (moved,)


def scenario_move_to_list(s):
    fixture(s)
    s.start_app()
    s.xdo("mousemove", *s.ring_point(1, 5), "click", "3", "sleep", "0.5")
    s.xdo("key", "Down", "Down", "Right", "sleep", "0.3", "key", "Return")  # Open, Move to ▸ Other
    lists = s.wait_lists(lambda l: "Beta" in names(l[1]["items"]))
    assert "Beta" not in names(lists[0]["items"]) and "Beta" in names(lists[1]["items"]), \
        "Move to did not move Beta: %s / %s" % (names(lists[0]["items"]), names(lists[1]["items"]))


def scenario_double_click(s):
    # The group sits at 1 o'clock; with six members m0..m5 the second click would land on m2, with two
    # on the empty space between m0 (9 o'clock) and m1 (3 o'clock), closing the group again.
    for members in (6, 2):
        group_fixture(s, members)
        s.start_app()
        s.xdo("mousemove", *s.ring_point(1, 3), "click", "--repeat", "2", "--delay", "90", "1")
        time.sleep(0.6)
        assert s.is_viewable(s.window), "a double click on a group of %d hid the launcher" % members
        assert s.launched() == [], "a double click on a group of %d launched %s" % (members, s.launched())
        s.xdo("mousemove", *s.ring_point(0, members), "click", "1")
        assert s.marker_time("m0") is not None, "the group of %d did not stay open" % members
        s.close_app()
    # On an entry: one launch, and after showing again a click launches as before.
    fixture(s)
    s.start_app()
    s.xdo("mousemove", *s.ring_point(0, 5), "click", "--repeat", "2", "--delay", "94", "1")
    assert s.wait_hidden(s.window), "the launcher did not hide after the double click"
    time.sleep(0.8)
    assert len(s.marker_times("alpha")) == 1, "Alpha launched %d times" % len(s.marker_times("alpha"))
    s.show_again()
    s.xdo("mousemove", *s.ring_point(1, 5), "click", "1")
    assert s.marker_time("beta") is not None, "no launch after showing the launcher again"


def scenario_escape_in_drag(s):
    # Escape and a right click in the middle of a drag neither hide the launcher nor end the drag: the
    # drag goes on and stores its order.
    fixture(s)
    s.start_app()
    start = s.ring_point(0, 5)
    s.xdo("mousemove", *start, "mousedown", "1", *moves(line(start, s.ring_point(0, 5, extra=100), 5)[1:], 0.012))
    for step in (("key", "Escape"), ("click", "3"), ("key", "Escape")):
        s.xdo(*step)
    time.sleep(0.3)
    assert s.is_viewable(s.window), "Escape or a right click during a drag hid the launcher"
    s.xdo(*moves(arc(s, 0, 2, 5, 100)[1:], 0.012), "sleep", "0.45", "mouseup", "1", "sleep", "0.3")
    assert s.is_viewable(s.window), "the launcher hid at the end of the drag"
    order = names(s.read_lists()[0]["items"])
    assert order == ["Beta", "Gamma", "Alpha", "Delta", "Box"], "order after the drag: %s" % order
    s.xdo("key", "Escape")
    assert s.wait_hidden(s.window), "Escape after the drag did not hide the launcher"


def scenario_fast_merge(s):
    # Alpha carried onto Beta, then a rest, with both cores kept busy: slowly along the ring (~50 px/s), at
    # hand speed (~250 px/s) and thrown (the first motion already 40 % of the way). Every one merges; a
    # cancelled prompt keeps the default name, the last one is named. A drag at hand speed that passes
    # Beta and is let go without a rest reorders.
    fixture(s)
    s.start_app()
    saved = os.path.join(s.tmp, "lists-export.json")
    assert s.run("--export-lists", saved).returncode == 0
    a, b = s.ring_point(0, 5), s.ring_point(1, 5)
    slow, hand, throw = moves(arc(s, 0, 1, 5, 0, 112)[1:], 0.04), moves(arc(s, 0, 1, 5, 0, 56)[1:], 0.016), \
        moves(line(a, b, 5)[2:])
    approaches = (("slow", slow, 0.8), ("slow", slow, 0.3), ("hand-speed", hand, 0.3), ("hand-speed", hand, 0.6),
                  ("thrown", throw, 0.13), ("thrown", throw, 0.2), ("thrown", throw, 0.3), ("thrown", throw, 0.45),
                  ("hand-speed", hand, 0.4))
    busy = [subprocess.Popen([sys.executable, "-c", "while True: pass"]) for _ in range(2)]
    try:
        for attempt, (how, path, hold) in enumerate(approaches):
            last = attempt == len(approaches) - 1
            s.xdo("mousemove", *a, "mousedown", "1", "sleep", "0.03", *path, "sleep", hold, "mouseup", "1")
            what = "%s drag %d with a %.2f s rest did not merge" % (how, attempt + 1, hold)
            prompt = wait_until(lambda: s.visible("Name the new group"), 3, 0.05)
            assert prompt, what
            s.xdo("windowactivate", "--sync", prompt[0])
            if last:
                s.xdo("key", "ctrl+a", "type", "Tools")  # "type" takes every word after it
            s.xdo("key", "Return" if last else "Escape", "sleep", "0.3")
            items = s.read_lists()[0]["items"]
            groups = [i for i in items if i.get("isSubList") and i["name"] == ("Tools" if last else "Group")]
            assert groups and sorted(names(groups[0]["subItems"])) == ["Alpha", "Beta"], "%s: %s" % (what, names(items))
            assert s.run("--import-lists", saved).returncode == 0
            # The next drag starts on the restored ring: an import landing during it would end it.
            restored = s.wait_lists(lambda l: names(l[0]["items"])[:2] == ["Alpha", "Beta"])
            assert names(restored[0]["items"])[:2] == ["Alpha", "Beta"], "lists not restored"
            time.sleep(0.8)  # and the icons have glided back: a press hits the icon drawn under it
        past = moves(arc(s, 0, 1.45, 5, 0, 72)[1:], 0.016)
        s.xdo("mousemove", *a, "mousedown", "1", "sleep", "0.03", *past, "sleep", "0.1", "mouseup", "1", "sleep", "0.4")
        order = names(s.read_lists()[0]["items"])
        assert order == ["Beta", "Alpha", "Gamma", "Delta", "Box"], "passing Beta at hand speed: %s" % order
    finally:
        for p in busy:
            p.kill()


def scenario_show_while_fading(s):
    fixture(s)
    s.start_app()
    # Rapid requests: the last one decides (one --show during the fade-out: desktop_scenarios.py).
    for requests, shown in (("hide show toggle toggle hide show hide show", True), ("show hide show toggle", False)):
        for request in requests.split():
            assert s.run("--" + request).returncode == 0
        assert (s.wait_settled if shown else s.wait_hidden)(s.window), "after %s the launcher is wrong" % requests
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
        press = sum((["key", k] for k in locks), ["sleep", "0"])  # pressed again afterwards: off
        s.xdo(*press)
        leds = s.run_tool("xset", "q")
        on = [k for k, text in (("Caps_Lock", "Caps Lock:   on"), ("Num_Lock", "Num Lock:    on")) if text in leds]
        assert sorted(on) == sorted(locks), "lock keys on: %s, wanted %s" % (on, locks)
        toggle_by_key(s, "+".join(locks) or "no lock key")
        s.xdo(*press)
    # The keyboard mapping changes: Z moves to another key code, and the hotkey follows it.
    s.run_tool("xmodmap", "-e", "keycode 52 = y", "-e", "keycode 29 = z")
    time.sleep(0.3)
    toggle_by_key(s, "Z on a new key code")
    assert "RegisterEventHotKey failed" not in s.log(), s.log()


def scenario_hotkey_no_latin(s):
    # A layout without Latin letters, started as the server's own: Alt+Z is the key in Z's place (Я).
    subprocess.run(["setxkbmap", "ru"], env=s.env, check=True)
    fixture(s)
    s.start_quiet()
    s.xdo("key", "alt+Cyrillic_ya")
    window = s.wait_window("^Ilvex$", timeout=3.0)
    assert s.wait_settled(window), "Alt+Я did not show the launcher on ru"
    assert "no group of the keyboard layout types z" in s.log() and "failed" not in s.log(), s.log()


def scenario_hotkey_taken(s):
    holder = subprocess.Popen([os.environ["ILVEX_E2E_HOLD_KEY"]], env=s.env, stdout=subprocess.PIPE, text=True)
    s.procs.append(holder)
    assert holder.stdout.readline().strip() == "held", "the other client could not grab Alt+Z"
    fixture(s)
    s.start_quiet()
    line = s.wait_log("RegisterEventHotKey failed")
    assert line.strip() == "[Ilvex] RegisterEventHotKey failed: 10 — Alt+Z may be in use by another app", line
    s.xdo("key", "alt+z", "sleep", "0.5")
    assert not s.visible("^Ilvex$"), "Alt+Z showed the launcher"
    s.xdo("mousemove", SCREEN_W - 1, 0)  # the corner still works
    assert s.wait_settled(s.wait_window("^Ilvex$", timeout=3.0)), "the corner did not show the launcher"


def scenario_hot_corner(s):
    fixture(s)
    s.start_quiet()
    s.xdo("mousemove", SCREEN_W - 1, 0)
    window = s.wait_window("^Ilvex$", timeout=3.0)
    # Where it shows: desktop_scenarios.py; once per entry, resting included: tests/shell/PresenceTest.cpp.
    assert s.wait_settled(window)
    # Out for a moment and back in: the corner fires once more and hides the launcher.
    s.xdo("mousemove", SCREEN_W - 200, 300, "sleep", "0.2", "mousemove", SCREEN_W - 1, 0)
    assert s.wait_hidden(window), "entering the corner again did not hide the launcher"
    # Switched off while Ilvex runs (the preferences file changes), the corner does nothing.
    s.xdo("mousemove", 800, 600)
    s.set_preferences(hotCornerEnabled=False)
    s.xdo("sleep", "0.5", "mousemove", SCREEN_W - 1, 0, "sleep", "0.6")
    assert not s.visible("^Ilvex$"), "the corner fired while switched off"


def scenario_tray(s):
    fixture(s)
    s.start_tray()
    s.set_preferences(showInMenuBar=True)
    s.start_quiet()
    s.wait_log("tray ready", timeout=10.0)
    # The menu opens on a right click; after it closes a left click toggles (plain toggling: desktop_scenarios.py).
    s.xdo("sleep", "0.3", "mousemove", *TRAY_ICON, "click", "3", "sleep", "0.5", "key", "Escape", "sleep", "0.3",
          "click", "1")
    window = s.wait_window("^Ilvex$", timeout=3.0)
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
    s.start_quiet()
    assert wait_until(lambda: os.path.exists(entry), 3), "no autostart entry after a start with openAtLogin"
    # From a build tree the entry starts the `ilvex` front beside the running program, by its path.
    front = os.path.join(os.path.dirname(os.path.realpath("/proc/%d/exe" % s.app.pid)), "ilvex")
    expected = 'Exec="%s"\nTryExec=%s\n' % (front, front)
    text = open(entry).read()
    assert expected in text, text  # the entry's format is validated in tests/shell/PresenceTest.cpp
    # An entry left by another checkout is repaired at the next start.
    s.close_app()
    with open(entry, "w") as f:
        f.write("[Desktop Entry]\nType=Application\nName=Ilvex\nExec=/old/build/src/ilvex-app\n")
    s.start_quiet()
    assert wait_until(lambda: expected in open(entry).read(), 3), open(entry).read()
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
