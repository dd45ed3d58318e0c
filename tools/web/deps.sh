#!/usr/bin/env bash
# Installs what the browser build needs and builds SDL2 and libxmp for WebAssembly once, from
# Debian's own source packages, into a cache folder outside the tree that later runs reuse.
# Prints the prefix of the built libraries on its last line.
#   ZARVOK_WEB_CACHE  the cache folder (default: ${XDG_CACHE_HOME:-$HOME/.cache}/zarvok-web)
#   ZARVOK_WEB_BROWSER=1  also installs Chromium for the browser tests
set -euo pipefail

# The whole script is read before it runs, so a checkout that changes it meanwhile does no harm.
main() {
log() { echo "[web-deps] $*" >&2; }

# zlib (the game packs its replays with it) from Debian's source package, compiled with emcc into
# the prefix: its few C files need no configure step (the gz* file functions are not needed).
build_zlib() {
  local into=$1 zwork
  zwork=$(mktemp -d "${TMPDIR:-/tmp}/zarvok-zlib.XXXXXX")
  log "building zlib for WebAssembly"
  mkdir -p "$zwork/apt/lists/partial" "$zwork/src"
  printf 'deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm main\n' \
    > "$zwork/apt/sources.list"
  local apt_z=(-o Dir::Etc::SourceList="$zwork/apt/sources.list" -o Dir::Etc::SourceParts=/dev/null
    -o Dir::State::Lists="$zwork/apt/lists" -o APT::Sandbox::User=root)
  apt-get "${apt_z[@]}" update -qq >&2
  (cd "$zwork/src" && apt-get "${apt_z[@]}" source -qq zlib >&2)
  local zsrc
  zsrc=$(find "$zwork/src" -maxdepth 1 -type d -name 'zlib-*' | head -n1)
  mkdir -p "$into/lib" "$into/include"
  (cd "$zsrc" && for f in adler32 compress crc32 deflate infback inffast inflate \
      inftrees trees uncompr zutil; do emcc -O2 -c "$f.c" -o "$zwork/$f.o" >&2; done)
  emar rcs "$into/lib/libz.a" "$zwork"/*.o >&2
  cp "$zsrc/zlib.h" "$zsrc/zconf.h" "$into/include/"
  rm -rf "$zwork"
  touch "$into/.zlib-complete"
}

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
apt_get() { "${sudo_cmd[@]}" apt-get -o DPkg::Lock::Timeout=900 "$@"; }

# node and npm come with the machine's Node.js (Debian's npm conflicts with some builds of it).
packages=(emscripten dpkg-dev cmake ninja-build make gzip)
if [ "${ZARVOK_WEB_BROWSER:-0}" = 1 ]; then packages+=(chromium); fi
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  log "installing: ${missing[*]}"
  apt_get update -qq >&2 || true
  apt_get install -y -qq --no-install-recommends "${missing[@]}" >&2
fi

# Emscripten looks for its own JavaScript modules here.
export NODE_PATH=/usr/share/nodejs
# Debian's own Python for Emscripten's scripts: a python3 found first on the PATH (pyenv's shims)
# costs a second on each of the thousands of compiler runs.
if [ -x /usr/bin/python3 ]; then export EMSDK_PYTHON=/usr/bin/python3; fi

emver=$(dpkg-query -W -f='${Version}' emscripten)
sdlver=$(apt-cache policy libsdl2-dev 2>/dev/null | awk '/Candidate:/ {print $2}')
xmpver=$(apt-cache policy libxmp-dev 2>/dev/null | awk '/Candidate:/ {print $2}')
cache=${ZARVOK_WEB_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/zarvok-web}
prefix="$cache/prefix-em${emver}-sdl${sdlver}-xmp${xmpver}"
prefix=${prefix//[:~+]/_}

if [ -f "$prefix/.complete" ] && [ -f "$prefix/.zlib-complete" ]; then
  echo "$prefix"
  exit 0
fi

# Only one build at a time fills the cache; a second waits for the first.
mkdir -p "$cache"
exec 9>"$cache/.lock"
flock 9
if [ -f "$prefix/.complete" ]; then
  # A prefix made before the game packed its replays has everything but zlib.
  [ -f "$prefix/.zlib-complete" ] || build_zlib "$prefix"
  echo "$prefix"
  exit 0
fi

work=$(mktemp -d "$cache/work.XXXXXX")
trap 'rm -rf "$work"' EXIT

# The sources come through a private apt state, so the machine's source lists are left alone.
log "fetching the sources of libsdl2 and libxmp"
mkdir -p "$work/apt/lists/partial" "$work/src"
printf 'deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm main\n' \
  > "$work/apt/sources.list"
apt_private=(-o Dir::Etc::SourceList="$work/apt/sources.list" -o Dir::Etc::SourceParts=/dev/null
  -o Dir::State::Lists="$work/apt/lists" -o APT::Sandbox::User=root)
apt-get "${apt_private[@]}" update -qq >&2
(cd "$work/src" && apt-get "${apt_private[@]}" source -qq "libsdl2=$sdlver" "libxmp=$xmpver" >&2)

sdl_src=$(find "$work/src" -maxdepth 1 -type d -name 'libsdl2-*' | head -n1)
xmp_src=$(find "$work/src" -maxdepth 1 -type d -name 'libxmp-*' | head -n1)
mkdir -p "$prefix.tmp"
jobs=$(nproc 2>/dev/null || echo 2)

log "building SDL2 for WebAssembly (several minutes, once)"
emcmake cmake -S "$sdl_src" -B "$work/sdl-build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$prefix.tmp" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF \
  -DSDL_THREADS=OFF >&2
cmake --build "$work/sdl-build" -j "$jobs" >&2
cmake --install "$work/sdl-build" >&2

log "building libxmp for WebAssembly"
(cd "$xmp_src" && emconfigure ./configure --host=wasm32-unknown-emscripten --prefix="$prefix.tmp" \
  --enable-static --disable-shared >&2 && emmake make -j "$jobs" >&2 && emmake make install >&2)

build_zlib "$prefix.tmp"
rm -rf "$prefix"
mv "$prefix.tmp" "$prefix"
touch "$prefix/.complete"
log "libraries ready in $prefix"
echo "$prefix"
}
main "$@"
exit
