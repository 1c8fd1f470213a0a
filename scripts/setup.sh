#!/usr/bin/env bash
# Everything the build needs on a fresh Debian 12 machine (run as root), then the build.
# Idempotent: installed packages, the dependency cache and the build are reused.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${CORVANE_BUILD:-$root/build}"

packages=(g++-mingw-w64-i686-posix libz-mingw-w64-dev wine wine64 wine32:i386
          xvfb xauth xdotool x11-utils imagemagick fonts-liberation fonts-dejavu-core python3-fonttools python3-munkres
          dpkg-dev cmake make googletest)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
command -v python3 >/dev/null || missing+=(python3)
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

"$root/scripts/deps.sh"

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw32.cmake" >/dev/null
fi
cmake --build "$build" -j"$(nproc)"
