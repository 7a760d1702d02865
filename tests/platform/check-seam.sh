#!/bin/sh
# Only platform/linux/ and the entry point include the desktop's own headers (X11, xcb, libcanberra, GIO,
# D-Bus) or those of platform/linux/; everything else sees the interfaces of platform/.
cd "$(dirname "$0")/../.." || exit 2
found=$(grep -rlE '#[[:space:]]*include[[:space:]]*[<"](xcb/|X11/|canberra\.h|gio/|QDBus|QtDBus|platform/linux/)' src |
  grep -vE '^src/platform/linux/|^src/(main|front)\.cpp$')
[ -z "$found" ] && exit 0
echo "outside platform/linux/: $found"
exit 1
