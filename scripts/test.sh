#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the plain build (with
# the operator suite: the real window on Xvfb, with and without a window
# manager), then
# the session, view and integration tests under ThreadSanitizer (build-tsan),
# then the same suite as the plain build's under AddressSanitizer +
# UndefinedBehaviorSanitizer (build-asan), then, when clang is present, every
# fuzz target for a short while (ORB_FUZZ_SECONDS in all, default 180; 0 skips
# them). Exit status is non-zero when any of these fails.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
orb_install_deps

# Every build compiles its targets' files in batches (unity builds, see
# cmake/UnityBuild.cmake): most of the time of a fresh build is headers parsed
# and inline code generated again in each file. A build/ for editing one file at a
# time can be configured again with -DCMAKE_UNITY_BUILD=OFF.
unity=-DCMAKE_UNITY_BUILD=ON

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Most of the tests' time is spent waiting: on pseudo-terminals at modem speeds, on
# orb-sim's replies, on timeouts (the plain build's 509 tests used 47 s of CPU in
# 167 s at -j2). ctest starts four tests a core; the tests that compute each take
# one of the "cpus" of ctest's resource file, one a core, so they still run two at
# once on two cores as before (see tests/CMakeLists.txt). The operator suite stays
# at -j2: its keys race a real window manager.
waiting_jobs=$((4 * $(nproc)))
printf '{"version":{"major":1,"minor":0},"local":[{"cpus":[{"id":"0","slots":%d}]}]}\n' \
  "$(nproc)" >"$work/cpus.json"
ctest_waiting=(ctest --output-on-failure -j"$waiting_jobs" --resource-spec-file "$work/cpus.json")

status=0
orb_build build "$unity"
(cd build && "${ctest_waiting[@]}" -LE operator) || status=1
# The real window on its own X servers, driven from outside. Each test is run
# once more when it fails: its keys race a real window manager moving the focus,
# which a loaded machine can lose; a fault of the viewer fails both runs.
(cd build && ctest --output-on-failure -j2 -L operator --repeat until-pass:2) || status=1

# ThreadSanitizer over the programs where threads meet; the integration tests run
# this build's own orb-sim and orbctl, so those are checked too. Only what they need
# is built, and a report ends its process with a failure. The integration tests run
# as one process, where a thread one test leaves behind meets the next: minutes
# spent mostly waiting, so they run while the sanitizer build below compiles, at a
# lower priority than theirs. Their lines are printed once both have ended.
orb_build build-tsan -DORB_TSAN=ON "$unity" -- orbcore orb-sim orbctl test_session test_view test_integration
tsan_log=$work/tsan.log
(cd build-tsan &&
  export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 &&
  ctest --output-on-failure -j2 --no-tests=error -L '^(session|view)$' &&
  bin/test_integration --gtest_brief=1) >"$tsan_log" 2>&1 &
tsan_pid=$!

# Any sanitizer report ends its process with a failure, so ctest sees it. With
# clang, the same tree also builds the fuzz targets (ORB_FUZZ on top of
# ORB_SANITIZE), so the core is not compiled once more for fuzzing; a tree that
# g++ configured before cannot turn into a clang one in place.
asan_options=(-DORB_SANITIZE=ON -DORB_BENCH=OFF "$unity")
with_clang=0
if command -v clang++ >/dev/null; then
  with_clang=1
  asan_options+=(-DORB_FUZZ=ON)
  grep -qs '^CMAKE_CXX_COMPILER:.*clang++' build-asan/CMakeCache.txt ||
    rm -rf build-asan/CMakeCache.txt build-asan/CMakeFiles
fi
asan_built=0
(renice -n 10 "$BASHPID" >/dev/null
  if [ $with_clang = 1 ]; then export CC=clang CXX=clang++; fi
  orb_build build-asan "${asan_options[@]}") && asan_built=1
wait $tsan_pid || status=1
cat "$tsan_log"
[ $asan_built = 1 ] || exit 1
(cd build-asan &&
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1 \
    UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 &&
  "${ctest_waiting[@]}" -LE operator &&
  ctest --output-on-failure -j2 -L operator --repeat until-pass:2) || status=1

fuzz_seconds=${ORB_FUZZ_SECONDS:-180}
if [ $with_clang = 1 ] && [ "$fuzz_seconds" -gt 0 ]; then
  ORB_FUZZ_BUILD=build-asan scripts/fuzz.sh --all "$fuzz_seconds" || status=1
fi
exit $status
