#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test under Wine on Xvfb.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${CORVANE_BUILD:-$root/build}"
"$root/scripts/setup.sh" || exit 1

. "$root/scripts/wine-env.sh"
wine_env "$build" || exit 1
ctest --test-dir "$build" --output-on-failure -j2 "$@"
rc=$?
wineserver -k 2>/dev/null || true
exit $rc
