"""The ring by keyboard and by screen reader: the digit row on AZERTY, keys typed right after Alt+Z, the AT-SPI
tree. The rest of the keys (an input method too): tests/launcher/RingKeysTest.cpp."""
import os, shutil, signal, subprocess, time

from e2e_session import SKIP, names, wait_until

DEBIAN_PYTHON = "/usr/bin/python3"
BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"


def scenario_keys_digit_row(s):
    # AZERTY started as the server's own (every layout's digit row: tests/platform/KeyboardTest.cpp): é types a
    # letter and finds Epsilon, where slot 2 holds Beta; " types no letter and counts as its digit, 3; a typed
    # digit opens its slot (xdotool presses Shift for it).
    subprocess.run(["setxkbmap", "fr"], env=s.env, check=True)
    s.start_app()
    for i, (keys, expected) in enumerate([("eacute Return", "epsilon"), ("quotedbl", "gamma"), ("4", "delta")]):
        if i:
            s.show_again()
        s.xdo("key", *keys.split())
        s.launched_only(expected)
        s.clear_markers()


def scenario_keys_right_after_hotkey(s):
    s.start_quiet()
    # The program is held up (as on a loaded machine) while Alt+Z and the letters are typed within a few
    # milliseconds: the letters must wait for the launcher rather than go to whatever had the focus.
    os.kill(s.app.pid, signal.SIGSTOP)
    try:
        s.xdo("key", "--delay", "0", "alt+z", "type", "--delay", "2", "delt")
        time.sleep(0.2)  # held up for a while
    finally:
        os.kill(s.app.pid, signal.SIGCONT)
    window = s.shown("Alt+Z")
    s.xdo("key", "Return")
    s.launched_only("delta")
    s.hides(window, "the launch")
    # The keyboard was let go: Alt+Z is the hotkey again, and Escape reaches the panel.
    s.xdo("key", "alt+z")
    window = s.shown("Alt+Z again")
    s.xdo("key", "Escape")
    s.hides(window, "Escape on the launcher shown again")


def scenario_keys_atspi(s):
    have_gi = os.path.exists(DEBIAN_PYTHON) and subprocess.run(
        [DEBIAN_PYTHON, "-c", "import gi; gi.require_version('Atspi', '2.0')"], capture_output=True).returncode == 0
    if not (shutil.which("dbus-daemon") and os.path.exists(BUS_LAUNCHER) and have_gi):
        print("SKIPPED: the AT-SPI tree needs dbus, at-spi2-core and python3-gi with gir1.2-atspi-2.0")
        raise SystemExit(SKIP)
    s.start_bus()
    s.env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
    s.spawn(BUS_LAUNCHER, "--launch-immediately")
    assert wait_until(lambda: s.run_tool("dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus",
                                         "/org/a11y/bus", "org.a11y.Bus.GetAddress"), 5), "no accessibility bus"
    expected = names(s.read_lists()[0]["items"])
    s.start_app()
    wanted = ["push button|%s|%s, %d of %d" % (n, "Group" if n == "Box" else "Application", i + 1, len(expected))
              for i, n in enumerate(expected)] + ["radio button|%s|%d of 2" % (n, i + 1) for i, n in enumerate(("Main", "Other"))]
    tree = os.path.join(os.path.dirname(os.path.abspath(__file__)), "atspi_tree.py")

    def wait_tree(wanted):
        wait_until(lambda: set(wanted) <= set(s.run_tool(DEBIAN_PYTHON, tree, "Ilvex").splitlines()), 10, 0.3)
        found = s.run_tool(DEBIAN_PYTHON, tree, "Ilvex").splitlines()
        assert set(wanted) <= set(found), "missing from the AT-SPI tree: %s in\n%s" % (
            sorted(set(wanted) - set(found)), "\n".join(found))
        return found

    found = wait_tree(wanted + ["list|Main|1 of 2"])
    assert not any("Zeta" in l for l in found), "an entry of the hidden list is in the tree"
    # The group by its digit: the entries sit in a list named after it, its first entry has the focus,
    # and the list's entries are gone.
    s.xdo("key", "5")
    found = wait_tree(["list|Box|Group", "push button|Epsilon|Application, 1 of 1|focused"])
    assert not any("Alpha" in l or l.startswith("list|Main") for l in found), "the list and its entries are left in the tree"
