#!/usr/bin/env bash
# The browser stage of ./test.sh: builds the game for the browser (installing Emscripten, SDL2 and
# libxmp for WebAssembly, and Chromium, when they are missing) and plays it in headless Chromium
# through CTest's "web" label. When the browser build cannot be made, the test reports itself
# skipped with the reason instead of failing the run.
#   ZARVOK_WEB=0  skips the stage.
set -uo pipefail
cd "$(dirname "$0")/../.."
build_dir=${ZARVOK_BUILD_DIR:-build}
[ "${ZARVOK_WEB:-1}" = 0 ] && { echo "web: skipped (ZARVOK_WEB=0)"; exit 0; }

if ! ZARVOK_WEB_BROWSER=1 tools/web/deps.sh >/dev/null; then
  echo "web: Emscripten or Chromium could not be installed; the browser test will report itself skipped"
elif ! ./build-web.sh >/dev/null; then
  echo "web: the browser build failed"
  exit 1
fi
set -e
ctest --test-dir "$build_dir" -L web --output-on-failure
