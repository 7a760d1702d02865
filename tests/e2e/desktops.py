"""The desktops the launcher is checked under: a bare X server, real window managers with their panels, and
a headless Wayland compositor. Each is started inside a Session (its processes are stopped by PID when the
session closes) and says where its panel's empty space and its tray icon are."""

import os, shutil, subprocess, time

from e2e_session import SCREEN_H, SCREEN_W, wait_until

XFCE_PANEL = """<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=6;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="30"/>
      <property name="plugin-ids" type="array">
        <value type="int" value="1"/>
        <value type="int" value="2"/>
      </property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="separator">
      <property name="expand" type="bool" value="true"/>
      <property name="style" type="uint" value="0"/>
    </property>
    <property name="plugin-2" type="string" value="systray">
      <property name="square-icons" type="bool" value="true"/>
    </property>
  </property>
</channel>
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
    """A window manager (or none) and a panel: `panel_space` is a point on the panel's empty space,
    `tray_icon` where the first tray icon sits, `panel_height` the strut along the top edge. `manager` gives
    the manager's command line, `bus` says whether it wants a session bus; picom composites where the
    manager does not (`compositor`)."""
    wayland = False
    panel_space = (400, 16)
    tray_icon = (SCREEN_W - 16, 16)
    panel_height = 32

    def __init__(self, name="none", needs=(), manager=None, bus=False, compositor=True, panel=None, **place):
        self.name, self.needs, self.manager, self.bus, self.compositor, self.panel = \
            name, needs, manager, bus, compositor, panel
        self.__dict__.update(place)

    def start_display(self, s):
        return s.start_x(compositor=self.compositor)

    def missing(self):
        return [tool for tool in self.needs if not shutil.which(tool)]

    def start(self, s):
        if self.bus:  # for the manager, its panel and Ilvex (the tray protocol and settings)
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
    with open(os.path.join(channels, "xfce4-panel.xml"), "w") as f:
        f.write(XFCE_PANEL)
    s.spawn("xfce4-panel", "--disable-wm-check")


def i3(s):
    with open(os.path.join(s.tmp, "i3.config"), "w") as f:
        f.write(I3_CONFIG)
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
        deadline, display = time.time() + 15, None
        while display is None and time.time() < deadline:
            line = weston.stdout.readline()
            if "xserver listening on display" in line:
                display = line.rsplit(" ", 1)[1].strip()
        assert display, "weston started no Xwayland"
        # The rest of weston's output is drained, so that it never blocks on a full pipe.
        s.procs.append(subprocess.Popen(["cat"], stdin=weston.stdout, stdout=subprocess.DEVNULL))
        s.env["DISPLAY"] = display


DESKTOPS = {d.name: d for d in (
    Desktop(),
    OwnPanel("xfwm4", ("xfwm4", "xfce4-panel"), lambda s: ("xfwm4", "--replace"), bus=True, compositor=False,
             panel=xfce4_panel, tray_icon=(SCREEN_W - 16, 15)),
    Desktop("openbox", ("openbox", "trayer"), lambda s: ("openbox", "--sm-disable")),
    OwnPanel("i3", ("i3", "i3bar"), i3, panel_space=(800, 8)),
    Desktop("mutter", ("mutter", "trayer"), lambda s: ("mutter", "--x11", "--replace", "--sm-disable"), bus=True,
            compositor=False),
    Weston("weston", ("weston", "Xwayland")))}
