#!/usr/bin/env bash
# Imports documents into the real binary from outside, in a private HOME: good documents replace or
# append, and every refused one (unreadable, hostile, over the list limit) exits 1 with one line on
# standard error and leaves the lists file byte for byte as it was.
# Usage: import_cli_test.sh PATH-TO-ILVEX
set -u

ilvex=${1:?usage: import_cli_test.sh PATH-TO-ILVEX}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

export HOME=$work/home
export XDG_DATA_HOME=$HOME/.local/share XDG_CONFIG_HOME=$HOME/.config XDG_CACHE_HOME=$HOME/.cache
export XDG_RUNTIME_DIR=$work/runtime QT_QPA_PLATFORM=offscreen
unset XDG_DATA_DIRS
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR" "$work/docs"
chmod 700 "$XDG_RUNTIME_DIR"
lists=$XDG_DATA_HOME/Ilvex/lists.json

passed=0
failed=0
check() { # description, then a command that must succeed
    local what=$1
    shift
    if "$@"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAIL: $what" >&2
        sed 's/^/  stderr: /' "$work/err" >&2
    fi
}

uuid() { cat /proc/sys/kernel/random/uuid; }

# A document of COUNT lists named PREFIX-0 … with one link entry each; no snapshots, so the store would
# rewrite the lists file on its next start (and a refused import must not start it).
document() { # prefix count
    local i sep=""
    printf '['
    for ((i = 0; i < $2; i++)); do
        printf '%s{"id":"%s","name":"%s-%d","theme":"teal","items":[{"id":"%s","name":"Item %d","bundleIdentifier":"","appPath":"example.com/%d","isURL":true}]}' \
            "$sep" "$(uuid)" "$1" "$i" "$(uuid)" "$i" "$i"
        sep=","
    done
    printf ']'
}

# The list names in the lists file, in order (list names are the only names with a "-" here).
list_names() { grep -oE '"name" *: *"[A-Za-z]+-[0-9]+"' "$lists" | sed -E 's/.*"([A-Za-z]+-[0-9]+)"$/\1/' | tr '\n' ' '; }

import() { # arguments…; stdin passes through
    timeout 30 "$ilvex" --import-lists "$@" >"$work/out" 2>"$work/err"
    code=$?
}

exited() { [ "$code" -eq "$1" ]; }
one_line_reason() { [ "$(wc -l <"$work/err")" -eq 1 ] && grep -q '^ilvex: .' "$work/err"; }
unchanged() {
    if [ -e "$work/before" ]; then cmp -s "$work/before" "$lists"; else [ ! -e "$lists" ]; fi
}
remember() { rm -f "$work/before"; [ -e "$lists" ] && cp "$lists" "$work/before"; }

expect_refused() { # description, import arguments…
    local what=$1
    shift
    remember
    import "$@"
    check "$what: exit 1" exited 1
    check "$what: one line on stderr" one_line_reason
    check "$what: lists file unchanged" unchanged
}

# Hostile and unreadable documents.
printf '' >"$work/docs/empty"
printf '   \n\t ' >"$work/docs/blank"
printf 'lists: none' >"$work/docs/not-json"
printf '[{"id": "' >"$work/docs/truncated"
printf '{"lists": []}' >"$work/docs/object"
printf '[]' >"$work/docs/empty-array"
printf '[1, "two", null, true]' >"$work/docs/scalars"
printf '[{"id":"%s","name":5,"items":[]}]' "$(uuid)" >"$work/docs/name-number"
printf '[{"id":"%s","name":"x","items":"none"}]' "$(uuid)" >"$work/docs/items-string"
printf '[{"id":"%s","name":"x","items":[],"theme":"magenta"}]' "$(uuid)" >"$work/docs/unknown-theme"
printf '[{"id":"not-a-uuid","name":"x","items":[]}]' >"$work/docs/bad-uuid"
printf '[{"id":"%s","name":"x","items":[{"id":"%s","name":"a","bundleIdentifier":"","appPath":"","isURL":"yes"}]}]' \
    "$(uuid)" "$(uuid)" >"$work/docs/flag-string"
printf '[{"id":"%s","name":"x","items":[{"id":"%s","name":"a","bundleIdentifier":"","appPath":"","bookmarkData":"%%%%"}]}]' \
    "$(uuid)" "$(uuid)" >"$work/docs/bad-base64"
{ head -c 200000 /dev/zero | tr '\0' '['; head -c 200000 /dev/zero | tr '\0' ']'; } >"$work/docs/nested-arrays"
{ for ((i = 0; i < 50000; i++)); do printf '{"a":'; done; printf '1'; head -c 50000 /dev/zero | tr '\0' '}'; } \
    >"$work/docs/nested-objects"
head -c 65536 /dev/urandom >"$work/docs/binary"
printf '[\0]' >"$work/docs/nul"
# About 70 MiB, over the 64 MiB limit: refused before it is read whole.
{ printf '['; yes '"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa",' |
    head -c 73400320; printf '"a"]'; } >"$work/docs/huge"
hostile=(empty blank not-json truncated object empty-array scalars name-number items-string unknown-theme
    bad-uuid flag-string bad-base64 nested-arrays nested-objects binary nul huge)

# Nothing there yet: a refused import creates no lists file.
for name in not-json empty-array huge; do
    expect_refused "$name with no lists file" "$work/docs/$name"
done

# Replace: up to eight lists, with the ids from the document.
document Old 3 >"$work/docs/three"
import "$work/docs/three"
check "replace: exit 0" exited 0
check "replace: the three lists" [ "$(list_names)" = "Old-0 Old-1 Old-2 " ]
first_id=$(grep -oE '"id":"[^"]+"' "$work/docs/three" | head -1 | cut -d'"' -f4)
check "replace: list ids kept" grep -qi "$first_id" "$lists"

document Ten 10 >"$work/docs/ten"
import "$work/docs/ten"
check "replace over the limit: exit 0" exited 0
check "replace over the limit: first eight kept" [ "$(list_names)" = "Ten-0 Ten-1 Ten-2 Ten-3 Ten-4 Ten-5 Ten-6 Ten-7 " ]

# Eight lists: appending has no free place. The lists file has no snapshots, which the store would
# repair (and save) if it were started, so this also proves a refusal never starts the store.
document Extra 2 >"$work/docs/two"
expect_refused "append to eight lists" "$work/docs/two" --append
expect_refused "append to eight lists, flag first" --append "$work/docs/two"

for name in "${hostile[@]}"; do
    expect_refused "$name (replace)" "$work/docs/$name"
done

# Append into free places with new list ids; entry ids stay.
import "$work/docs/two"
check "replace with two: exit 0" exited 0
document New 10 >"$work/docs/new"
import "$work/docs/new" --append
check "append: exit 0" exited 0
check "append: fills the six free places in file order" \
    [ "$(list_names)" = "Extra-0 Extra-1 New-0 New-1 New-2 New-3 New-4 New-5 " ]
new_list_id=$(grep -oE '"id":"[^"]+","name":"New-0"' "$work/docs/new" | cut -d'"' -f4)
new_item_id=$(grep -oE '"items":\[\{"id":"[^"]+"' "$work/docs/new" | head -1 | cut -d'"' -f6)
check "append: new list ids" bash -c "! grep -qi '$new_list_id' '$lists'"
check "append: entry ids kept" grep -qi "$new_item_id" "$lists"

# Back to two lists: appending reads the document the same way.
import "$work/docs/two"
for name in not-json truncated nested-arrays huge; do
    expect_refused "$name (append)" "$work/docs/$name" --append
done

# Standard input.
import - <"$work/docs/three"
check "stdin replace: exit 0" exited 0
check "stdin replace: the three lists" [ "$(list_names)" = "Old-0 Old-1 Old-2 " ]
for name in not-json huge; do
    expect_refused "$name on stdin" - <"$work/docs/$name"
done
expect_refused "empty stdin" - </dev/null

# Paths that are not documents (FIFOs and devices: tests/reliability/files_and_round_trips.py).
expect_refused "missing file" "$work/docs/no-such-file"
expect_refused "a folder" "$work/docs"

# File names are bytes: a name that is not UTF-8 works both ways.
latin1=$work/docs/$'\xe9t\xe9'.json
cp "$work/docs/two" "$latin1"
import "$latin1"
check "non-UTF-8 name: exit 0" exited 0
check "non-UTF-8 name: imported" [ "$(list_names)" = "Extra-0 Extra-1 " ]
"$ilvex" --export-lists "$latin1.out" 2>"$work/err"
check "non-UTF-8 export name: written" cmp -s "$latin1.out" <("$ilvex" --export-lists - 2>/dev/null)

# Standard output carries only the document, even when the store prints a line at start.
printf '{"not": "lists"}' >"$lists"
"$ilvex" --export-lists - 2>"$work/export-err" | import -
check "export to stdout imports again: exit 0" exited 0
check "export to stdout: the store's line went to stderr" grep -q '^\[Ilvex\] lists.json corrupt' "$work/export-err"
expect_refused "no path"
expect_refused "two paths" "$work/docs/three" "$work/docs/two"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
