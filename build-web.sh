#!/usr/bin/env bash
# Builds Zarvok for the browser into build-web/web/: the page, zarvok.js, zarvok.wasm and
# zarvok.data (the game folder's pictures, sounds and music), with gzip copies of the large files
# for the score server to send compressed. Serve it with
#   build/server/zarvok-score-server --play build-web/web
# and open http://127.0.0.1:8642/play/.
# Installs what is missing (Emscripten; SDL2 and libxmp built once for WebAssembly into
# ${XDG_CACHE_HOME:-~/.cache}/zarvok-web). The data files come from the desktop build in build/.
#   ZARVOK_BUILD_DIR      the desktop build (default build)
#   ZARVOK_WEB_BUILD_DIR  the browser build (default build-web)
set -euo pipefail
cd "$(dirname "$0")"

prefix=$(tools/web/deps.sh | tail -n1)
./tools/install-deps.sh

native=${ZARVOK_BUILD_DIR:-build}
web=${ZARVOK_WEB_BUILD_DIR:-build-web}
jobs=$(nproc 2>/dev/null || echo 2)

# The pictures, sounds and music are made by the desktop build's generator.
if [ ! -f "$native/CMakeCache.txt" ]; then
  cmake -S . -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=Release
fi
cmake --build "$native" -j "$jobs" --target zarvok_data

# Emscripten finds its own JavaScript modules here.
export NODE_PATH=/usr/share/nodejs
# Debian's own Python for Emscripten's scripts: a python3 found first on the PATH (pyenv's shims)
# costs a second on each of the thousands of compiler runs.
if [ -x /usr/bin/python3 ]; then export EMSDK_PYTHON=/usr/bin/python3; fi
# An empty server address: the page talks to the server that sent it. The libraries are looked up
# anew each time, as the cache folder's name changes with their versions.
emcmake cmake -S . -B "$web" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZARVOK_SCORE_SERVER= \
  -DCMAKE_FIND_ROOT_PATH="$prefix" -DSDL2_DIR="$prefix/lib/cmake/SDL2" \
  -DZARVOK_WEB_DATA_DIR="$PWD/$native/game" -UZARVOK_XMP_LIBRARY -UZARVOK_XMP_INCLUDE >/dev/null
cmake --build "$web" -j "$jobs" --target zarvok_page

# The server sends these gzip copies to browsers that accept them; text it compresses itself.
for file in "$web/web/zarvok.wasm" "$web/web/zarvok.data"; do
  gzip -9 -n -k -f "$file"
done
echo "The browser build is in $web/web:"
ls -l "$web/web"
