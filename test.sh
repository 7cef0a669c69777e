#!/usr/bin/env bash
# Builds the native and the Windows preset and runs every test: native tests directly,
# Windows tests under Wine on a virtual display. Installs missing Debian packages first.
# Exits non-zero when anything fails to build or any test fails.
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD

tools/ensure-packages.sh cmake make g++ googletest g++-mingw-w64-x86-64-posix \
  binutils-mingw-w64-x86-64 wine wine64 xvfb xauth fp-utils python3 apache2-bin

cmake --preset native >/dev/null
cmake --build --preset native
cmake --preset windows >/dev/null
cmake --build --preset windows

rm -rf build/native/test-reports build/windows/test-reports
source tools/wine-session.sh
trap wine_session_stop EXIT
wine_session_start "$root/build/windows/wineprefix"

status=0
ctest --preset native || status=1
ctest --preset windows || status=1
wine_session_stop

# One closing line over both builds, counted from the test programs' own reports.
passed=0; failed=0
for report in build/native/test-reports/*.xml build/windows/test-reports/*.xml; do
  [ -f "$report" ] || continue
  head=$(grep -m1 '<testsuites ' "$report")
  tests=$(sed -E 's/.* tests="([0-9]+)".*/\1/' <<<"$head")
  failures=$(sed -E 's/.* failures="([0-9]+)".*/\1/' <<<"$head")
  errors=$(sed -E 's/.* errors="([0-9]+)".*/\1/' <<<"$head")
  disabled=$(sed -E 's/.* disabled="([0-9]+)".*/\1/' <<<"$head")
  passed=$((passed + tests - failures - errors - disabled))
  failed=$((failed + failures + errors))
done
if [ "$status" -ne 0 ] && [ "$failed" -eq 0 ]; then failed=1; fi
echo "tests: $passed passed, $failed failed"
exit "$status"
