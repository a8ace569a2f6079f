#!/usr/bin/env bash
# Builds and runs every test, one step after another, and ends with a
# summary: one line per step, passed, failed, or skipped and why.
#
#   scripts/test.sh [WORD...]   only the steps whose name contains a WORD
#
# Build folders go under $SCENARIO_BUILD_ROOT (default: build/ in the
# checkout), so a read-only checkout can be tested with the builds elsewhere.
# A step that cannot run here (a tool missing) is skipped; with CI=true a
# skipped step fails the run.
#
# Adding a step: a function below or a script that exits 0 when the step
# passed, 77 after printing "SKIP: <why>" when it cannot run here, anything
# else when it failed; then one `step "name" command args...` line at the
# end. See scripts/steps.sh.
set -uo pipefail
cd "$(dirname "$0")/.."
source scripts/steps.sh
export SCENARIO_BUILD_ROOT=${SCENARIO_BUILD_ROOT:-$PWD/build}
export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 TSAN_OPTIONS="halt_on_error=1 suppressions=$PWD/scripts/tsan_suppressions.txt"
jobs=$(nproc 2>/dev/null || echo 2)

# unit_tests FOLDER [CMAKE OPTION...]: configure, build and run the unit
# tests in $SCENARIO_BUILD_ROOT/FOLDER; keeps ctest's output for
# tests_as_unprivileged_user.
unit_tests() {
  local build=$SCENARIO_BUILD_ROOT/$1
  shift
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug "$@" >/dev/null
  cmake --build "$build" -j"$jobs"
  ctest --test-dir "$build" --output-on-failure -j"$jobs" | tee "$build/ctest.log"
}

# tests_as_unprivileged_user FOLDER: the tests that skipped themselves in
# the last unit_tests run of FOLDER (those that need a user whom directory
# permissions bind, which root is not) run again as user nobody, through
# setpriv; there they must run and pass.
tests_as_unprivileged_user() {
  local build=$SCENARIO_BUILD_ROOT/$1
  local skipped
  skipped=$(sed -n 's/^[[:space:]]*[0-9]* - \(.*\) (Skipped)$/\1/p' "$build/ctest.log" | sed 's/  *#.*//')
  if [[ -z "$skipped" ]]; then
    echo "no test skipped itself"
    return 0
  fi
  local names
  names=$(tr '\n' ' ' <<<"$skipped")
  echo "skipped in the run above: $names"
  if ((EUID != 0)); then
    echo "SKIP: tests skipped as user $(id -un), not for want of privileges: $names"
    return "$STEP_SKIPPED"
  fi
  command -v setpriv >/dev/null || { echo "SKIP: no setpriv to run as an unprivileged user"; return "$STEP_SKIPPED"; }
  local tmp log
  tmp=$(mktemp -d)
  log=$tmp/gtest.log
  # A copy of its own, in case the build root is closed to other users.
  cp "$build/bin/scenario_tests" "$tmp/"
  chown -R 65534:65534 "$tmp"
  local rc=0
  TMPDIR=$tmp setpriv --reuid=65534 --regid=65534 --clear-groups \
    "$tmp/scenario_tests" --gtest_filter="$(tr '\n' ':' <<<"$skipped")" | tee "$log" || rc=$?
  local ran
  ran=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\{0,1\}\.$/\1/p' "$log")
  if grep -q '^\[  SKIPPED \]' "$log"; then rc=1; echo "still skipped as user nobody"; fi
  if [[ "$ran" != "$(wc -l <<<"$skipped")" ]]; then rc=1; echo "passed as user nobody: ${ran:-0} of $(wc -l <<<"$skipped")"; fi
  rm -rf "$tmp"
  return "$rc"
}

# Run as root on a machine that lacks them, the packages of every CI group
# are installed first (scripts/packages.txt); a step whose tools are still
# missing says so itself.
if ((EUID == 0)); then
  scripts/packages.sh install --ci || echo "packages: not all could be installed"
fi

select_steps "$@"
step "unit tests (Debug)" unit_tests debug
step "unit tests as an unprivileged user (Debug)" tests_as_unprivileged_user debug
step "unit tests (AddressSanitizer + UndefinedBehaviorSanitizer)" unit_tests asan -DSCENARIO_SANITIZE=ON
step "unit tests as an unprivileged user (sanitizers)" tests_as_unprivileged_user asan
step "unit tests (ThreadSanitizer)" unit_tests tsan -DSCENARIO_TSAN=ON
step "test of the step summary" scripts/steps_test.sh
step "language server with Neovim as its client" scripts/lsp_check.sh "$SCENARIO_BUILD_ROOT/debug/bin/scenario"
step "VS Code package: npm install and TextMate grammar" scripts/grammar_check.sh
step "live view: scenario serve in headless Chromium" scripts/browser_check.sh
step "Windows build, zip and runs under wine" scripts/windows_check.sh
step "fuzzing (libFuzzer: committed corpus, then 60 s per target)" scripts/fuzz.sh 60
summary
