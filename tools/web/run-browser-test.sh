#!/usr/bin/env bash
# The browser test as CTest runs it: the browser build in build-web/web, served by the score
# server, played in Debian's headless Chromium. Reports itself skipped (77) with the reason when a
# part cannot be had.
#   run-browser-test.sh SERVER_BINARY UNIT_TESTS_BINARY OUTPUT_DIR
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)
server=$1
unit_tests=$2
out=$3
web=${ZARVOK_WEB_BUILD_DIR:-$source_dir/build-web}/web
skip() {
  echo "SKIPPED: $*"
  exit 77
}

[ -f "$web/zarvok.wasm" ] || skip "no browser build in $web (./build-web.sh makes it; ./test.sh runs it when Emscripten can be installed)"
[ -x /usr/bin/chromium ] || skip "Chromium is not installed (apt-get install chromium)"
command -v node >/dev/null || skip "Node.js is not installed"
modules=$("$here/node-modules.sh") || skip "puppeteer-core could not be installed from npm"

rm -rf "$out"
mkdir -p "$out/desktop"
# The desktop game's own splash, drawn by the same code on the headless platform, to compare with.
ZARVOK_ART_PREVIEW="$out/desktop" "$unit_tests" --gtest_filter='ArtPreview.Screens' >/dev/null ||
  echo "the desktop previews could not be drawn"
NODE_PATH="$modules" exec node "$here/browser-test.js" --server "$server" --play "$web" --out "$out" \
  --reference "$out/desktop" --play-seconds "${ZARVOK_WEB_PLAY_SECONDS:-30}"
