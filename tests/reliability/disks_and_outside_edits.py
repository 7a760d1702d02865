#!/usr/bin/env python3
"""A full disk under every way in (a command alone, the running instance), outside edits of lists.json
while Ilvex runs (a sync tool's atomic replace, an editor's rewrite in place, a sync conflict copy)."""
import os, time

from common import check, main, document, full_disk, printed


def read(path):
    with open(path, "rb") as file:
        return file.read()


def replace(box, data, in_place):
    with open(box.lists if in_place else box.lists + ".synctmp", "wb") as file:
        file.write(data)
    if not in_place:
        os.replace(box.lists + ".synctmp", box.lists)


def run(box, _):
    old, new = [f"Old-{i}" for i in range(4)], [f"New-{i}" for i in range(4)]  # more than the disk takes
    check("the first import", box.import_lists(*old).returncode == 0)
    before = read(box.lists)
    result = box.import_lists(*new, preexec_fn=full_disk())
    check("full disk, a command: exit 1 with the reason", result.returncode == 1 and
          b"could not write" in result.stderr and b"File too large" in result.stderr, result.stderr)
    check("full disk, a command: the old file kept", read(box.lists) == before)
    instance = box.start_instance(preexec_fn=full_disk())
    result = box.import_lists(*new)
    check("full disk, the instance: exit 1 with the reason", result.returncode == 1 and
          b"could not write" in result.stderr and b"nothing was imported" in result.stderr, result.stderr)
    check("full disk, the instance: not taken", box.exported() == old, str(box.exported()))
    box.quit(instance)
    check("full disk, the instance: the old file kept after quit", read(box.lists) == before)
    check("no unfinished copy left", box.temporaries() == [], str(box.temporaries()))

    # Which copies a start removes, and what a broken outside edit becomes: tests/store/ListsFileTest.cpp.
    instance = box.start_instance()
    check("the instance has the lists", box.exported() == old)  # and its own start-up save is behind it
    for n, in_place in enumerate((False, True)):
        replace(box, document(f"Theirs-{n}"), in_place)
        time.sleep(1.0)
        result = box.import_lists(f"Mine-{n}", options=("--append",))
        check(f"an outside edit ({'in place' if in_place else 'replaced'}) is taken in, then the own change added",
              box.list_names() == [f"Theirs-{n}", f"Mine-{n}"] == box.exported(),
              f"{box.list_names()} {os.listdir(box.support)} {result.returncode} {result.stderr}")
    quick = document("Quick-0")
    replace(box, quick, False)
    box.import_lists("Mine-2", options=("--append",))  # before the edit settles
    kept = [read(os.path.join(box.support, n)) for n in os.listdir(box.support) if n.startswith("lists.json.bak")]
    check("an outside edit overtaken by an own change is taken in or kept",
          box.list_names() == ["Quick-0", "Mine-2"] or quick in kept, str(box.list_names()))
    conflict = os.path.join(box.support, "lists.sync-conflict-20250101-120000-ABCDEFG.json")
    with open(conflict, "wb") as file:
        file.write(document("Other"))
    time.sleep(1.0)
    box.quit(instance)
    check("the conflict copy is named", f"a sync conflict copy of lists.json is at {conflict}" in printed(instance),
          printed(instance))


main(run, r"could not write .*lists\.json: File too large")
