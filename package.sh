#!/usr/bin/env bash
# Builds the Debian packages zarvok_<version>_<arch>.deb and zarvok-score-server_<version>_<arch>.deb
# into build/packages/ (the program in /usr/games, as Debian's policy prefers). Arguments go to cpack.
set -euo pipefail
cd "$(dirname "$0")"

ZARVOK_WITH_PACKAGING=1 ./tools/install-deps.sh

build_dir=${ZARVOK_BUILD_DIR:-build}
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZARVOK_INSTALL_BINDIR=games >/dev/null
cmake --build "$build_dir" -j "$jobs" --target zarvok zarvok-score-server zarvok_data zarvok_desktop_files
rm -rf "$build_dir/packages"
cpack --config "$build_dir/CPackConfig.cmake" -B "$build_dir/packages" "$@"
rm -rf "$build_dir/packages/_CPack_Packages"
ls -l "$build_dir"/packages/*.deb
