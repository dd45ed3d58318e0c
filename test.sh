#!/usr/bin/env bash
# Installs what is missing, builds Zarvok and runs every test through CTest.
set -euo pipefail
cd "$(dirname "$0")"

ZARVOK_WITH_E2E=1 ./tools/install-deps.sh

build_dir=${ZARVOK_BUILD_DIR:-build}
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build "$build_dir" -j "$jobs"
ctest --test-dir "$build_dir" --output-on-failure -j "$jobs" "$@"
