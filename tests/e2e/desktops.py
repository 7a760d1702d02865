"""The desktops the launcher is checked under: a bare X server, window managers with their panels, and a
headless Wayland compositor, each started inside a Session (which stops its processes by PID)."""

import os, shutil, subprocess, time

from e2e_session import SCREEN_H, SCREEN_W, wait_until, write

# One panel along the top: a separator that fills it, then the tray.
XFCE_PANEL = """<?xml version="1.0" encoding="UTF-8"?><channel name="xfce4-panel" version="1.0">
<property name="configver" type="int" value="2"/><property name="panels" type="array"><value type="int" value="1"/>
<property name="panel-1" type="empty"><property name="position" type="string" value="p=6;x=0;y=0"/>
<property name="length" type="uint" value="100"/><property name="position-locked" type="bool" value="true"/>
<property name="size" type="uint" value="30"/><property name="plugin-ids" type="array"><value type="int" value="1"/>
<value type="int" value="2"/></property></property></property><property name="plugins" type="empty">
<property name="plugin-1" type="string" value="separator"><property name="expand" type="bool" value="true"/>
<property name="style" type="uint" value="0"/></property><property name="plugin-2" type="string" value="systray">
<property name="square-icons" type="bool" value="true"/></property></property></channel>
"""

I3_CONFIG = """# i3 config file (v4)
font pango:monospace 8
focus_follows_mouse yes
bar {
  position top
  status_command sh -c "echo ilvex-e2e; exec sleep 100000"
}
"""


class Desktop:
    """A window manager (its command line from `manager`; a session bus for it, its panel and Ilvex with `bus`;
    picom where it does not composite) and a panel: a point on its empty space, its first tray icon and the
    strut along the top edge."""
    wayland = False
    panel_space = (400, 16)
    tray_icon = (SCREEN_W - 16, 16)
    panel_height = 32

    def __init__(self, name="none", needs=(), manager=None, bus=False, compositor=True, panel=None, **place):
        self.__dict__.update(place, name=name, needs=needs, manager=manager, bus=bus, compositor=compositor,
                             panel=panel)

    def start_display(self, s):
        return s.start_x(compositor=self.compositor)

    def missing(self):
        return [tool for tool in self.needs if not shutil.which(tool)]

    def start(self, s):
        if self.bus:
            s.start_bus()
        if self.manager:
            s.spawn(*self.manager(s))

            def running():
                check = s.run_tool("xprop", "-root", "_NET_SUPPORTING_WM_CHECK").rpartition(" ")[2].strip()
                return check.startswith("0x") and s.run_tool("xprop", "-id", check, "_NET_WM_NAME").strip()
            assert wait_until(running, 15), "%s did not start" % self.name
        self.start_panel(s)

    def start_panel(self, s):
        # A dock with a strut all along the top: the tray icon at the right end.
        s.spawn("trayer", "--edge", "top", "--align", "right", "--widthtype", "percent", "--width", "100",
                "--height", "32", "--SetDockType", "true", "--SetPartialStrut", "true", "--transparent", "false")
        assert wait_until(lambda: s.strut_top() == self.panel_height, 10), "the panel set no strut"


class OwnPanel(Desktop):
    """A manager with a panel of its own, which it starts or is started beside it; its strut says its height."""
    def start_panel(self, s):
        if self.panel:
            self.panel(s)
        assert wait_until(lambda: s.strut_top() > 0, 15), "%s's panel set no strut" % self.name
        self.panel_height = s.strut_top()


def xfce4_panel(s):
    channels = os.path.join(s.config, "xfce4/xfconf/xfce-perchannel-xml")
    os.makedirs(channels, exist_ok=True)
    write(os.path.join(channels, "xfce4-panel.xml"), XFCE_PANEL)
    s.spawn("xfce4-panel", "--disable-wm-check")


def i3(s):
    write(os.path.join(s.tmp, "i3.config"), I3_CONFIG)
    return "i3", "-c", os.path.join(s.tmp, "i3.config")


class Weston(Desktop):
    """weston's headless backend: its Xwayland for the X11 path, its socket for the native one."""
    wayland = True

    def start_display(self, s):
        s.env["WAYLAND_DISPLAY"] = "wl-ilvex"
        return True

    def start(self, s):
        weston = subprocess.Popen(["weston", "--backend=headless-backend.so", "--xwayland", "--socket=wl-ilvex",
                                   "--width=%d" % SCREEN_W, "--height=%d" % SCREEN_H, "--idle-time=0"],
                                  env=s.env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        s.procs.append(weston)
        deadline, line = time.time() + 15, ""
        while "xserver listening on display" not in line and time.time() < deadline:
            line = weston.stdout.readline()
        assert "xserver listening on display" in line, "weston started no Xwayland"
        # The rest of weston's output is drained, so that it never blocks on a full pipe.
        s.procs.append(subprocess.Popen(["cat"], stdin=weston.stdout, stdout=subprocess.DEVNULL))
        s.env["DISPLAY"] = line.rsplit(" ", 1)[1].strip()


DESKTOPS = {d.name: d for d in (
    Desktop(),
    OwnPanel("xfwm4", ("xfwm4", "xfce4-panel"), lambda s: ("xfwm4", "--replace"), bus=True, compositor=False,
             panel=xfce4_panel, tray_icon=(SCREEN_W - 16, 15)),
    Desktop("openbox", ("openbox", "trayer"), lambda s: ("openbox", "--sm-disable")),
    OwnPanel("i3", ("i3", "i3bar"), i3, panel_space=(800, 8)),
    Desktop("mutter", ("mutter", "trayer"), lambda s: ("mutter", "--x11", "--replace", "--sm-disable"), bus=True,
            compositor=False),
    Weston("weston", ("weston", "Xwayland")))}
