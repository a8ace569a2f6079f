#!/usr/bin/env bash
# Test of scripts/steps.sh: what the summary says and the status it gives
# for steps that pass, fail and skip, with and without CI=true.
set -uo pipefail
steps=$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/steps.sh
failures=0

# run_case CI STEPS_SCRIPT: the summary's output and status, "status=N" last.
# A step's duration is written as "T s": a step may end in the next second.
run_case() {
  CI=$1 bash -c "source '$steps'; $2; summary; echo status=\$?" 2>&1 |
    sed -E 's/[0-9]+ s\)$/T s)/'
}

# expect NAME CI STEPS_SCRIPT TEXT...: every TEXT is a line of the output.
expect() {
  local name=$1 ci=$2 script=$3 out text
  shift 3
  out=$(run_case "$ci" "$script")
  for text in "$@"; do
    if ! grep -qxF -- "$text" <<<"$out"; then
      echo "FAIL: $name: no line \"$text\" in:"
      awk '{ print "    " $0 }' <<<"$out"
      failures=$((failures + 1))
      return
    fi
  done
  echo "ok: $name"
}

passing='step one true; step two true'
skipping='step one true; step tool bash -c "echo SKIP: no tool here; exit 77"; skip browser "no browser"'
failing='step one false; step two true; step three bash -c "exit 3"'
in_function='f() { false; echo not reached; }; step fn f'

expect "all passed" false "$passing" "  passed   one (T s)" "all steps passed (2)" "status=0"
expect "skips name their reason" false "$skipping" \
  "  SKIPPED  tool: no tool here" "  SKIPPED  browser: no browser" "passed, but 2 of 3 steps skipped" "status=0"
expect "a skip fails under CI" true "$skipping" \
  "2 of 3 steps skipped: FAILED (CI=true: every step must run)" "status=1"
expect "passes under CI when nothing skipped" true "$passing" "status=0"
expect "a failure does not stop the next step" false "$failing" \
  "  FAILED   one (exit 1, T s)" "  passed   two (T s)" "  FAILED   three (exit 3, T s)" "2 of 3 steps FAILED" "status=1"
expect "a failing command ends its function" false "$in_function" "  FAILED   fn (exit 1, T s)" "status=1"
expect "selection leaves other steps out" false "select_steps tw; $failing" "all steps passed (1)" "status=0"
expect "no step is no pass" false "select_steps nothing; $passing" "no step ran" "status=1"

((failures == 0)) || exit 1
