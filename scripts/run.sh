#!/usr/bin/env bash
# Installs what is missing, builds, lays the program out and runs Corvane.exe under
# Wine for a while (RUN_SECONDS, default 20), showing what it does.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${CORVANE_BUILD:-$root/build}"
seconds="${RUN_SECONDS:-20}"
"$root/scripts/setup.sh" || exit 1

# The run layout: the installed program with the stand-ins (build/layout, made by the build).
run="$build/layout"

. "$root/scripts/wine-env.sh"
wine_env "$build" || exit 1
users="$WINEPREFIX/drive_c/users"
find "$users" -path '*Halvex Files/trace.log*' -delete 2>/dev/null

echo "run: starting Corvane.exe (window hidden until the tray icon is clicked)"
( cd "$run" && wine Corvane.exe ) &
pid=$!
sleep 3
trace=$(find "$users" -path '*Halvex Files/trace.log' 2>/dev/null | head -n 1)
echo "run: trace file: ${trace:-none yet}"
[ -n "$trace" ] && tail -n +1 -f "$trace" --pid=$pid &
tailpid=$!
for _ in $(seq "$seconds"); do
  kill -0 $pid 2>/dev/null || break
  sleep 1
done
if kill -0 $pid 2>/dev/null; then
  echo "run: closing the main window after ${seconds}s (ordered shutdown)"
  wine taskkill /im Corvane.exe >/dev/null 2>&1
fi
wait $pid; rc=$?
kill $tailpid 2>/dev/null
echo "run: Corvane.exe exited with code $rc"
wineserver -k 2>/dev/null || true
