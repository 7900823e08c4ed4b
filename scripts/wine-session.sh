# Sourced by run.sh and test.sh: a display, a warm wineserver and a ready prefix for BUILD_DIR.
# Everything started here is stopped by wine_session_stop.

wine_session_start() {
  local build_dir=$1
  export WINEPREFIX="$build_dir/wineprefix"
  export WINEARCH=win64 WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  QUORVEL_XVFB_PID=
  if [ -z "${DISPLAY:-}" ]; then
    local n
    for n in $(seq 91 140); do
      [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || break
    done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    QUORVEL_XVFB_PID=$!
    export DISPLAY=":$n"
    local i
    for i in $(seq 1 100); do
      xdpyinfo >/dev/null 2>&1 && break
      sleep 0.1
    done
  fi
  # A persistent server, and the prefix booted with all output away from our pipes:
  # otherwise Wine's service processes hold the test runner's output open.
  mkdir -p "$WINEPREFIX"
  wineserver -p >/dev/null 2>&1 </dev/null
  wine_936 wineboot >/dev/null 2>&1 </dev/null
  # Without a window manager (Xvfb) a managed window's destruction waits 2 s for one.
  wine_936 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null
}

# Wine in code page 936, which it takes from the Unix locale.
wine_936() {
  LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 wine "$@"
}

wine_session_stop() {
  [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1 || true
  if [ -n "${QUORVEL_XVFB_PID:-}" ]; then
    kill "$QUORVEL_XVFB_PID" 2>/dev/null || true
    wait "$QUORVEL_XVFB_PID" 2>/dev/null || true
  fi
}
