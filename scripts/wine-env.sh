# Sourced by ./run and ./test: the project's own 32-bit Wine prefix under build/, a display
# (Xvfb started here when there is none, stopped on exit), and one wineserver kept alive for the
# whole run, since Debian's wrapper otherwise stops it after every program.
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
}

start_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return; fi
  local n
  for n in $(seq 90 120); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do
      xdpyinfo >/dev/null 2>&1 && return
      sleep 0.1
    done
  done
  echo "Could not start Xvfb" >&2
  return 1
}

prepare_prefix() {
  local stamp="$WINEPREFIX/.tolvek-prefix-ready"
  if [ ! -f "$stamp" ]; then
    echo "Creating the Wine prefix in $WINEPREFIX (once)..."
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

start_wine() {
  trap wine_cleanup EXIT
  start_display
  prepare_prefix
  wineserver -p >/dev/null 2>&1 || true
  # Wine's own service processes and the desktop start with the first program and inherit its
  # output: start them here, on /dev/null, so a test runner reading a program's output is not
  # kept waiting by them.
  wine cmd.exe /c exit >/dev/null 2>&1 </dev/null || true
  (wine explorer.exe /desktop=Default,1280x1024 >/dev/null 2>&1 </dev/null &)
}
