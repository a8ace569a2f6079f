# shellcheck shell=bash
# Steps of a test run and their summary; sourced by scripts/test.sh.
#
#   step NAME COMMAND [ARG...]  runs COMMAND (a function or a program), its
#                               output shown as it comes. Exit status 0:
#                               passed; 77: skipped, the reason being the
#                               text after the last "SKIP: " it printed;
#                               anything else: failed.
#   skip NAME REASON            records a step that cannot run here.
#   summary                     one line per step; status 1 when a step
#                               failed or, with CI=true, was skipped.
#
# COMMAND runs in a subshell with `set -e`: the first command of a function
# that fails ends that step, and the next step still runs. Steps whose name
# contains none of the words given to select_steps are left out entirely.

readonly STEP_SKIPPED=77

step_lines=()
step_failed=0
step_skipped=0
step_selection=()

select_steps() { step_selection=("$@"); }

step_selected() {
  local word
  ((${#step_selection[@]} == 0)) && return 0
  for word in "${step_selection[@]}"; do
    [[ "$1" == *"$word"* ]] && return 0
  done
  return 1
}

step() {
  local name=$1
  shift
  step_selected "$name" || return 0
  printf '\n=== %s\n' "$name"
  local log rc start=$SECONDS reason
  log=$(mktemp)
  (set -e; "$@") 2>&1 | tee "$log"
  rc=${PIPESTATUS[0]}
  local took="$((SECONDS - start)) s"
  if ((rc == 0)); then
    step_lines+=("passed   $name ($took)")
  elif ((rc == STEP_SKIPPED)); then
    reason=$(sed -n 's/^.*SKIP: //p' "$log" | tail -n 1)
    step_lines+=("SKIPPED  $name: ${reason:-no reason given}")
    step_skipped=$((step_skipped + 1))
  else
    step_lines+=("FAILED   $name (exit $rc, $took)")
    step_failed=$((step_failed + 1))
  fi
  rm -f "$log"
}

skip() {
  step_selected "$1" || return 0
  printf '\n=== %s\nSKIP: %s\n' "$1" "$2"
  step_lines+=("SKIPPED  $1: $2")
  step_skipped=$((step_skipped + 1))
}

summary() {
  local line
  printf '\n=== summary\n'
  for line in "${step_lines[@]}"; do printf '  %s\n' "$line"; done
  if ((${#step_lines[@]} == 0)); then
    echo "no step ran"
    return 1
  fi
  if ((step_failed > 0)); then
    echo "$step_failed of ${#step_lines[@]} steps FAILED"
    return 1
  fi
  if ((step_skipped > 0)); then
    if [[ "${CI:-}" == true ]]; then
      echo "$step_skipped of ${#step_lines[@]} steps skipped: FAILED (CI=true: every step must run)"
      return 1
    fi
    echo "passed, but $step_skipped of ${#step_lines[@]} steps skipped"
    return 0
  fi
  echo "all steps passed (${#step_lines[@]})"
}
