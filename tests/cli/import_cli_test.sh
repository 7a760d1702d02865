#!/usr/bin/env bash
# The real binary's options, then imports from outside in a private HOME: good documents replace or append,
# and every refused one exits 1 with one line on standard error and leaves the lists file byte for byte as
# it was (what the codec refuses is its own test's; here the ways in, and that a refusal never starts the store).
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
docs=$work/docs
passed=0 failed=0

check() { # description, then a command that must succeed
    local what=$1
    shift
    if "$@"; then passed=$((passed + 1)); else
        failed=$((failed + 1)) && echo "FAIL: $what" >&2 && sed 's/^/  stderr: /' "$work/err" >&2; fi
}

# COUNT lists named PREFIX-0 … of ENTRIES links (one unless told) and no snapshots, which the store would
# repair (and save) on its next start: a refused import that started it would show.
document() { # prefix count [entries]
    local i k items sep=""
    printf '['
    for ((i = 0; i < $2; i++)); do
        items=""
        for ((k = 0; k < ${3:-1}; k++)); do
            items+="${items:+,}{\"id\":\"$(cat /proc/sys/kernel/random/uuid)\",\"name\":\"Item\",\"bundleIdentifier\":\"\",\"appPath\":\"example.com\",\"isURL\":true}"
        done
        printf '%s{"id":"%s","name":"%s-%d","theme":"teal","items":[%s]}' "$sep" "$(cat /proc/sys/kernel/random/uuid)" "$1" "$i" "$items"
        sep=","
    done
    printf ']'
}

list_names() { grep -oE '"name" *: *"[A-Za-z]+-[0-9]+"' "$lists" | sed -E 's/.*"([A-Za-z]+-[0-9]+)"$/\1/' | tr '\n' ' '; }
import() { timeout 30 "$ilvex" --import-lists "$@" >"$work/out" 2>"$work/err"; code=$?; }
imported() { # description, expected names, import arguments…
    local what=$1 names=$2
    shift 2
    import "$@"
    check "$what: exit 0" [ "$code" -eq 0 ]
    check "$what: $names" [ "$(list_names)" = "$names" ]
}
refused() { # description, import arguments…
    local what=$1
    shift
    rm -f "$work/before"
    [ -e "$lists" ] && cp "$lists" "$work/before"
    import "$@"
    check "$what: exit 1" [ "$code" -eq 1 ]
    check "$what: one line" bash -c "[ \$(wc -l <'$work/err') -eq 1 ] && grep -q '^ilvex: .' '$work/err'"
    if [ -e "$work/before" ]; then check "$what: unchanged" cmp -s "$work/before" "$lists"; else
        check "$what: no lists file" [ ! -e "$lists" ]; fi
}

printf 'lists: none' >"$docs/not-json"
# About 70 MiB, over the 64 MiB limit: refused before it is read whole.
{ printf '['; yes '"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa",' |
    head -c 73400320; printf '"a"]'; } >"$docs/huge"
document Old 3 >"$docs/three"
document Long 1 1001 >"$docs/long-list" # over the limit of a list
document Ten 10 >"$docs/ten"
document Extra 2 >"$docs/two"

mkfifo "$docs/fifo"
# Options and usage errors answer with their exit code and never start the store.
option() { # exit code, a text the answer holds, arguments…
    local want=$1 text=$2
    shift 2
    timeout 30 "$ilvex" "$@" >"$work/out" 2>"$work/err"
    code=$?
    check "$*: exit $want" [ "$code" -eq "$want" ]
    check "$*: says $text" grep -qF -- "$text" "$work/out" "$work/err"
    check "$*: no lists file" [ ! -e "$lists" ]
}
option 0 "Ilvex " --version
option 0 "--export-lists PATH" --help
option 2 "Usage: ilvex" --frobnicate
option 2 "Usage: ilvex" --export-lists
option 2 "Usage: ilvex" --export-lists a b
timeout 30 "$ilvex" --export-lists "$work/missing/x.json" 2>"$work/err"
check "export into a missing folder: exit 1, one line" bash -c "[ $? -eq 1 ] && [ \$(wc -l <'$work/err') -eq 1 ]"
rm -f "$lists" # the store's first start wrote it

for name in not-json huge long-list; do refused "$name, no lists file" "$docs/$name"; done
imported "replace" "Old-0 Old-1 Old-2 " "$docs/three"
imported "replace over the limit" "Ten-0 Ten-1 Ten-2 Ten-3 Ten-4 Ten-5 Ten-6 Ten-7 " "$docs/ten"
refused "append to eight" "$docs/two" --append
refused "append to eight, flag first" --append "$docs/two"
for name in not-json huge long-list; do refused "$name, append" "$docs/$name" --append; done
refused "FIFO" "$docs/fifo"
refused "a device" /dev/zero
refused "huge on stdin" - <"$docs/huge"
refused "empty stdin" - </dev/null
refused "missing file" "$docs/no-such-file"
refused "a folder" "$docs"
refused "no path"
refused "two paths" "$docs/three" "$docs/two"
imported "stdin" "Extra-0 Extra-1 " - <"$docs/two"
imported "append" "Extra-0 Extra-1 Ten-0 Ten-1 Ten-2 Ten-3 Ten-4 Ten-5 " "$docs/ten" --append

# File names are bytes: a name that is not UTF-8 works both ways.
latin1=$docs/$'\xe9t\xe9'.json
cp "$docs/two" "$latin1"
imported "non-UTF-8 name" "Extra-0 Extra-1 " "$latin1"
"$ilvex" --export-lists "$latin1.out" 2>"$work/err"
check "non-UTF-8 export name" cmp -s "$latin1.out" <("$ilvex" --export-lists - 2>/dev/null)

# Standard output carries only the document, even when the store prints a line at start.
printf '{"not": "lists"}' >"$lists"
"$ilvex" --export-lists - 2>"$work/export-err" | import -
check "export to stdout imports again" [ "$code" -eq 0 ]
check "the store's line went to stderr" grep -q '^\[Ilvex\] lists.json corrupt' "$work/export-err"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
