#!/usr/bin/env bash
# Builds and starts the Zarvok score server: http://127.0.0.1:8642/ by default, scores kept in
# ./score-data. Any option is passed on to the server, e.g. --port 9000 --key Q --data /srv/zarvok
# --address 0.0.0.0 --rate-limit 10 (see --help).
set -euo pipefail
cd "$(dirname "$0")"

./tools/install-deps.sh

build_dir=${ZARVOK_BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
# The game's data too: the server plays each uploaded replay again on it to verify the score.
cmake --build "$build_dir" --target zarvok-score-server zarvok_data
exec "$build_dir/server/zarvok-score-server" --data score-data --game-data "$build_dir/game" "$@"
