"""The list switcher and the manage panel, clicked where the launcher
reports its parts (ILVEX_TRACE_LAYOUT). The forms' rules, the list limit, row drags and the delete guard are
checked in-process (tests/panels/ManagePanelTest.cpp)."""
from e2e_session import SCREEN_W, one_list


def lists_fixture(s, count=3, filled=(0,)):
    s.write_lists([one_list("L%d" % i, [s.app_entry("app%d" % i)] if i in filled else []) for i in range(count)])


def scenario_recolour(s):
    lists_fixture(s, 3)
    s.start_app()
    # The row's menu, "Color…", then the fourth dot (orange).
    before = s.app_windows()
    s.new_window(before + [s.menu("row:L1", "Down", "Down", "Return")])
    x, y, w, h = s.layout("row:L1")
    assert s.is_viewable(s.window), "the colour popover dismissed the launcher"
    # The popover opens beside the row, its 8 px arrow touching it: 12 px margin, 22 px dots 10 apart.
    s.xdo("mousemove", x + w + 1 + 8 + 12 + 3 * 32 + 11, y + h // 2, "click", "1")
    s.wait_lists(lambda l: l[1]["theme"] == "orange", "not recoloured orange")


def click_outside(s):
    """A click on another window: with no window manager, the focus moves as one would move it."""
    root = [l.split()[3] for l in s.run_tool("xwininfo", "-root").splitlines() if "Window id:" in l][0]
    s.xdo("mousemove", SCREEN_W - 5, 5, "click", "1")
    s.xdo("windowfocus", root)


def open_manage(s):
    s.click("manageButton")
    s.layout("managePanel")


def scenario_manage_panel(s):
    lists_fixture(s, 2)
    s.start_app()
    open_manage(s)
    click_outside(s)
    assert s.stays(lambda: s.is_viewable(s.window), 0.4), "a click outside hid the launcher while the panel was open"
    s.xdo("windowfocus", s.window)  # clicking back into the launcher, as a window manager would
    # A link through its form; Enter submits.
    s.click("tileLink")
    s.layout("linkName")
    s.xdo("type", "Docs")
    s.xdo("key", "Tab")
    s.xdo("type", "example.org/docs")
    s.xdo("key", "Return")
    link = s.wait_lists(lambda l: len(l[0]["items"]) == 2)[0]["items"][-1]
    assert link["isURL"] and link["name"] == "Docs" and link["appPath"] == "example.org/docs", link
    # Escape closes the panel, not the launcher; then an outside click dismisses again.
    s.xdo("key", "Escape")
    assert s.stays(lambda: s.is_viewable(s.window), 0.6), "Escape dismissed the launcher instead of closing the panel"
    click_outside(s)
    s.hides(s.window, "after closing the panel an outside click", timeout=3)
