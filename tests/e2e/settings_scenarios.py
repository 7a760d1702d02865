"""End-to-end scenarios of the settings window: what its toggles do to the real windows and the tray, the
language, and an import through the file dialog. The window reports where its controls are
(ILVEX_TRACE_LAYOUT, as "settings:NAME"); the saved order and the import choices are checked in-process
(tests/shell/SettingsTest.cpp)."""
import os

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


def scenario_settings_import_bad(s):
    fixture(s)
    bad = os.path.join(s.home, "bad.json")
    with open(bad, "w") as f:
        f.write('{"not": "lists"}')
    open_settings(s)
    before = open(s.lists).read()  # as the store wrote it at start
    s.click("settings:importLists")
    dialog = s.wait_window("^Import Ilvex lists$")
    assert wait_until(lambda: s.xdo("getwindowfocus").strip() == dialog, 3), "the file dialog has no focus"
    s.xdo("type", "--delay", "5", bad)
    s.xdo("key", "Return")
    s.wait_window("^Import failed$")
    assert open(s.lists).read() == before, "the lists file changed"
