# shellcheck shell=bash
# Sourced by run.sh and the screenshot scripts, after wine-session.sh and wine_session_start:
# Quorvel inside Wine's virtual desktop, driven by quorvel_drive, and screenshots of it.
# Without a window manager (Xvfb) only the virtual desktop draws title bars.

QUORVEL_DESKTOP=Quorvel
QUORVEL_DESKTOP_SIZE=1024x768
QUORVEL_DESKTOP_PID=

# Wine draws the title-bar buttons with the Marlett font, from the fonts-wine package. Debian's
# Wine 8 looks for those fonts in a folder that does not exist, so the prefix gets its own copy;
# without it the buttons show as the letters "0 1 r".
desktop_fonts() {
  local marlett=/usr/share/wine/fonts/marlett.ttf
  local fonts="$WINEPREFIX/drive_c/windows/Fonts"
  if [ -f "$marlett" ] && [ ! -f "$fonts/marlett.ttf" ]; then
    mkdir -p "$fonts" && cp "$marlett" "$fonts/"
  fi
}

# Runs quorvel_drive (BUILD_DIR/tools) inside the virtual desktop, with the given options.
desktop_drive() {
  wine_936 "$BUILD_DIR/tools/quorvel_drive.exe" --desktop "$QUORVEL_DESKTOP" "$@" \
    </dev/null 2>/dev/null
}

# Starts BUILD_DIR/out/Quorvel.exe in the virtual desktop; returns once its window is painted.
desktop_start() {
  desktop_fonts
  local exe
  exe=$(wine_936 winepath -w "$BUILD_DIR/out/Quorvel.exe" 2>/dev/null </dev/null)
  wine_936 explorer "/desktop=$QUORVEL_DESKTOP,$QUORVEL_DESKTOP_SIZE" "$exe" \
    >/dev/null 2>&1 </dev/null &
  QUORVEL_DESKTOP_PID=$!
  if ! desktop_drive --attach >/dev/null; then
    echo "Quorvel's window did not appear" >&2
    return 1
  fi
  desktop_settle
}

# Gives the window time to paint what it was just told to show.
desktop_settle() {
  sleep 1
}

# The X window id of the virtual desktop.
desktop_window_id() {
  xwininfo -root -tree | grep -F "\"$QUORVEL_DESKTOP - Wine desktop\":" | awk '{ print $1; exit }'
}

# The main window's geometry inside the desktop, as WIDTHxHEIGHT+X+Y.
desktop_main_window_geometry() {
  xwininfo -root -tree |
    awk '$2 == "\"Quorvel\":" && $3 == "(\"quorvel.exe\"" { print $5; exit }'
}

# Writes a PNG of the whole virtual desktop, or with "window" of the main window only.
desktop_screenshot() {
  local file=$1 part=${2:-desktop}
  local id crop=(+repage)
  id=$(desktop_window_id)
  if [ -z "$id" ]; then
    echo "no virtual desktop on display $DISPLAY" >&2
    return 1
  fi
  if [ "$part" = window ]; then
    local geometry
    geometry=$(desktop_main_window_geometry)
    if [ -z "$geometry" ]; then
      echo "Quorvel's window is not in the virtual desktop" >&2
      return 1
    fi
    crop=(-crop "$geometry" +repage)
  fi
  mkdir -p "$(dirname "$file")"
  import -window "$id" png:- | convert png:- "${crop[@]}" "png:$file"
}

# Closes the program (its window must have no message box up) and waits for the desktop to end.
desktop_close() {
  desktop_drive --attach --close >/dev/null || true
  if [ -n "$QUORVEL_DESKTOP_PID" ]; then
    local _
    for _ in $(seq 1 100); do
      kill -0 "$QUORVEL_DESKTOP_PID" 2>/dev/null || break
      sleep 0.1
    done
    wait "$QUORVEL_DESKTOP_PID" 2>/dev/null || true
    QUORVEL_DESKTOP_PID=
  fi
}
