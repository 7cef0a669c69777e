# Sourced by the scripts that run Windows programs: a virtual display and one wineserver
# for a private Wine prefix, both stopped by wine_session_stop.
#   wine_session_start PREFIX   (exports DISPLAY, WINEPREFIX, WINEDEBUG)

wine_session_start() {
  export WINEPREFIX="$1" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  local display=90
  while [ -e "/tmp/.X${display}-lock" ] || [ -e "/tmp/.X11-unix/X${display}" ]; do display=$((display + 1)); done
  Xvfb ":${display}" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  WINE_SESSION_XVFB=$!
  export DISPLAY=":${display}"
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display}" ] && break; sleep 0.1; done
  mkdir -p "$WINEPREFIX"
  # One persistent server for the whole run; it must come first, as wineboot starts its own.
  wineserver -p 2>/dev/null || true  # an earlier server of this prefix serves as well
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Initialising Wine prefix $WINEPREFIX"
    wineboot -i </dev/null >/dev/null 2>&1 || true
  fi
  # Start the prefix's services now, with no terminal or pipe of ours: services inherit the
  # standard handles of the process that starts them, and would hold a test runner's pipe open.
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
  # With no window manager on the virtual display, managed windows make Wine wait seconds
  # for every hide and destroy; unmanaged ones do not.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1 || true
}

wine_session_stop() {
  [ -n "${WINEPREFIX:-}" ] && wineserver -k 2>/dev/null || true
  if [ -n "${WINE_SESSION_XVFB:-}" ]; then
    kill "$WINE_SESSION_XVFB" 2>/dev/null || true
    wait "$WINE_SESSION_XVFB" 2>/dev/null || true
    WINE_SESSION_XVFB=""
  fi
}
