#!/usr/bin/env bash
# Fetches the sources of hidapi and minizip from Debian's source packages and
# cross-builds them for i686 Windows into .deps/ (once; later calls return at once).
#
# apt-get source runs with a private configuration: a deb-src list derived from the
# machine's own apt sources, and private lists and caches below .deps/apt/. The
# machine's apt setup is never touched.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
deps="$root/.deps"
prefix="$deps/i686"
cc=i686-w64-mingw32-gcc-posix
ar=i686-w64-mingw32-ar
stamp="$prefix/.built-v1"
[ -f "$stamp" ] && exit 0

mkdir -p "$deps/apt/lists/partial" "$deps/apt/cache/archives/partial" "$deps/src" "$prefix/lib" "$prefix/include" "$prefix/bin"

# Derive deb-src entries from the machine's sources (one-line and deb822 formats).
src_list="$deps/apt/sources.list"
src_parts="$deps/apt/sources.list.d"
rm -rf "$src_parts"; mkdir -p "$src_parts"
: > "$src_list"
if [ -f /etc/apt/sources.list ]; then
  sed -n -E 's/^[[:space:]]*deb[[:space:]]+/deb-src /p' /etc/apt/sources.list >> "$src_list"
fi
for f in /etc/apt/sources.list.d/*.list; do
  [ -f "$f" ] || continue
  sed -n -E 's/^[[:space:]]*deb[[:space:]]+/deb-src /p' "$f" >> "$src_list"
done
for f in /etc/apt/sources.list.d/*.sources; do
  [ -f "$f" ] || continue
  sed -E 's/^Types:.*/Types: deb-src/' "$f" > "$src_parts/$(basename "$f")"
done

apt_opts=(-o "Dir::Etc::SourceList=$src_list" -o "Dir::Etc::SourceParts=$src_parts"
          -o "Dir::State::Lists=$deps/apt/lists" -o "Dir::Cache=$deps/apt/cache"
          -o "APT::Sandbox::User=root" -o "Debug::NoLocking=1")

cd "$deps/src"
if [ ! -d hidapi ] || [ ! -d minizip ]; then
  apt-get "${apt_opts[@]}" -qq update
  rm -rf hidapi hidapi-* minizip minizip-* ./*.dsc ./*.tar.* ./*.diff.gz
  hv=$(apt-cache "${apt_opts[@]}" showsrc hidapi | sed -n 's/^Version: \(0\.13\.1-.*\)/\1/p' | head -n 1)
  mv=$(apt-cache "${apt_opts[@]}" showsrc minizip | sed -n 's/^Version: \(1\.1-.*\)/\1/p' | head -n 1)
  [ -n "$hv" ] && [ -n "$mv" ] || { echo "deps: hidapi 0.13.1 or minizip 1.1 not found" >&2; exit 1; }
  apt-get "${apt_opts[@]}" -qq --download-only source "hidapi=$hv" "minizip=$mv" >/dev/null
  dpkg-source -x --no-check hidapi_*.dsc hidapi >/dev/null
  dpkg-source -x --no-check minizip_*.dsc minizip >/dev/null
fi

# hidapi: the Windows backend as libhidapi.dll with an import library.
cflags=(-O2 -Wall -DNDEBUG)
$cc "${cflags[@]}" -shared -I hidapi/hidapi -I hidapi/windows hidapi/windows/hid.c \
    -o "$prefix/bin/libhidapi.dll" -Wl,--out-implib,"$prefix/lib/libhidapi.dll.a" \
    -Wl,--add-stdcall-alias -static-libgcc
cp hidapi/hidapi/hidapi.h "$prefix/include/"
[ -f hidapi/windows/hidapi_winapi.h ] && cp hidapi/windows/hidapi_winapi.h "$prefix/include/"

# minizip: the zip reader (unzip.c with the plain file layer), static, on the cross zlib.
mz=minizip
[ -d minizip/contrib/minizip ] && mz=minizip/contrib/minizip
mkdir -p "$deps/obj" "$prefix/include/minizip"
for f in unzip ioapi; do
  $cc "${cflags[@]}" -Wno-unused -c "$mz/$f.c" -o "$deps/obj/$f.o" -DNOCRYPT -DUSE_FILE32API
done
rm -f "$prefix/lib/libminizip.a"
$ar rcs "$prefix/lib/libminizip.a" "$deps/obj/unzip.o" "$deps/obj/ioapi.o"
cp "$mz/unzip.h" "$mz/ioapi.h" "$prefix/include/minizip/"

touch "$stamp"
echo "deps: hidapi and minizip built into $prefix"
