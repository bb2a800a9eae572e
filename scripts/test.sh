#!/usr/bin/env bash
# Builds everything and runs every test: once in a normal build, once under
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
jobs="$(nproc)"
export QT_QPA_PLATFORM=offscreen
# Where a slow run spends its time, in the log.
phase() { echo "== $1 after ${SECONDS} s"; }

# Line tables (-g1) are enough for the backtraces of a failing run and cost far less to build
# than full debug information; files compiled a few to a unit (KORVID_UNITY) parse the shared
# headers once per unit.
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DKORVID_UNITY=ON
cmake -S "$root" -B "$root/build-sanitize" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS_DEBUG="-g1" -DKORVID_SANITIZE=ON -DKORVID_BENCHMARKS=OFF -DKORVID_UNITY=ON
phase "set-up and configuring done"
cmake --build "$root/build" -j "$jobs"
phase "normal build done"

# Many tests spend their time waiting for a program, a timer or a child process, so the sanitizer
# build compiles meanwhile, at a lower priority so that the tests keep the processors they need.
log="$root/build-sanitize/build.log"
# A session of its own, so that a failing test run stops the compilers too.
setsid nice -n 15 cmake --build "$root/build-sanitize" -j "$jobs" >"$log" 2>&1 &
sanitize_build=$!
stop_sanitize_build() { kill -- -"$sanitize_build" 2>/dev/null || true; }
trap stop_sanitize_build EXIT

ctest --test-dir "$root/build" -j "$jobs" --output-on-failure --timeout 300
phase "normal tests done"

echo "Waiting for the sanitizer build (log: $log)"
if ! wait "$sanitize_build"; then
  cat "$log"
  exit 1
fi
trap - EXIT
tail -n 1 "$log"
phase "sanitizer build done"

ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
LSAN_OPTIONS=suppressions="$root/scripts/lsan.supp" \
  ctest --test-dir "$root/build-sanitize" -j "$jobs" --output-on-failure --timeout 600
phase "sanitizer tests done"
