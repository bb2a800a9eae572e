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

# A few tests spend nearly all their time waiting: a real minute for the backup timer, or the
# time limits of a module or a p-System window that stops answering. They run beside the others
# instead of holding a processor's place each while they sleep; every test still runs once.
waiting='^(TBackupProgramTest\.|ModuleFaults\.|PSystemWindowTest\.RunFailures$)'
run_tests() { # build folder, time limit of one test
  local log="$1/waiting-tests.log" status=0
  # Tests are listed from the programs on first use: once, before two runs would both do it.
  ctest --test-dir "$1" -N >/dev/null
  ctest --test-dir "$1" -j 4 -R "$waiting" --output-on-failure --timeout "$2" >"$log" 2>&1 &
  local waiting_tests=$!
  ctest --test-dir "$1" -j "$jobs" -E "$waiting" --output-on-failure --timeout "$2" || status=1
  wait "$waiting_tests" || status=1
  cat "$log"
  return "$status"
}

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

run_tests "$root/build" 300
phase "normal tests done"

echo "Waiting for the sanitizer build (log: $log)"
if ! wait "$sanitize_build"; then
  cat "$log"
  exit 1
fi
trap - EXIT
tail -n 1 "$log"
phase "sanitizer build done"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions="$root/scripts/lsan.supp"
run_tests "$root/build-sanitize" 600
phase "sanitizer tests done"
