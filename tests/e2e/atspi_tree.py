"""Prints the lists, push buttons and radio buttons in the AT-SPI tree of the application named on the
command line, one "role|name|description" a line ("|focused" added for the focused one), as a screen
reader finds them. Run with a Python that has the GObject bindings (Debian's)."""
import sys

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402


def walk(node, depth=0):
    if node is None or depth > 12:
        return
    try:
        role, name, description = node.get_role_name(), node.get_name(), node.get_description()
    except Exception:
        return
    if role in ("list", "push button", "radio button") and name:
        focused = node.get_state_set().contains(Atspi.StateType.FOCUSED)
        print("%s|%s|%s%s" % (role, name, description, "|focused" if focused else ""))
    for i in range(node.get_child_count()):
        walk(node.get_child_at_index(i), depth + 1)


desktop = Atspi.get_desktop(0)
for i in range(desktop.get_child_count()):
    app = desktop.get_child_at_index(i)
    if app is not None and app.get_name() == sys.argv[1]:
        walk(app)
