#!/usr/bin/env bash
# Installs what is missing, builds Zarvok in Release and starts it from its game folder (a
# portable game: its settings stay there). Arguments go to the game, e.g. ./play.sh --window.
set -euo pipefail
cd "$(dirname "$0")"

./tools/install-deps.sh

build_dir=${ZARVOK_BUILD_DIR:-build}
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build "$build_dir" -j "$jobs" --target zarvok
cd "$build_dir/game"
exec ./zarvok "$@"
