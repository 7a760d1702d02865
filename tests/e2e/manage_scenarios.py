"""End-to-end scenarios of the ring's centre (the list switcher, the group header) and the manage panel.

The launcher reports where its parts are (ILVEX_TRACE_LAYOUT); the scenarios click them there with
xdotool and check the lists file the store rewrote."""
import time

from e2e_session import SCREEN_W, group_fixture, names, uid


def lists_fixture(s, count=3, filled=(0,)):
    lists = []
    for i in range(count):
        items = [s.app_entry("app%d" % i)] if i in filled else []
        lists.append({"id": uid(), "name": "L%d" % i, "theme": "blue", "items": items, "snapshot": []})
    s.write_lists(lists)
    return lists


def wait_lists(s, check, timeout=3.0):
    deadline = time.time() + timeout
    while True:
        lists = s.read_lists()
        if check(lists) or time.time() > deadline:
            return lists
        time.sleep(0.05)


def active_index(s):
    with open(s.config + "/Ilvex/Ilvex.conf") as f:
        for l in f:
            if l.startswith("activeListIndex="):
                return int(l.split("=")[1])
    return 0


def scenario_switch_list(s):
    lists_fixture(s, 3, filled=(0, 1, 2))
    s.start_app()
    s.click("row:L2")
    deadline = time.time() + 3
    while active_index(s) != 2 and time.time() < deadline:
        time.sleep(0.05)
    assert active_index(s) == 2, "clicking the third row did not switch to it"
    # The ring shows the third list: its only entry launches from slot 0.
    x, y = s.ring_point(0, 1)
    s.xdo("mousemove", x, y, "click", "1")
    assert s.marker_time("app2") is not None, "the ring did not switch to the third list"


def scenario_reorder_lists(s):
    lists_fixture(s, 3)
    s.start_app()
    x, y, w, h = s.layout("row:L0")
    _, y1, _, _ = s.layout("row:L1")
    pitch = y1 - y
    cx, cy = x + w // 2, y + h // 2
    # Just under half a pitch: nothing moves. Then more than one and a half: two slots down.
    s.drag([(cx, cy)] + [(cx, cy + round(pitch * 0.4 * k / 6)) for k in range(1, 7)], hold=0.1)
    time.sleep(0.6)
    assert names(s.read_lists()) == ["L0", "L1", "L2"], "a drag under half a pitch reordered the lists"
    s.drag([(cx, cy)] + [(cx, cy + round(pitch * 1.6 * k / 10)) for k in range(1, 11)], hold=0.1)
    got = wait_lists(s, lambda l: names(l) == ["L1", "L2", "L0"])
    assert names(got) == ["L1", "L2", "L0"], "dragging the first row 1.6 pitches down gave %s" % names(got)


def scenario_rename_recolour_delete(s):
    lists_fixture(s, 3, filled=(0,))
    s.start_app()
    # Rename: the row's menu, "Rename…", a name with spaces around it.
    s.click("row:L1", button=3)
    s.xdo("key", "Down", "Return")
    prompt = s.wait_window("Rename list", timeout=4)
    s.xdo("windowactivate", "--sync", prompt)
    s.xdo("key", "ctrl+a")
    s.xdo("type", "  Work  ")
    s.xdo("key", "Return")
    got = wait_lists(s, lambda l: l[1]["name"] == "Work")
    assert got[1]["name"] == "Work", "renamed to %r" % got[1]["name"]
    # Recolour: "Color…", then the fourth dot (orange).
    s.click("row:Work", button=3)
    s.xdo("key", "Down", "Down", "Return")
    time.sleep(0.5)
    x, y, w, h = s.layout("row:Work")
    assert s.is_viewable(s.window), "the colour popover dismissed the launcher"
    # The popover opens beside the row: 12 px margin, 22 px dots 10 apart.
    px = x + w + 8 + 12 + 3 * 32 + 11
    s.xdo("mousemove", px, y + h // 2, "click", "1")
    got = wait_lists(s, lambda l: l[1]["theme"] == "orange")
    assert got[1]["theme"] == "orange", "recoloured to %s" % got[1]["theme"]
    # Delete: a non-empty list's entry is disabled; an empty one goes.
    s.click("row:L0", button=3)
    s.xdo("key", "Down", "Down", "Down", "Return")
    time.sleep(0.4)
    s.xdo("key", "Escape")
    assert len(s.read_lists()) == 3, "a non-empty list was deleted"
    s.click("row:L2", button=3)
    s.xdo("key", "Up", "Return")
    got = wait_lists(s, lambda l: len(l) == 2)
    assert names(got) == ["L0", "Work"], "deleting the empty list gave %s" % names(got)


def scenario_group_back_pill(s):
    group_fixture(s, 0)
    s.start_app()
    x, y = s.ring_point(1, 3)
    s.xdo("mousemove", x, y, "click", "1")
    time.sleep(0.6)
    s.click("backPill")
    # The ring is back at the list: its second entry is the group again, and opens it.
    assert s.is_viewable(s.window), "the back pill dismissed the launcher"
    x, y = s.ring_point(0, 3)
    s.xdo("mousemove", x, y, "click", "1")
    assert s.marker_time("alpha") is not None, "the back pill did not close the group"


def click_outside(s):
    """A click on another window: with no window manager, the focus moves as one would move it."""
    root = [l.split()[3] for l in s.run_tool("xwininfo", "-root").splitlines() if "Window id:" in l][0]
    s.xdo("mousemove", SCREEN_W - 5, 5, "click", "1")
    s.xdo("windowfocus", root)
    time.sleep(0.4)


def open_manage(s):
    s.click("manageButton", settle=0.6)
    s.layout("managePanel")


def scenario_manage_link_group_list(s):
    lists_fixture(s, 2, filled=(0,))
    s.start_app()
    open_manage(s)
    # A click outside the launcher does nothing while the panel is open.
    click_outside(s)
    assert s.is_viewable(s.window), "a click outside hid the launcher while the panel was open"
    s.xdo("windowfocus", s.window)  # clicking back into the launcher, as a window manager would
    # A link: the Add button waits for an address; Enter submits.
    s.click("tileLink")
    s.xdo("type", "Docs")
    s.xdo("key", "Tab")
    s.xdo("key", "Return")  # no address yet: nothing is added
    time.sleep(0.3)
    assert len(s.read_lists()[0]["items"]) == 1, "a link without an address was added"
    s.xdo("type", "example.org/docs")
    s.xdo("key", "Return")
    got = wait_lists(s, lambda l: len(l[0]["items"]) == 2)
    link = got[0]["items"][-1]
    assert link["isURL"] and link["name"] == "Docs" and link["appPath"] == "example.org/docs", link
    # A group through its form and the Add button.
    s.click("tileSub")
    s.xdo("type", "Tools")
    s.click("formAdd")
    got = wait_lists(s, lambda l: len(l[0]["items"]) == 3)
    assert got[0]["items"][-1]["isSubList"] and got[0]["items"][-1]["name"] == "Tools", got[0]["items"][-1]
    # A list: up to eight; at eight "New list" is disabled.
    for i in range(6):
        s.click("newList")
        s.xdo("type", "N%d" % i)
        s.xdo("key", "Return")
        wait_lists(s, lambda l, n=3 + i: len(l) == n)
    assert len(s.read_lists()) == 8, "adding six lists to two gave %d" % len(s.read_lists())
    s.click("newList")
    s.xdo("type", "Ninth")
    s.xdo("key", "Return")
    time.sleep(0.4)
    assert len(s.read_lists()) == 8, "a ninth list was added"
    # The close button closes the panel; then an outside click dismisses again.
    s.click("closeManage", settle=0.6)
    click_outside(s)
    assert s.wait_hidden(s.window, timeout=3), "after closing the panel an outside click did not dismiss"


def scenario_add_app_picker(s):
    lists_fixture(s, 1, filled=())
    s.app_entry("zeta")  # installed, not in any list
    s.start_app()
    open_manage(s)
    s.click("tileApp", settle=0.8)
    picker = s.wait_window("^Add$", timeout=5)
    s.xdo("windowactivate", "--sync", picker)
    s.xdo("type", "zet")
    time.sleep(0.3)
    s.xdo("key", "Return")
    got = wait_lists(s, lambda l: len(l[0]["items"]) == 1)
    assert names(got[0]["items"]) == ["Zeta"], "the picker added %s" % names(got[0]["items"])
    assert s.is_viewable(s.window), "adding through the picker dismissed the launcher"


SCENARIOS = {name[len("scenario_"):]: fn for name, fn in globals().items() if name.startswith("scenario_")}
