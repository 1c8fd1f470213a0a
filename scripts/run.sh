#!/usr/bin/env bash
# Installs what is missing, builds, and runs the program's main job under Wine: Corvane.exe
# from the run layout (sensor stand-in as the server, hidsim as the display) on a 1366x768
# Wine desktop with a taskbar. It prints the trace lines and what the simulated display
# receives, clicks the tray icon, saves a screenshot of the window, and after RUN_SECONDS
# (default 20) closes the window for an ordered shutdown.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${CORVANE_BUILD:-$root/build}"
seconds="${RUN_SECONDS:-20}"
"$root/scripts/setup.sh" || exit 1

run="$build/layout"
. "$root/scripts/wine-env.sh"
wine_env "$build" || exit 1
users="$WINEPREFIX/drive_c/users"
find "$users" -path '*Halvex Files/trace*.log' -delete 2>/dev/null

# What the simulated display receives (when the layout carries hidsim).
export HIDSIM_LOG="$build/run-display.log"
: > "$HIDSIM_LOG"

echo "run: starting Corvane.exe on a 1366x768 desktop (window hidden until the tray icon is clicked)"
( cd "$run" && wine explorer /desktop=corvane,1366x768 Corvane.exe ) >/dev/null 2>&1 &
for _ in $(seq 50); do
  trace=$(find "$users" -path '*Halvex Files/trace.log' 2>/dev/null | head -n 1)
  [ -n "$trace" ] && break
  sleep 0.2
done
echo "run: trace file: ${trace:-none}"
# Both followers end with this script.
[ -n "${trace:-}" ] && tail -n +1 -F --pid=$$ "$trace" 2>/dev/null | sed -u 's/^/trace: /' &
python3 "$root/scripts/show_display.py" "$HIDSIM_LOG" 2>/dev/null &
showpid=$!

# The tray icon sits at the right end of the taskbar: a left click brings the window up.
sleep 4
xdotool mousemove 1356 758 click 1
sleep 2
shot="$build/run-screenshot.png"
import -window root -crop 1366x768+0+0 +repage "$shot" 2>/dev/null && echo "run: screenshot of the window after a tray click: $shot"

for _ in $(seq "$seconds"); do
  pgrep -f Corvane.exe >/dev/null || break
  sleep 1
done
echo "run: closing the main window (ordered shutdown)"
wine taskkill /im Corvane.exe >/dev/null 2>&1
sleep 3
kill $showpid 2>/dev/null
wineserver -k 2>/dev/null || true
echo "run: done"
