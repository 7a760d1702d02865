#!/usr/bin/env python3
"""A full disk under every way in (a command alone, the running instance), outside edits of lists.json
while Ilvex runs (a sync tool's atomic replace, an editor's rewrite in place, a sync conflict copy).
Usage: disks_and_outside_edits.py PATH-TO-ILVEX"""
import json, os, time

from common import check, finish, Sandbox, binary_from_argv, document, full_disk, printed

binary, _ = binary_from_argv()
box = Sandbox(binary)
box.expect(r"could not write .*lists\.json: File too large")


def read(path):
    with open(path, "rb") as file:
        return file.read()


def replace(data, in_place):
    if in_place:
        with open(box.lists, "wb") as file:
            file.write(data)
    else:
        with open(box.lists + ".synctmp", "wb") as file:
            file.write(data)
        os.replace(box.lists + ".synctmp", box.lists)


def exported():
    result = box.run("--export-lists", "-")
    return [entry["name"] for entry in json.loads(result.stdout)] if result.returncode == 0 else None


try:
    old = ["Old-0", "Old-1", "Old-2", "Old-3"]
    check("the first import", box.run("--import-lists", "-", input=document(*old)).returncode == 0)
    before = read(box.lists)
    new = [f"New-{i}" for i in range(4)]  # more than the disk takes, as the old
    result = box.run("--import-lists", "-", input=document(*new), preexec_fn=full_disk())
    check("full disk, a command: exit 1 with the reason", result.returncode == 1 and
          b"could not write" in result.stderr and b"File too large" in result.stderr, result.stderr)
    check("full disk, a command: the old file kept", read(box.lists) == before)
    instance = box.start_instance(preexec_fn=full_disk())
    check("instance listens", box.wait_listening())
    result = box.run("--import-lists", "-", input=document(*new))
    check("full disk, the instance: exit 1 with the reason", result.returncode == 1 and
          b"could not write" in result.stderr and b"nothing was imported" in result.stderr, result.stderr)
    check("full disk, the instance: not taken", exported() == old, str(exported()))
    box.quit(instance)
    check("full disk, the instance: the old file kept after quit", read(box.lists) == before)
    check("no unfinished copy left", box.temporaries() == [], str(box.temporaries()))

    # Which copies a start removes, and what a broken outside edit becomes: tests/store/ListsFileTest.cpp.
    instance = box.start_instance()
    check("instance listens", box.wait_listening())
    for n, in_place in enumerate((False, True)):
        replace(document(f"Theirs-{n}"), in_place)
        time.sleep(1.0)
        box.run("--import-lists", "-", "--append", input=document(f"Mine-{n}"))
        how = "in place" if in_place else "replaced"
        check(f"an outside edit ({how}) is taken in, then the own change added",
              box.list_names() == [f"Theirs-{n}", f"Mine-{n}"] == exported(), str(box.list_names()) + str(os.listdir(box.support)))
    quick = document("Quick-0")
    replace(quick, False)
    box.run("--import-lists", "-", "--append", input=document("Mine-2"))  # before the edit settles
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
finally:
    box.close()
finish()
