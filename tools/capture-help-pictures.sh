#!/usr/bin/env bash
# Takes the help file's pictures from the editor as it is now built (help_pictures.exe under
# Wine, on a virtual display). When that cannot run, says so and uses the committed pictures:
# the build never fails for want of Wine.
#   capture-help-pictures.sh OUT_DIR CONF_DIR REGISTRY_TSV HELP_PICTURES_EXE COMMITTED_DIR PREFIX
set -u
out=$1 conf=$2 registry=$3 exe=$4 committed=$5 prefix=$6

rm -rf "$out"
mkdir -p "$out"
use_committed() {
  echo "help pictures: $1; the help file uses the committed pictures of $committed"
  cp -n "$committed"/*.png "$out"/
  exit 0
}
command -v wine >/dev/null && command -v Xvfb >/dev/null || use_committed "Wine or Xvfb is not installed"

windows_path() { printf 'Z:%s' "${1//\//\\}"; }
source "$(dirname "$0")/wine-session.sh"
wine_session_start "$prefix" >/dev/null 2>&1
wine "$exe" "$(windows_path "$out")" "$(windows_path "$conf")" "$(windows_path "$registry")" </dev/null 2>/dev/null
status=$?
wine_session_stop
missing=0
for picture in "$committed"/*.png; do [ -f "$out/$(basename "$picture")" ] || missing=$((missing + 1)); done
[ "$status" -eq 0 ] && [ "$missing" -eq 0 ] && exit 0
use_committed "the capture ended with $status, $missing pictures missing"
