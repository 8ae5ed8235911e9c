# Sourced by the test and run scripts: one Xvfb (unless a display is given)
# and one wineserver with a prefix of its own, started here and stopped by
# their own process ids.
#   wine_session_start PREFIX [own-display|use-display|two-monitors]
# (two-monitors: Xorg with the dummy video driver, a 1280 x 1024 primary
# and a 1024 x 768 monitor left of it, which Wine puts at negative
# coordinates, with a gap below the smaller one)
#   wine_session_stop

K3_XVFB_PID=""
K3_WINESERVER_PID=""
K3_XORG_DIR=""

_k3_free_display() {
  local n
  for n in $(seq 91 199); do
    if [ ! -e "/tmp/.X${n}-lock" ] && [ ! -e "/tmp/.X11-unix/X${n}" ]; then
      echo "$n"
      return 0
    fi
  done
  return 1
}

# Waits for the X server just started (K3_XVFB_PID) to open display :$1;
# false when it ended instead.
_k3_wait_x_server() {
  local i
  for i in $(seq 1 100); do
    # Ours once its lock names our server (another session's server may
    # hold the number).
    if [ -e "/tmp/.X11-unix/X$1" ] && [ "$(tr -dc 0-9 <"/tmp/.X$1-lock" 2>/dev/null)" = "$K3_XVFB_PID" ]; then
      kill -0 "$K3_XVFB_PID" 2>/dev/null
      return
    fi
    kill -0 "$K3_XVFB_PID" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

k3_start_xvfb() {
  local n attempt
  # Sessions started at once may pick the same free number: the one that
  # loses the race tries the next.
  for attempt in 1 2 3 4 5; do
    n=$(_k3_free_display) || { echo "no free X display number" >&2; return 1; }
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
    K3_XVFB_PID=$!
    if _k3_wait_x_server "$n"; then
      export DISPLAY=":$n"
      return 0
    fi
    wait "$K3_XVFB_PID" 2>/dev/null || true
    sleep 0.$((RANDOM % 5 + 1))
  done
  echo "Xvfb did not start" >&2
  return 1
}

k3_start_two_monitors() {
  local n dir
  n=$(_k3_free_display) || { echo "no free X display number" >&2; return 1; }
  dir=$(mktemp -d /tmp/k3-xorg.XXXXXX)
  K3_XORG_DIR=$dir
  cat >"$dir/xorg.conf" <<'CONF'
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 256000
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 4096 2048
  EndSubSection
EndSection
Section "ServerFlags"
  Option "AutoAddDevices" "false"
  Option "AutoAddGPU" "false"
  Option "DontVTSwitch" "true"
EndSection
CONF
  Xorg ":$n" -config "$dir/xorg.conf" -noreset -nolisten tcp -novtswitch -sharevts -logfile "$dir/xorg.log" \
    >/dev/null 2>&1 &
  K3_XVFB_PID=$!
  if ! _k3_wait_x_server "$n"; then
    echo "Xorg with the dummy driver did not start (see $dir/xorg.log)" >&2
    return 1
  fi
  export DISPLAY=":$n"
  xrandr --output DUMMY0 --mode 1280x1024 --primary &&
    xrandr --newmode 1024x768_k3 63.50 1024 1072 1176 1328 768 771 775 798 -hsync +vsync &&
    xrandr --addmode DUMMY1 1024x768_k3 &&
    xrandr --output DUMMY1 --mode 1024x768_k3 --left-of DUMMY0 || {
    echo "the two monitors could not be placed" >&2
    return 1
  }
  # A full query makes the server probe its outputs: until then a client
  # that asks for the current layout alone (Wine does) may see one monitor.
  xrandr --query >/dev/null
}

wine_session_start() {
  local prefix=$1 mode=${2:-own-display}
  export WINEPREFIX=$prefix
  export WINEARCH=win64
  export WINEDEBUG=${WINEDEBUG:--all}
  # No Mono or Gecko installer dialogs in a fresh prefix.
  # No Start-menu entries of installed packages in the Unix desktop.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  if [ "$mode" = two-monitors ]; then
    k3_start_two_monitors || return 1
  elif [ "$mode" = own-display ] || [ -z "${DISPLAY:-}" ]; then
    k3_start_xvfb || return 1
  fi
  # Every prefix is a WoW64 prefix (32-bit programs beside the 64-bit
  # ones): one made before the 32-bit Wine was installed has no 32-bit
  # system and is made again.
  if [ -f "$WINEPREFIX/.k3-ready" ] && [ ! -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
    echo "wine-session: making $WINEPREFIX again as a WoW64 prefix"
    rm -rf "$WINEPREFIX"
  fi
  mkdir -p "$WINEPREFIX"
  wineserver -f -p &
  K3_WINESERVER_PID=$!
  _k3_wait_wineserver || return 1
  if [ ! -f "$WINEPREFIX/.k3-ready" ]; then
    echo "wine-session: preparing the Wine prefix $WINEPREFIX"
    # (The server writes the registry files later, when it saves them.)
    if ! wine wineboot -i </dev/null >/dev/null 2>&1 || [ ! -d "$WINEPREFIX/drive_c/windows" ]; then
      echo "wine-session: the Wine prefix could not be prepared" >&2
      return 1
    fi
    if [ ! -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
      echo "wine-session: the Wine prefix has no 32-bit system (scripts/install-deps.sh installs the 32-bit Wine)" >&2
      return 1
    fi
    if [ "$mode" != use-display ]; then
      # Without a window manager Wine waits two seconds for every managed
      # window to be withdrawn; the test display has none.
      if ! wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1; then
        echo "wine-session: the Wine prefix could not be configured" >&2
        return 1
      fi
    fi
    # Only a prefix that was prepared completely is marked ready.
    touch "$WINEPREFIX/.k3-ready"
  fi
  _k3_configure_fonts || return 1
  # The screens' DPI: 96 unless K3_SESSION_DPI asks for another, set at
  # every start so that no session inherits another's.
  if ! wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "${K3_SESSION_DPI:-96}" /f \
    </dev/null >/dev/null 2>&1; then
    echo "wine-session: the DPI of the Wine prefix could not be set" >&2
    return 1
  fi
  # The user's folders (Desktop, Documents, ...) are the prefix's own, not
  # links into the Unix home: what a test installs stays in the prefix.
  local link
  for link in "$WINEPREFIX"/drive_c/users/*/*; do
    if [ -L "$link" ]; then rm -f "$link" && mkdir -p "$link"; fi
  done
  # The prefix's services start with the first Wine program and live as
  # long as the server. Started here, they hold no output of a later
  # program open (ctest would wait for them at its first test otherwise).
  if ! wine wineboot </dev/null >/dev/null 2>&1; then
    echo "wine-session: the Wine services did not start" >&2
    return 1
  fi
}

# The faces the program asks for, mapped to installed fonts (once per
# prefix and version of the settings).
_k3_configure_fonts() {
  local here marker reg
  here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
  marker="$WINEPREFIX/.k3-fonts-$(cksum <"$here/../data/wine-fonts.reg" | cut -d' ' -f1)"
  [ -f "$marker" ] && return 0
  # regedit reads Unicode files as UTF-16 with a byte-order mark.
  reg="$WINEPREFIX/drive_c/k3-fonts.reg"
  { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE "$here/../data/wine-fonts.reg"; } >"$reg"
  if ! wine regedit /S 'C:\k3-fonts.reg' </dev/null >/dev/null 2>&1; then
    echo "wine-session: the fonts of the Wine prefix could not be configured" >&2
    return 1
  fi
  rm -f "$reg" "$WINEPREFIX"/.k3-fonts-*
  touch "$marker"
}

# The wineserver is up once its socket exists, in a folder named after the
# prefix's device and inode numbers (below /tmp/.wine-UID or, for some
# builds of Wine, a /tmp/wine-XXXXXX folder of their own).
_k3_server_socket_exists() {
  local s
  for s in /tmp/.wine-"$(id -u)"/"$1"/socket /tmp/wine-*/"$1"/socket; do
    [ -S "$s" ] && return 0
  done
  return 1
}

_k3_wait_wineserver() {
  local dev ino server i
  read -r dev ino < <(stat -c '%d %i' "$WINEPREFIX")
  server=$(printf 'server-%x-%x' "$dev" "$ino")
  for i in $(seq 1 100); do
    _k3_server_socket_exists "$server" && return 0
    if ! kill -0 "$K3_WINESERVER_PID" 2>/dev/null; then
      # Another server of this prefix may already serve it.
      _k3_server_socket_exists "$server" && return 0
      echo "wine-session: the wineserver did not start" >&2
      return 1
    fi
    sleep 0.1
  done
  echo "wine-session: the wineserver did not come up within 10 s" >&2
  return 1
}

# The user's display when one answers, else one of the session's own:
# prints the mode for wine_session_start (use-display or own-display; with
# own-display it starts an Xvfb and points DISPLAY at it).
wine_display_mode() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    echo use-display
  else
    echo own-display
  fi
}

wine_session_stop() {
  if [ -n "$K3_WINESERVER_PID" ]; then
    # Ends every Wine process of this prefix, then the server itself.
    wineserver -k >/dev/null 2>&1 || true
    kill "$K3_WINESERVER_PID" 2>/dev/null || true
    wait "$K3_WINESERVER_PID" 2>/dev/null || true
    K3_WINESERVER_PID=""
  fi
  if [ -n "$K3_XVFB_PID" ]; then
    kill "$K3_XVFB_PID" 2>/dev/null || true
    wait "$K3_XVFB_PID" 2>/dev/null || true
    K3_XVFB_PID=""
  fi
  # The two-monitor server's configuration and log go with it.
  if [ -n "$K3_XORG_DIR" ]; then
    rm -rf "$K3_XORG_DIR"
    K3_XORG_DIR=""
  fi
}
