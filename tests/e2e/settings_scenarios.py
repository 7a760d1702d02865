"""What the settings window's toggles do to the real windows and the tray; the window reports where its
controls are (ILVEX_TRACE_LAYOUT, as "settings:NAME"). The rest, the language included, is checked
in-process (tests/shell/SettingsTest.cpp)."""
from e2e_session import wait_until

TITLE = "^Ilvex — Settings$"


def window_type(s, window):
    return s.run_tool("xprop", "-id", window, "_NET_WM_WINDOW_TYPE")


def tray_icons(s):
    """Ilvex's windows embedded in the tray host: deeper in the window tree than top-level windows."""
    tree = s.run_tool("xwininfo", "-root", "-tree").splitlines()
    return sum(1 for l in tree if '("ilvex" "Ilvex")' in l and len(l) - len(l.lstrip()) > 8)


def scenario_settings_toggles(s):
    s.start_tray()
    s.set_preferences(showInMenuBar=True)
    s.start_quiet(tray=True)
    s.run("--settings")
    window = s.wait_window(TITLE)
    assert "UTILITY" in window_type(s, window), "hidden from the taskbar by default: " + window_type(s, window)
    s.click("settings:hideDockIcon")
    assert wait_until(lambda: s.preference("hideDockIcon") == "false", 3)
    window = s.wait_window(TITLE)
    assert "NORMAL" in window_type(s, window), "not in the taskbar: " + window_type(s, window)
    assert tray_icons(s) == 1
    s.click("settings:showInMenuBar")
    assert wait_until(lambda: tray_icons(s) == 0, 3), "the tray icon stayed"
    s.click("settings:showInMenuBar")
    assert wait_until(lambda: tray_icons(s) == 1, 3), "the tray icon did not come back"
