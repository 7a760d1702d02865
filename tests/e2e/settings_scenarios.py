"""End-to-end scenarios of the settings window: what its toggles do to the real windows and the tray, and
the language. The window reports where its controls are (ILVEX_TRACE_LAYOUT, as "settings:NAME"); the saved
order, the import choices and a failed import are checked in-process (tests/shell/SettingsTest.cpp)."""
from e2e_session import fixture, wait_until

TITLE = "^Ilvex — Settings$"


def open_settings(s, tray=False):
    s.start_quiet(tray=tray)
    s.run("--settings")
    window = s.wait_window(TITLE)
    s.layout("settings:restore")
    return window


def window_type(s, window):
    return s.run_tool("xprop", "-id", window, "_NET_WM_WINDOW_TYPE")


def tray_icons(s):
    """Ilvex's windows embedded in the tray host: deeper in the window tree than top-level windows."""
    tree = s.run_tool("xwininfo", "-root", "-tree").splitlines()
    return sum(1 for l in tree if '("ilvex" "Ilvex")' in l and len(l) - len(l.lstrip()) > 8)


def scenario_settings_toggles(s):
    fixture(s)
    s.start_tray()
    s.set_preferences(showInMenuBar=True)
    window = open_settings(s, tray=True)
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
    # German from the picker: the window is retitled at once.
    s.menu("settings:language", "Home", *["Down"] * 5, "Return", button=1)
    s.wait_window("^Ilvex — Einstellungen$")
    assert s.preference("appLanguage") == "de"
