#!/usr/bin/env python3
"""desktop_scenarios.py BINARY DESKTOP: the launcher under a window manager and its panel (desktops.py), met
as a person would: summons after a fresh start, placements, outside clicks, typing, prompts, dialogs and the
settings window. Exit 77 when the desktop cannot run here."""

import os, subprocess, sys, time

from desktops import DESKTOPS
from e2e_session import SCREEN_H, SCREEN_W, SKIP, Session, attempt, fixture, wait_until

OUTER_RADIUS = 247.5  # five entries and two lists
ROUNDS = 2


def assert_shown(s, what):
    window = s.shown(what, timeout=8.0)  # a fresh instance on a busy machine
    order = s.top_level_windows()
    assert order[-1] == int(window), "%s: the launcher is not above every other window (%s, %s)" % (
        what, hex(int(window)), [hex(w) for w in order[-3:]])
    return window


def assert_centred(s, window, what):
    cx, cy = s.centre(window)
    assert abs(cx - SCREEN_W / 2) <= 2 and abs(cy - SCREEN_H / 2) <= 2, "%s: centred at %.1f,%.1f" % (what, cx, cy)


def fresh(s, tray=False):
    s.close_app()
    s.xdo("mousemove", SCREEN_W // 2, SCREEN_H // 2)  # not in the hot corner
    fixture(s)
    s.set_preferences(showInMenuBar=tray)
    s.start_quiet(tray=tray)
    if tray:
        time.sleep(0.5)  # the panel lays out its new icon (under the StatusNotifier protocol, out of sight)


def summoned(s):
    """A fresh start, the pointer away from the corner, Alt+Z: the launcher shown."""
    fresh(s)
    s.xdo("mousemove", 700, 500, "key", "alt+z")
    return assert_shown(s, "Alt+Z")


def summon(s, desktop, how):
    if how == "toggle":
        assert s.run("--toggle").returncode == 0
    else:
        s.xdo(*(["key", "alt+z"] if how == "hotkey" else ["mousemove", *desktop.tray_icon, "click", "1"]))


def keys_to(s):
    """The title of the window Qt hands the keys to now (under i3 the ring keeps the input focus)."""
    lines = [l for l in s.log().splitlines() if l.startswith("[Ilvex] keys to ")]
    return lines[-1][len("[Ilvex] keys to "):] if lines else None


def has_keys(s, window, what):
    title = s.xdo("getwindowname", window).strip()
    assert wait_until(lambda: keys_to(s) == title, 3), "%s has no keys: they go to %r" % (what, keys_to(s))
    assert s.stays(lambda: keys_to(s) == title, 0.3), "%s lost the keys to %r" % (what, keys_to(s))


def above_with_keys(s, other, window, what):
    assert wait_until(lambda: s.is_above(other, window), 2), "%s %s is under the ring %s: %s" % (
        what, hex(int(other)), hex(int(window)), [hex(w) for w in s.top_level_windows()])
    has_keys(s, other, what)


def back_to_ring(s, window, what, *keys):
    assert s.is_viewable(window), "%s dismissed the launcher" % what
    has_keys(s, window, "the launcher after " + what)
    s.xdo("key", *keys)
    s.hides(window, "after %s %s" % (what, " ".join(keys)))


def scenario_first_summon(s, desktop):
    """Shown on the first summon, centred on the screen, keys at once; hidden by the same way again."""
    for how in ("hotkey", "toggle", "tray"):
        fresh(s, tray=how == "tray")
        s.xdo("mousemove", 700, 500)
        summon(s, desktop, how)
        window = assert_shown(s, "first summon by " + how)
        assert_centred(s, window, "summoned by " + how)
        summon(s, desktop, how)
        s.hides(window, "a second summon by " + how)
        summon(s, desktop, how)
        assert_shown(s, "summon by %s after hiding" % how)
        s.xdo("key", "Escape")
        s.hides(window, "Escape right after a summon by " + how)


def scenario_hot_corner(s, desktop):
    """Tucked into the corner: the ring touches the screen's right edge and the panel's lower edge."""
    fresh(s)
    for _ in range(ROUNDS):
        s.xdo("mousemove", SCREEN_W // 2, SCREEN_H // 2, "sleep", "0.2", "mousemove", SCREEN_W - 1, 0)
        window = assert_shown(s, "the hot corner")
        cx, cy = s.centre(window)
        right, top = cx + OUTER_RADIUS, cy - OUTER_RADIUS
        assert abs(right - SCREEN_W) <= 2 and abs(top - desktop.panel_height) <= 2, \
            "the ring's right edge is at %.1f, its top at %.1f (panel %d high)" % (right, top, desktop.panel_height)
        s.xdo("key", "Escape")
        s.hides(window, "Escape")


def scenario_click_outside(s, desktop):
    """A press on the bare desktop, on a window that never takes the focus, and on the panel dismisses."""
    fresh(s)
    clock = s.spawn("xclock", "-geometry", "150x150+20+%d" % (SCREEN_H - 300))
    assert wait_until(lambda: s.visible("^xclock$"), 5), "xclock did not show"
    # Under a tiling manager xclock fills the screen: the desktop itself is not to be had.
    tiled = int(s.geometry(s.visible("^xclock$")[0])["Width"]) > 400
    for what, point in [("the desktop", (60, SCREEN_H - 60))] * (not tiled) + [
            ("the panel", desktop.panel_space), ("xclock", (95, SCREEN_H - 225))]:
        for attempt in range(ROUNDS):
            s.xdo("mousemove", 700, 500)
            assert s.run("--show").returncode == 0
            window = assert_shown(s, "showing for a click on %s" % what)
            s.xdo("mousemove", *point, "sleep", "0.1", "click", "1")
            s.hides(window, "a click on %s (%d)" % (what, attempt + 1))
    clock.terminate()


def scenario_type_right_after_hotkey(s, desktop):
    """Typed with no pause after Alt+Z, a name finds its entry and Enter opens it."""
    for attempt in range(ROUNDS):
        fresh(s)
        s.xdo("mousemove", 700, 500, "key", "alt+z", "type", "gam")
        s.xdo("key", "Return")
        assert s.marker_time("gamma", timeout=4.0) is not None, \
            "typing right after Alt+Z (%d) launched %s" % (attempt + 1, s.launched())


def scenario_show_right_after_hide(s, desktop):
    """Shown again while it fades out, the launcher has the keys at once, every time; of rapid requests (each a
    start that hands it over and exits) the last one decides."""
    window = summoned(s)
    for attempt in range(6):
        s.xdo("key", "Escape")
        assert s.run("--show").returncode == 0
        assert_shown(s, "shown again right after hiding (%d)" % (attempt + 1))
        assert s.focused(window), "shown again right after hiding (%d), the launcher has no focus" % (attempt + 1)
    for requests in ("show hide show toggle", "hide show toggle toggle hide show hide show"):
        for request in requests.split():
            assert s.run("--" + request).returncode == 0
        hidden = requests.endswith("toggle")
        assert (s.wait_hidden if hidden else s.wait_settled)(window, 6.0), "after %s the launcher is wrong" % requests
        assert s.stays(lambda: s.is_viewable(window) != hidden, 0.3), "after %s it changed again" % requests
    assert s.focused(window), "shown by the last of rapid requests, the launcher has no focus"
    s.xdo("type", "gam")
    s.xdo("key", "Return")
    assert s.marker_time("gamma", timeout=4.0) is not None, "typing after showing again launched nothing"


def scenario_prompt_above(s, desktop):
    """The rename prompt opens above the ring, takes the keys itself, and the ring has them again after."""
    window = summoned(s)
    s.menu("row:Other", "Down", "Return")
    above_with_keys(s, s.wait_window("Rename list", timeout=4), window, "the prompt")
    s.xdo("key", "ctrl+a", "type", "  Work  ")  # stored without the spaces
    s.xdo("key", "Return")
    s.wait_lists(lambda l: l[1]["name"] == "Work", "the prompt did not take the keys")
    back_to_ring(s, window, "the prompt", "Escape")


def scenario_file_dialog(s, desktop):
    """The manage panel's folder picker opens above the ring; cancelled, the launcher is as it was."""
    window = summoned(s)
    s.click("manageButton")
    before = s.app_windows()
    s.click("tileFolder")
    dialog = s.new_window(before)
    above_with_keys(s, dialog, window, "the file dialog")
    s.xdo("key", "Escape")
    assert wait_until(lambda: dialog not in s.app_windows(), 3), "Escape did not reach the file dialog"
    back_to_ring(s, window, "the file dialog", "Escape", "Escape")  # the panel, then the launcher


def scenario_settings_window(s, desktop):
    """The settings window is a managed window of its own: shown, given the focus, closed by Escape."""
    fresh(s)
    assert s.run("--settings").returncode == 0
    settings = s.wait_window("Settings|Ilvex", timeout=5)
    if desktop.name != "none":
        assert wait_until(lambda: s.xdo("getactivewindow").strip() == settings, 3), \
            "the window manager did not activate the settings window"
    geometry = s.geometry(settings)
    assert int(geometry["Width"]) > 200 and int(geometry["Height"]) > 200, geometry


def scenario_xwayland(s, desktop):
    """Through Xwayland: the ring is drawn and centred, and --toggle hides it, with no opacity warnings."""
    fixture(s)
    s.start_app()
    assert_centred(s, s.window, "through Xwayland")
    picture = os.path.join(s.tmp, "ring.png")
    s.run_tool("import", "-window", s.window, picture)
    # Half way out along the ring the disc is drawn, not the clear margin.
    pixel = s.run_tool("convert", picture, "-format", "%[pixel:p{533,300}]", "info:").replace(" ", "")
    assert pixel and "(0,0,0" not in pixel and "none" not in pixel, "no ring drawn: %s" % pixel
    assert s.run("--toggle").returncode == 0
    s.hides(s.window, "--toggle")
    s.close_app()


def scenario_native_wayland(s, desktop):
    """As a Wayland client: requests show and hide it, it says what it cannot do, and it never fades."""
    del s.env["DISPLAY"]
    s.app = subprocess.Popen([s.binary, "--wayland", "--show"], env=s.env, stdout=s.log_file(), stderr=subprocess.STDOUT)
    s.wait_log("first frame", timeout=15)
    for request, frames in (("hide", 0), ("show", 2), ("toggle", 0), ("toggle", 3)):
        assert s.run("--" + request).returncode == 0, request
        if frames:
            s.wait_log("first frame", count=frames)
        else:
            time.sleep(0.3)  # a hidden Wayland window cannot be seen from outside; it has hidden by then
    s.wait_log("Wayland: the compositor places the launcher")


def main():
    binary, name = sys.argv[1], sys.argv[2]
    desktop = DESKTOPS[name]
    if desktop.missing():
        print("SKIPPED: %s is not installed (%s)" % (name, ", ".join(desktop.missing())))
        return SKIP
    s = Session(binary)
    try:
        if not desktop.start_display(s):
            print("SKIPPED: no display server could be started")
            return SKIP
        if not attempt(s, "starting " + name, lambda: desktop.start(s)):
            return 1
        scenarios = [(n, fn) for n, fn in globals().items() if n.startswith("scenario_")
                     and (n in ("scenario_xwayland", "scenario_native_wayland")) == desktop.wayland]
        failed = sum(not attempt(s, "%s under %s" % (n[len("scenario_"):], name), lambda: fn(s, desktop))
                     for n, fn in scenarios)
    finally:
        s.close()
    print("%d passed, %d failed" % (len(scenarios) - failed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
