#!/usr/bin/env bash
# Builds and runs every test: the unit tests in a plain and in a sanitizer
# (AddressSanitizer + UndefinedBehaviorSanitizer) build, then the Windows
# program cross-built and run under wine, compared byte for byte with the
# Linux program's files; last, a minute of fuzzing per libFuzzer target.
# Between them, the live view of `scenario serve` is checked in headless
# Chromium.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)

step() { printf '\n=== %s\n' "$*"; }

step "unit tests (Debug)"
cmake -S . -B build-debug -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build-debug -j"$jobs"
ctest --test-dir build-debug --output-on-failure -j"$jobs"

step "unit tests (AddressSanitizer + UndefinedBehaviorSanitizer)"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DSCENARIO_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --test-dir build-asan --output-on-failure -j"$jobs"

step "browser check: scenario serve in headless Chromium (fails under CI=true if Chromium or Selenium is missing)"
SCENARIO_BIN=build-debug/bin/scenario scripts/browser_check.sh

step "Windows build under wine"
scripts/windows_check.sh

step "fuzzing (libFuzzer, 60 s per target)"
scripts/fuzz.sh 60

echo
echo "all tests passed"
