#!/usr/bin/env bash
# Builds everything and runs the product as a user gets it: the package's Setup.exe under Wine,
# which installs Tarnwick and starts it.
# With a display ($DISPLAY set) you drive the installer yourself. Without one it runs on a
# virtual display and is driven automatically: it installs into C:\Tarnwick, the editor starts,
# Quick Config runs with the installed presets, and screenshots of the installer and of the
# editor and its help are saved; their paths are printed.
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD
tools/ensure-packages.sh cmake make g++ googletest g++-mingw-w64-x86-64-posix \
  binutils-mingw-w64-x86-64 wine wine64 xvfb xauth imagemagick fp-utils python3
cmake --preset windows >/dev/null
cmake --build --preset windows
package="$root/build/windows/Tarnwick-package"

if [ -n "${DISPLAY:-}" ]; then
  export WINEPREFIX="$root/build/windows/wineprefix" WINEDEBUG=-all
  cd "$package" && exec wine Setup.exe
fi

source tools/wine-session.sh
trap wine_session_stop EXIT
wine_session_start "$root/build/windows/wineprefix"
driver() { wine "$root/build/windows/tools/win_driver.exe" "$@"; }
shots="$root/build/screenshots"
mkdir -p "$shots"

(cd "$package" && wine Setup.exe >/dev/null 2>&1 &)
driver press "Tarnwick legal information..." 1
driver press "Tarnwick setup information..." 1
driver settext "Tarnwick Setup" 1000 'C:\Tarnwick'
sleep 1
import -window root "$shots/installer.png"
driver press "Tarnwick Setup" 1
driver press "Install..." 1
# The installer starts the installed editor; Quick Config fills in the distributed files.
driver command "Kel Tarnwick" 40023
driver wait "Quick Configuration..."
sleep 1
import -window root "$shots/quick-config.png"
driver press "Quick Configuration..." 1
sleep 2
import -window root "$shots/editor.png"
# F1: the help file the installer put beside the editor.
driver command "Kel Tarnwick" 40008
driver wait "Tarnwick Help"
sleep 2
import -window root "$shots/help.png"
echo "Screenshots: $shots/installer.png $shots/quick-config.png $shots/editor.png $shots/help.png"
