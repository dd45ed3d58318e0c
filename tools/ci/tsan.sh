#!/usr/bin/env bash
# Runs the tests that start threads (the sound device's audio thread, the HTTP client against a
# loopback server, the score server and its tests) under ThreadSanitizer, in a build of their own.
# Any report fails the run. Called by test.sh; ZARVOK_TSAN=0 there skips it.
set -euo pipefail
cd "$(dirname "$0")/../.."

tsan_dir=${ZARVOK_TSAN_BUILD_DIR:-build-tsan}
jobs=$(nproc 2>/dev/null || echo 2)
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi

# ThreadSanitizer needs the memory layout it was built for; newer kernels randomise more address
# bits than it accepts, so address randomisation is off for everything that runs an instrumented
# program (the build lists the tests by running them) when setarch can do that.
norandom=()
if setarch "$(uname -m)" -R true 2>/dev/null; then norandom=(setarch "$(uname -m)" -R); fi

cmake -S . -B "$tsan_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZARVOK_TSAN=ON \
  -DZARVOK_BUILD_BENCH=OFF "${launcher[@]}"
# The game's thread tests, and the score server with every test program of its folder.
targets=(zarvok_thread_tests)
if [ -f server/CMakeLists.txt ]; then targets+=(server/all); fi
# The build runs the data generator, whose font and picture libraries (not instrumented) trip the
# sanitizer on their own threads; it is a tool, not under test here, so it reports nothing.
TSAN_OPTIONS=report_bugs=0 "${norandom[@]}" cmake --build "$tsan_dir" -j "$jobs" --target "${targets[@]}"
# The cluster test that kills an instance under load waits for a number of acknowledged scores
# within a deadline; at the sanitizer's speed the load never gets there, so it runs in the plain
# pass only.
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/tools/ci/tsan.supp ${TSAN_OPTIONS:-}" \
  "${norandom[@]}" ctest --test-dir "$tsan_dir" -L 'tsan|server' -E '^ClusterTest\.' --output-on-failure -j "$jobs"
