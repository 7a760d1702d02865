"""End-to-end scenarios of the settings window: its toggles and their effects, the language, import and the
saved order. The window reports where its controls are (ILVEX_TRACE_LAYOUT, as "settings:NAME")."""
import json, os, time

from e2e_session import fixture, names

TITLE = "^Ilvex — Settings$"


def preference(s, key):
    with open(s.config + "/Ilvex/Ilvex.conf") as f:
        for l in f:
            if l.startswith(key + "="):
                return l.strip().split("=", 1)[1]
    return None


def wait_for(check, timeout=3.0):
    deadline = time.time() + timeout
    while not check() and time.time() < deadline:
        time.sleep(0.05)
    return check()


def open_settings(s, tray=False):
    if tray:
        s.start_tray()
        s.set_preferences(showInMenuBar=True)
    s.start_quiet()
    if tray:
        s.wait_log("tray ready", timeout=10.0)
    s.run("--settings")
    window = s.wait_window(TITLE)
    s.layout("settings:restore")
    time.sleep(0.3)
    return window


def window_type(s, window):
    return s.run_tool("xprop", "-id", window, "_NET_WM_WINDOW_TYPE")


def tray_icons(s):
    """Ilvex's windows embedded in the tray host: deeper in the window tree than top-level windows."""
    tree = s.run_tool("xwininfo", "-root", "-tree").splitlines()
    return sum(1 for l in tree if '("ilvex" "Ilvex")' in l and len(l) - len(l.lstrip()) > 8)


def scenario_settings_toggles(s):
    fixture(s)
    window = open_settings(s, tray=True)
    assert "UTILITY" in window_type(s, window), "hidden from the taskbar by default: " + window_type(s, window)
    s.click("settings:hotCornerEnabled")
    assert wait_for(lambda: preference(s, "hotCornerEnabled") == "false"), "the hot corner stayed on"
    # With the corner off, pushing into it shows nothing.
    s.xdo("mousemove", 1599, 0, "sleep", "0.4")
    assert not s.xdo("search", "--onlyvisible", "--name", "^Ilvex$").split(), "the corner still fires"

    s.click("settings:hideDockIcon")
    assert wait_for(lambda: preference(s, "hideDockIcon") == "false")
    window = s.wait_window(TITLE)
    assert "NORMAL" in window_type(s, window), "not in the taskbar: " + window_type(s, window)
    assert tray_icons(s) == 1
    s.click("settings:showInMenuBar")
    assert wait_for(lambda: preference(s, "showInMenuBar") == "false")
    assert wait_for(lambda: tray_icons(s) == 0), "the tray icon stayed"
    s.click("settings:showInMenuBar")
    assert wait_for(lambda: tray_icons(s) == 1), "the tray icon did not come back"

    # German from the picker: the window is retitled at once.
    s.click("settings:language")
    s.xdo("key", "Home", "sleep", "0.1", *(["key", "Down", "sleep", "0.05"] * 5), "key", "Return")
    s.wait_window("^Ilvex — Einstellungen$")
    assert preference(s, "appLanguage") == "de"


def scenario_settings_import_bad(s):
    fixture(s)
    bad = os.path.join(s.home, "bad.json")
    with open(bad, "w") as f:
        f.write('{"not": "lists"}')
    open_settings(s)
    before = open(s.lists_path()).read()  # as the store wrote it at start
    s.click("settings:importLists")
    s.wait_window("^Import Ilvex lists$")
    time.sleep(0.4)
    s.xdo("type", "--delay", "5", bad)
    s.xdo("key", "Return")
    s.wait_window("^Import failed$")
    assert open(s.lists_path()).read() == before, "the lists file changed"


def scenario_settings_save_restore(s):
    fixture(s)
    original = names(s.read_lists()[0]["items"])
    open_settings(s)
    s.click("settings:saveOrder")
    assert wait_for(lambda: names(s.read_lists()[0]["snapshot"]) == original), "the order was not saved"
    # Reorder from the command line's point of view: an import of the same list in another order.
    lists = s.read_lists()
    lists[0]["items"] = list(reversed(lists[0]["items"]))
    reordered = os.path.join(s.home, "reordered.json")
    with open(reordered, "w") as f:
        json.dump(lists, f)
    r = s.run("--import-lists", reordered)
    assert r.returncode == 0, r.stderr
    assert names(s.read_lists()[0]["items"]) == list(reversed(original))
    time.sleep(0.3)
    s.click("settings:restore")
    assert wait_for(lambda: names(s.read_lists()[0]["items"]) == original), "restore did not bring the order back"


SCENARIOS = {name[len("scenario_"):]: fn for name, fn in globals().items() if name.startswith("scenario_")}
