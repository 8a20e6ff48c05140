# Sourced by ./run and ./test: the project's own 32-bit Wine prefix under build/, a display
# (Xvfb started here when there is none, stopped on exit), and one wineserver kept alive for the
# whole run, since Debian's wrapper otherwise stops it after every program.
#
# ./test also starts a second, 64-bit prefix (start_wine64), where our 32-bit programs run under
# WoW64 as on today's Windows: two registry views, two Program Files folders. It has the same
# settings, a wineserver of its own and a virtual screen of its own, so that its desktop window
# never covers or takes the focus from the 32-bit prefix's, whose tests run at the same time.
# Programs reach it through scripts/wine64.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# ./test keeps a prefix of its own, so that the demo AutoCAD of ./run never meets the tests.
export WINEPREFIX="${TOLVEK_WINEPREFIX:-$root/build/wineprefix}"
export WINEARCH=win32
export WINEDEBUG=-all
# Wine takes its ANSI code page from the locale: an English one gives 1252, so è and ® show right.
unset LC_ALL
export LANG=en_US.UTF-8
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"

wine_cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "${XVFB_PID:-}" ]; then kill "$XVFB_PID" >/dev/null 2>&1 || true; fi
  if [ -n "${WINE64_STARTED:-}" ]; then in_wine64 wineserver -k >/dev/null 2>&1 || true; fi
  if [ -n "${XVFB64_PID:-}" ]; then kill "$XVFB64_PID" >/dev/null 2>&1 || true; fi
}

# Starts Xvfb on the first free display number from 90, leaving its name in STARTED_XVFB_DISPLAY
# and its process id in STARTED_XVFB_PID.
start_xvfb() {
  local n
  for n in $(seq 90 120); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    STARTED_XVFB_PID=$!
    STARTED_XVFB_DISPLAY=":$n"
    for _ in $(seq 50); do
      DISPLAY=":$n" xdpyinfo >/dev/null 2>&1 && return
      sleep 0.1
    done
  done
  echo "Could not start Xvfb" >&2
  return 1
}

start_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return; fi
  start_xvfb
  XVFB_PID=$STARTED_XVFB_PID
  export DISPLAY=$STARTED_XVFB_DISPLAY
}

# Creates the prefix WINEPREFIX of architecture WINEARCH once, with the settings every test relies
# on, and stamps it.
prepare_prefix() {
  local stamp="$WINEPREFIX/.tolvek-prefix-ready"
  if [ ! -f "$stamp" ]; then
    echo "Creating the ${WINEARCH#win}-bit Wine prefix in $WINEPREFIX (once)..."
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1
    # A virtual desktop: Wine manages the windows itself, so frames and maximizing behave as on
    # Windows. Times New Roman and Arial are served by their metric-compatible Liberation fonts.
    cat >"$WINEPREFIX/tolvek.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1280x1024"

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Times New Roman"="Liberation Serif"
"Arial"="Liberation Sans"
"Courier New"="Liberation Mono"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000
REG
    wine regedit /S "$(winepath -w "$WINEPREFIX/tolvek.reg" 2>/dev/null)" >/dev/null 2>&1
    wineserver -w
    touch "$stamp"
  fi
}

# Keeps the prefix's wineserver alive and starts Wine's service processes and the desktop.
start_prefix_services() {
  wineserver -p >/dev/null 2>&1 || true
  # Wine's own service processes and the desktop start with the first program and inherit its
  # output: start them here, on /dev/null, so a test runner reading a program's output is not
  # kept waiting by them.
  wine cmd.exe /c exit >/dev/null 2>&1 </dev/null || true
  (wine explorer.exe /desktop=Default,1280x1024 >/dev/null 2>&1 </dev/null &)
}

start_wine() {
  trap wine_cleanup EXIT
  start_display
  prepare_prefix
  start_prefix_services
}

# Runs a command, or a function of this file, in the 64-bit prefix's environment; scripts/wine64
# does the same for a program.
in_wine64() {
  (
    export WINEPREFIX="$TOLVEK_WINEPREFIX64" WINEARCH=win64 DISPLAY="$TOLVEK_DISPLAY64"
    "$@"
  )
}

start_wine64() {
  trap wine_cleanup EXIT
  export TOLVEK_WINEPREFIX64="${TOLVEK_WINEPREFIX64:-$root/build/wineprefix64}"
  start_xvfb
  XVFB64_PID=$STARTED_XVFB_PID
  export TOLVEK_DISPLAY64=$STARTED_XVFB_DISPLAY
  WINE64_STARTED=1
  in_wine64 prepare_prefix
  in_wine64 start_prefix_services
}
