#!/usr/bin/env python3
"""The real binary under Xvfb (with picom), one scenario at a time in a sandboxed HOME holding fixture()'s lists
unless the scenario writes its own, driven by xdotool: run_e2e.py BINARY [SCENARIO...]. Exit 77 (skipped)
when no X server can be started."""
import ctypes, os, subprocess, sys, time

import keys_scenarios, manage_scenarios

from e2e_session import (LAUNCHER, SKIP, SCREEN_W, Session, arc, attempt, fixture, group_fixture, line,
                         moves, names, wait_until)

CORNER = (SCREEN_W - 1, 0)


def order_is(wanted):
    return lambda lists: names(lists[0]["items"]) == wanted


def scenario_drag_margin(s):
    s.start_app()
    x, y = s.origin(s.window)
    # Far outside the ring, in small steps as a hand moves: the window follows the pointer.
    path = line((x + 60, y + 60), (x + 140, y + 100), 40)
    s.xdo("mousemove", *path[0], "mousedown", "1", *moves(path[1:], 0.012), "sleep", 0.1, "mouseup", "1")
    moved = lambda: [a - b for a, b in zip(s.origin(s.window), (x, y))]
    assert wait_until(lambda: abs(moved()[0] - 80) <= 2 and abs(moved()[1] - 40) <= 2, 2), "moved by %s" % moved()
    assert s.is_viewable(s.window), "dragging the panel by its margin dismissed the launcher"


def scenario_double_click(s):
    # The group sits at 1 o'clock; with six members m0..m5 the second click would land on m2, with two
    # on the empty space between m0 (9 o'clock) and m1 (3 o'clock), closing the group again.
    for members in (6, 2):
        group_fixture(s, members)
        s.start_app()
        s.xdo("mousemove", *s.ring_point(1, 3), "click", "--repeat", "2", "--delay", "90", "1")
        assert s.stays(lambda: s.is_viewable(s.window), 0.6), "a double click on a group of %d hid the launcher" % members
        assert s.launched() == [], "a double click on a group of %d launched %s" % (members, s.launched())
        s.xdo("mousemove", *s.ring_point(0, members), "click", "1")
        assert s.marker_time("m0") is not None, "the group of %d did not stay open" % members
        s.close_app()
    # On an entry: one launch, and after showing again a click launches as before.
    fixture(s)
    s.start_app()
    s.xdo("mousemove", *s.ring_point(0, 5), "click", "--repeat", "2", "--delay", "94", "1")
    s.hides(s.window, "the double click")
    assert s.marker_time("alpha") and s.stays(lambda: len(s.marker_times("alpha")) == 1, 0.8), \
        "Alpha launched %d times" % len(s.marker_times("alpha"))
    s.show_again()
    s.xdo("mousemove", *s.ring_point(1, 5), "click", "1")
    assert s.marker_time("beta") is not None, "no launch after showing the launcher again"


def scenario_fast_merge(s):
    # Alpha carried onto Beta, then a rest, with both cores kept busy: slowly along the ring (~50 px/s), at
    # hand speed (~250 px/s) and thrown (the first motion already 40 % of the way). Every one merges; a
    # cancelled prompt keeps the default name, the last one is named. A drag at hand speed that passes
    # Beta and is let go without a rest reorders; Escape and a right click during it neither hide the launcher
    # nor end the drag.
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
            name = "Tools" if attempt == len(approaches) - 1 else "Group"
            s.xdo("mousemove", *a, "mousedown", "1", "sleep", "0.03", *path, "sleep", hold, "mouseup", "1")
            what = "%s drag %d with a %.2f s rest did not merge" % (how, attempt + 1, hold)
            prompt = wait_until(lambda: s.visible("Name the new group"), 3, 0.05)
            assert prompt, what
            s.xdo("windowactivate", "--sync", prompt[0])
            if name == "Tools":
                s.xdo("key", "ctrl+a", "type", "Tools")  # "type" takes every word after it
            s.xdo("key", "Return" if name == "Tools" else "Escape")
            s.wait_lists(lambda l: [sorted(names(i["subItems"])) for i in l[0]["items"] if i.get("isSubList")
                                    and i["name"] == name] == [["Alpha", "Beta"]], what)
            assert s.run("--import-lists", saved).returncode == 0
            # The next drag starts on the restored ring: an import landing during it would end it.
            s.wait_lists(lambda l: names(l[0]["items"])[:2] == ["Alpha", "Beta"], "lists not restored")
            # And the icons have glided back: a press hits the icon drawn under it.
            assert s.wait_still(s.window), "the ring did not come to rest"
        past = moves(arc(s, 0, 1.45, 5, 0, 72)[1:], 0.016)
        s.xdo("mousemove", *a, "mousedown", "1", "sleep", "0.03", *past, "key", "Escape", "click", "3", "key", "Escape")
        assert s.stays(lambda: s.is_viewable(s.window), 0.3), "Escape or a right click during a drag hid the launcher"
        s.xdo("mouseup", "1")
        s.wait_lists(order_is(["Beta", "Alpha", "Gamma", "Delta", "Box"]), "passing Beta at hand speed")
        s.xdo("key", "Escape")
        s.hides(s.window, "Escape after the drag")
    finally:
        for p in busy:
            p.kill()


def toggle_by_key(s, what):
    s.xdo("key", "alt+z")
    window = s.shown("Alt+Z (%s)" % what)
    s.xdo("key", "alt+z")
    s.hides(window, "Alt+Z again (%s)" % what)


def scenario_hotkey(s):
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
    time.sleep(0.3)  # Ilvex grabs the new key code on the mapping's notice, which it does not report
    toggle_by_key(s, "Z on a new key code")


def scenario_hotkey_no_latin(s):
    # A layout without Latin letters, started as the server's own: Alt+Z is the key in Z's place (Я).
    subprocess.run(["setxkbmap", "ru"], env=s.env, check=True)
    s.start_quiet()
    s.xdo("key", "alt+Cyrillic_ya")
    s.shown("Alt+Я on ru")
    s.wait_log("no group of the keyboard layout types z")


def scenario_hotkey_taken(s):
    # Another client (this one) grabs Mod1+Z on the root window; its connection lasts as long as the run.
    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype, x11.XDefaultRootWindow.restype = ctypes.c_void_p, ctypes.c_ulong
    x11.XKeysymToKeycode.restype = ctypes.c_ubyte
    display = ctypes.c_void_p(x11.XOpenDisplay(s.env["DISPLAY"].encode()))
    code = x11.XKeysymToKeycode(display, ctypes.c_ulong(ord("z")))
    x11.XGrabKey(display, code, 8, ctypes.c_ulong(x11.XDefaultRootWindow(display)), 0, 1, 1)  # Mod1, async
    x11.XSync(display, 0)
    s.expect(r"^\[Ilvex\] RegisterEventHotKey failed: 10 — Alt\+Z may be in use by another app$")
    s.start_quiet()
    s.wait_log("[Ilvex] RegisterEventHotKey failed: 10 — Alt+Z may be in use by another app")
    s.xdo("key", "alt+z")
    assert s.stays(lambda: not s.visible(LAUNCHER), 0.5), "Alt+Z showed the launcher"
    s.xdo("mousemove", *CORNER)  # the corner still works
    s.shown("the corner")


def scenario_autostart(s):
    s.set_preferences(openAtLogin=True)
    entry = os.path.join(s.config, "autostart/ilvex.desktop")
    s.start_quiet()
    assert wait_until(lambda: os.path.exists(entry), 3), "no autostart entry after a start with openAtLogin"
    # From a build tree the entry starts the `ilvex` front beside the running program, by its path (the
    # entry's format, and an entry of another checkout replaced: tests/shell/PresenceTest.cpp).
    front = os.path.join(os.path.dirname(os.path.realpath("/proc/%d/exe" % s.app.pid)), "ilvex")
    assert 'Exec="%s"\nTryExec=%s\n' % (front, front) in open(entry).read(), open(entry).read()
    # Started without the preference, Ilvex leaves the entry alone (switching off is the settings' job).
    s.close_app()
    s.set_preferences(openAtLogin=False)
    s.start_quiet()
    assert os.path.exists(entry)


SCENARIOS = {name[len("scenario_"):]: fn for module in (globals(), vars(manage_scenarios), vars(keys_scenarios))
             for name, fn in module.items() if name.startswith("scenario_")}


def main():
    binary, wanted = sys.argv[1], sys.argv[2:] or list(SCENARIOS)
    failed = 0
    for name in wanted:
        s = Session(binary)
        try:
            if not s.start_x():
                print("SKIPPED: no X server could be started (Xvfb and xdotool are needed)")
                return SKIP
            fixture(s)
            failed += not attempt(s, name, lambda: SCENARIOS[name](s))
        finally:
            s.close()
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
