# Sourced by the run and test scripts and by the CTest wrapper: the build's own Wine
# prefix on an Xvfb screen, with one persistent wineserver.
#   wine_env <build dir>   exports the environment and makes sure all three are up.

wine_env() {
  local build
  build=$(mkdir -p "$1" && cd "$1" && pwd)
  export WINEPREFIX="$build/wineprefix"
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export DISPLAY="${CORVANE_DISPLAY:-:97}"
  (
    flock 9
    _wine_ensure_xvfb
    _wine_ensure_prefix
    wineserver -p 9>&- 2>/dev/null || true
  ) 9>"$build/.wine-env.lock"
}

_wine_ensure_xvfb() {
  local n=${DISPLAY#:}; n=${n%%.*}
  if [ -S "/tmp/.X11-unix/X$n" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
  rm -f "/tmp/.X11-unix/X$n" "/tmp/.X$n-lock"
  setsid Xvfb "$DISPLAY" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 < /dev/null 9>&- &
  for _ in $(seq 100); do
    xdpyinfo >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "wine-env: Xvfb did not start on $DISPLAY" >&2
  return 1
}

_wine_ensure_prefix() {
  local ready="$WINEPREFIX/.corvane-ready-v3"
  [ -f "$ready" ] && return 0
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i >/dev/null 2>&1 9>&- || true
    wineserver -w  # a new prefix has no persistent server yet: wait for the boot to end
  fi
  # The machine the program is made for: Windows 10.
  wine reg add 'HKCU\Software\Wine' /v Version /d win10 /f >/dev/null 2>&1 9>&-
  # Wine's GDI+ finds no "Arial" family by itself: let the Liberation font stand in.
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /d 'Liberation Sans' /f >/dev/null 2>&1 9>&-
  # Drive R: is an empty folder of the prefix, for tests that need a program at a drive root.
  mkdir -p "$WINEPREFIX/drive_r"
  ln -sfn ../drive_r "$WINEPREFIX/dosdevices/r:"
  touch "$ready"
}
