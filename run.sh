#!/usr/bin/env bash
# Runs Tarnwick under Wine with a sample Apache configuration.
#   ./run.sh [FILE...]   opens the files (default: a copy of the Apache 1.3 httpd.conf)
# With a display ($DISPLAY set) the editor opens there and runs until you close it. Without
# one it runs on a virtual display, a screenshot of the main window is saved, and it stops.
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD
tools/ensure-packages.sh cmake make g++ googletest g++-mingw-w64-x86-64-posix \
  binutils-mingw-w64-x86-64 wine wine64 xvfb xauth imagemagick fp-utils
cmake --preset windows >/dev/null
cmake --build --preset windows --target Tarnwick

work=$(mktemp -d)
files=()
if [ $# -eq 0 ]; then
  cp testdata/apache-1.3-final/httpd.conf-dist-win "$work/httpd.conf"
  set -- "$work/httpd.conf"
fi
for file in "$@"; do files+=("Z:$(realpath "$file" | tr / '\\')"); done

if [ -n "${DISPLAY:-}" ]; then
  export WINEPREFIX="$root/build/windows/wineprefix" WINEDEBUG=-all
  wine build/windows/editor/Tarnwick.exe "${files[@]}"
  exit 0
fi

source tools/wine-session.sh
trap 'wine_session_stop; rm -rf "$work"' EXIT
wine_session_start "$root/build/windows/wineprefix"
wine build/windows/editor/Tarnwick.exe "${files[@]}" >/dev/null 2>&1 &
editor=$!
sleep 6
mkdir -p build/screenshots
shot="$root/build/screenshots/tarnwick.png"
import -window root -crop 640x480+0+0 "$shot"
kill "$editor" 2>/dev/null || true
echo "Screenshot of the main window: $shot"
