#!/usr/bin/env python3
"""Fails when a source file includes a header of a higher layer.

Layers, lowest first: settings, platform, favicons, l10n, store, ring, views, launcher, panels, shell.
A file may include headers of its own layer and of lower ones. main.cpp may include anything, and the
generated BuildConfig.h is allowed everywhere. Prints file:line for every offending include.
"""
import pathlib
import re
import sys

LAYERS = ["settings", "platform", "favicons", "l10n", "store", "ring", "views", "launcher", "panels", "shell"]
RANK = {name: rank for rank, name in enumerate(LAYERS)}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def main() -> int:
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parent.parent)
    src = root / "src"
    problems = []
    for path in sorted(src.rglob("*")):
        if path.suffix not in {".h", ".cpp", ".in"} or not path.is_file():
            continue
        relative = path.relative_to(src)
        if len(relative.parts) < 2:
            continue  # main.cpp and BuildConfig.h sit above every layer
        own = relative.parts[0]
        if own not in RANK:
            problems.append(f"src/{relative}: folder '{own}' is in no layer")
            continue
        for number, line in enumerate(path.read_text(encoding="utf-8", errors="replace").splitlines(), 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            header = match.group(1)
            if header == "BuildConfig.h" or "/" not in header:
                continue
            layer = header.split("/", 1)[0]
            if layer not in RANK:
                problems.append(f"src/{relative}:{number}: includes \"{header}\" of no known layer")
            elif RANK[layer] > RANK[own]:
                problems.append(f"src/{relative}:{number}: {own} includes \"{header}\" of the higher layer {layer}")
    for problem in problems:
        print(problem)
    if problems:
        print(f"{len(problems)} include(s) break the one-way layers", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
