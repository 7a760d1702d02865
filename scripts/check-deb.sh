#!/usr/bin/env bash
# Builds the .deb with CPack, installs it with apt-get (which brings its dependencies), checks that the
# installed `ilvex` and the program behind it start, that its manual page renders and that its login
# item names the installed command, and purges the package again (a user's autostart entry stays).
# Debian 12, as root or with sudo; builds first when build/ is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

if dpkg-query -W -f='${Status}' ilvex 2>/dev/null | grep -q 'install ok installed'; then
  echo "check-deb: an ilvex package is installed already; not replacing it" >&2
  exit 1
fi
[ -d build ] || ./scripts/build.sh --target ilvex ilvex_icons ilvex_manual ilvex_changelog

work=$(mktemp -d)
installed=0
cleanup() {
  [ "$installed" -eq 0 ] || DEBIAN_FRONTEND=noninteractive $SUDO apt-get purge -y -qq ilvex >/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
chmod 755 "$work" # apt reads the package as its own unprivileged user

(cd build && cpack -G DEB -B "$work" >/dev/null)
deb=$(ls "$work"/*.deb)
depends=$(dpkg-deb --field "$deb" Depends)
echo "check-deb: $(basename "$deb"), $(stat -c %s "$deb") bytes, Depends: $depends"
# From the shared libraries (dpkg-shlibdeps), and what the program loads at run time that no library pulls.
for needed in libqt6widgets6 libqt6dbus6 libqt6svg6 libxcb1 libcanberra0 qt6-wayland fonts-material-design-icons-iconfont; do
  case ", $depends," in
    *", $needed"[\ ,\(]*) ;;
    *) echo "check-deb: Depends lacks $needed" >&2; exit 1 ;;
  esac
done
[ "$(grep -o 'libqt6svg6[ ,(]' <<<"$depends, " | wc -l)" -eq 1 ] || { echo "check-deb: libqt6svg6 listed twice" >&2; exit 1; }

DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "$deb" >/dev/null
installed=1

home="$work/home"
mkdir -p "$home" "$work/runtime"
chmod 700 "$work/runtime"
run() {
  env -i PATH=/usr/bin:/bin HOME="$home" XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=offscreen "$@"
}
version=$(run ilvex --version)
echo "check-deb: installed ilvex --version: $version"
[ -n "$version" ]
# The front finds the installed program and the program draws the ring.
run ilvex --screenshot "$work/ring.png"
[ "$(head -c 8 "$work/ring.png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ]
echo "check-deb: the installed program drew $(stat -c %s "$work/ring.png") bytes of PNG"
man -l /usr/share/man/man1/ilvex.1.gz 2>/dev/null | grep -q -- '--import-lists'
echo "check-deb: man ilvex renders"

# "Open at login" from the installed program: the entry starts the installed command, validates, and
# is the user's, so it outlives the package.
mkdir -p "$home/.config/Ilvex"
printf '[General]\nopenAtLogin=true\nshowInMenuBar=false\ncheckForUpdatesAutomatically=false\n' \
  >"$home/.config/Ilvex/Ilvex.conf"
run ilvex --quit >/dev/null 2>&1 || true
run timeout 10 ilvex --about >/dev/null 2>&1 &
entry="$home/.config/autostart/ilvex.desktop"
for _ in $(seq 50); do [ -s "$entry" ] && break; sleep 0.2; done
run ilvex --quit >/dev/null 2>&1 || true
wait || true
grep -qx 'Exec=ilvex' "$entry" && grep -qx 'TryExec=ilvex' "$entry"
desktop-file-validate "$entry"
echo "check-deb: the login item starts the installed command"
DEBIAN_FRONTEND=noninteractive $SUDO apt-get purge -y -qq ilvex >/dev/null
installed=0
[ ! -e /usr/bin/ilvex ] && [ -s "$entry" ]
echo "check-deb: purged; the user's autostart entry is kept"
