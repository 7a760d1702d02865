"""Live pictures of the ring's centre and the manage panel, grabbed from Xvfb (with picom): the switcher
with 2 and 8 lists, a single list, a group open (full and empty), and the manage panel with each form,
in English and Japanese. With a README folder, a few of them are also cropped to the ring, scaled to
600 px wide and written there for the README."""
import math, os, subprocess, time

import e2e_session as e


# The README's pictures: (name, language).
README_SHOTS = {"en": ("switcher2", "group-full"), "ja": ("manage-link",)}


def lists_of(items, count):
    themes = ["blue", "purple", "green", "orange", "red", "teal", "blue", "green"]
    names = ["Apps", "Web", "Work", "Music", "Photos", "Games", "Code", "Notes"]
    return [{"id": e.uid(), "name": names[i], "theme": themes[i], "items": items if i == 0 else [], "snapshot": []}
            for i in range(count)]


def shoot(binary, outdir, language, fixture_items, readme=None):
    s = e.Session(binary)
    shots = {}
    try:
        if not s.start_x():
            raise SystemExit("no X server")
        with open(os.path.join(s.config, "Ilvex/Ilvex.conf"), "a") as f:
            f.write("appLanguage=%s\n" % language)
        items = fixture_items(s.home, 9)  # ..., the group at 7, the empty group at 8

        def grab(name):
            out = os.path.join(outdir, "%s-%s.png" % (name, language))
            subprocess.run(["import", "-window", "root", out], env=s.env, check=True)
            shots[name] = out
            print(out)

        def at(index, count=9):
            cx, cy = s.centre()
            radius = max(178.0, 128 * count / (2 * math.pi))
            angle = -math.pi + 2 * math.pi * index / count
            return round(cx + radius * math.cos(angle)), round(cy + radius * math.sin(angle))

        for count, name in ((1, "single"), (8, "switcher8")):
            s.write_lists(lists_of(items, count))
            s.start_app()
            s.xdo("mousemove", 5, 5)
            time.sleep(0.5)
            grab(name)
            s.close_app()
        s.write_lists(lists_of(items, 2))
        s.start_app()
        s.xdo("mousemove", 5, 5)
        time.sleep(0.5)
        grab("switcher2")
        for index, name in ((7, "group-full"), (8, "group-empty")):
            s.xdo("mousemove", *at(index), "click", "1")
            time.sleep(0.7)
            s.xdo("mousemove", 5, 5)
            time.sleep(0.3)
            grab(name)
            s.click("backPill", settle=0.7)
        s.click("manageButton", settle=0.7)
        grab("manage")
        for tile, name, texts in (("tileLink", "manage-link", ("Docs", "example.org/docs")),
                                  ("tileSub", "manage-sub", ("Tools",)), ("newList", "manage-list", ("Later",))):
            s.click(tile, settle=0.4)
            for i, text in enumerate(texts):
                if i:
                    s.xdo("key", "Tab")
                s.xdo("type", text)
            time.sleep(0.3)
            grab(name)
        if readme:
            g = s.geometry(s.window)
            x, y, w = int(g["Absolute upper-left X"]), int(g["Absolute upper-left Y"]), int(g["Width"])
            for name in README_SHOTS.get(language, ()):
                out = os.path.join(readme, "%s-%s.png" % (name, language))
                subprocess.run(["convert", shots[name], "-crop", "%dx%d+%d+%d" % (w, w - 160, x, y + 80),
                                "+repage", "-resize", "600x", "-strip", "-colors", "255", out], check=True)
                print(out)
    finally:
        s.close()
    return shots
