#!/usr/bin/env bash
# Installs what is missing, builds Zarvok and runs every test through CTest; then the packages
# (tools/ci/package.sh), the browser build in headless Chromium (tools/ci/web.sh), the threaded
# tests and the score server under ThreadSanitizer (tools/ci/tsan.sh), and the unit tests under
# AddressSanitizer and UndefinedBehaviorSanitizer, each in a build of its own.
#   ZARVOK_SANITIZE=0  skips the sanitizer passes.
#   ZARVOK_TSAN=0      skips only the ThreadSanitizer pass (tools/ci/tsan.sh).
#   ZARVOK_FUZZ=1      also builds the libFuzzer targets with clang and runs each for
#                      ZARVOK_FUZZ_SECONDS (60 by default); off by default for the time it takes.
# Arguments go to the first ctest run.
set -euo pipefail
cd "$(dirname "$0")"

sanitize=${ZARVOK_SANITIZE:-1}
fuzz=${ZARVOK_FUZZ:-0}
ZARVOK_WITH_E2E=1 ZARVOK_WITH_SANITIZERS="$fuzz" ./tools/install-deps.sh

build_dir=${ZARVOK_BUILD_DIR:-build}
jobs=$(nproc 2>/dev/null || echo 2)
# Compiled objects are kept between runs (and between clones: paths are taken relative to the
# checkout), so a second run on the same machine rebuilds only what changed.
compiler_cache=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
  compiler_cache=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release "${compiler_cache[@]}"
cmake --build "$build_dir" -j "$jobs"
ctest --test-dir "$build_dir" --output-on-failure -j "$jobs" -LE web "$@"
ZARVOK_BUILD_DIR="$build_dir" ./tools/ci/package.sh
ZARVOK_BUILD_DIR="$build_dir" ./tools/ci/web.sh

# The tests that run threads, under ThreadSanitizer (ZARVOK_SANITIZE=0 skips it too).
if [ "${ZARVOK_TSAN:-$sanitize}" = 1 ]; then ./tools/ci/tsan.sh; fi

# Sanitizer findings end the run: UBSan halts on its first report, LeakSanitizer checks every test
# process at its exit. The data generator links cairo, pango and espeak, whose caches are still
# held when it ends, so the leak check is off while building.
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
if [ "$sanitize" = 1 ]; then
  asan_dir=${ZARVOK_ASAN_BUILD_DIR:-build-asan}
  # GCC's null checks make the compile-time lookups in the menu tables non-constant, which fails
  # the build, so they go; a null access still ends in AddressSanitizer's report. The sanitizers'
  # extra code also brings false buffer-size warnings at -O3: they stay warnings here. The flags
  # have to come after CMake's to win, hence the launcher that appends them.
  mkdir -p "$asan_dir"
  launcher="$PWD/$asan_dir/append-sanitizer-flags"
  cache=$(command -v ccache || true)
  printf '#!/bin/sh\nexec %s "$@" %s\n' "$cache" "-fno-sanitize=null,nonnull-attribute,returns-nonnull-attribute \
-Wno-error=stringop-overflow -Wno-error=array-bounds -Wno-error=stringop-overread \
-Wno-error=maybe-uninitialized" > "$launcher"
  chmod +x "$launcher"
  cmake -S . -B "$asan_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZARVOK_SANITIZE=ON \
    -DZARVOK_BUILD_BENCH=OFF -DZARVOK_BUILD_SERVER=OFF -DCMAKE_CXX_COMPILER_LAUNCHER="$launcher"
  ASAN_OPTIONS=detect_leaks=0 cmake --build "$asan_dir" -j "$jobs" --target zarvok_tests zarvok
  ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1 \
    ctest --test-dir "$asan_dir" -L unit --output-on-failure -j "$jobs"
fi

if [ "$fuzz" = 1 ]; then
  fuzz_dir=${ZARVOK_FUZZ_BUILD_DIR:-build-fuzz}
  CC=clang CXX=clang++ cmake -S . -B "$fuzz_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_CXX_FLAGS_RELEASE="-O1 -g" -DZARVOK_FUZZ=ON -DZARVOK_FUZZ_SECONDS="${ZARVOK_FUZZ_SECONDS:-60}" \
    -DZARVOK_BUILD_BENCH=OFF -DZARVOK_BUILD_SERVER=OFF
  # The settings target reads the pictures of the first build's game folder.
  cmake --build "$fuzz_dir" -j "$jobs" --target picture_archive_fuzz wave_archive_fuzz text_coder_fuzz \
    settings_fuzz xm_module_fuzz replay_fuzz
  ZARVOK_FUZZ_GAME_DIR="$PWD/$build_dir/game" ctest --test-dir "$fuzz_dir" -L fuzz --output-on-failure
fi
