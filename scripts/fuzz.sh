#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ and, for each target:
#   1. replays its committed corpus, fuzz/corpus/<target>/, once: every
#      input that ever found a fault stays there, so this part is the same
#      on every run and fails only on a fault come back;
#   2. fuzzes for a bounded time, starting from that corpus and seeds made
#      from the built-in scenario.
#
#   scripts/fuzz.sh [seconds per target, default 60]
#
# Fails on any crash, leak, hang or sanitizer report; the input that caused
# it is kept in $SCENARIO_BUILD_ROOT/fuzz/artifacts/. Without clang's
# libFuzzer it installs it as root (scripts/packages.sh install fuzz), and
# otherwise says "SKIP: ..." and exits 77.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
jobs=$(nproc 2>/dev/null || echo 2)
build=${SCENARIO_BUILD_ROOT:-$PWD/build}/fuzz
targets=(field_reader compile binary_decode serve_request lsp_message packed_scenario osm_extract)

# True when clang++ can link a libFuzzer target.
have_libfuzzer() {
  local probe ok=1
  probe=$(mktemp -d)
  printf 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }\n' >"$probe/p.cc"
  command -v clang++ >/dev/null 2>&1 && clang++ -fsanitize=fuzzer "$probe/p.cc" -o "$probe/p" >/dev/null 2>&1 && ok=0
  rm -rf "$probe"
  return $ok
}

if ! have_libfuzzer; then
  if ((EUID == 0)) && command -v apt-get >/dev/null 2>&1; then
    scripts/packages.sh install fuzz || true
  fi
  if ! have_libfuzzer; then
    echo "SKIP: clang++ cannot link a libFuzzer target (packages: $(scripts/packages.sh list fuzz | paste -sd " "))"
    exit 77
  fi
fi

CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSCENARIO_FUZZ=ON \
  -DSCENARIO_TESTS=OFF >/dev/null
cmake --build "$build" -j"$jobs" --target "${targets[@]/%/_fuzz}" fuzz_seed_writer osm_seed_writer

seeds=$build/seeds
"$build/bin/fuzz_seed_writer" "$seeds"
"$build/bin/osm_seed_writer" tool/import/testdata/monaco.osm.pbf "$seeds/osm_extract"
artifacts=$build/artifacts
mkdir -p "$artifacts"
export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
limits=(-timeout=25 -rss_limit_mb=2048)

# Shows the end of a failed run's log and where its reproducer is.
report_failure() {
  local what=$1 log=$2
  echo "FAIL: $what; log $log, reproducer in $artifacts/"
  grep -E -A30 'ERROR:|runtime error:|Test unit written' "$log" | head -60 || tail -40 "$log"
}

status=0
for t in "${targets[@]}"; do
  corpus=fuzz/corpus/$t
  mapfile -t committed < <(find "$corpus" -type f | LC_ALL=C sort)
  if ((${#committed[@]} == 0)); then
    echo "FAIL: $t has no committed corpus in $corpus"
    status=1
    continue
  fi
  log=$build/$t-replay.log
  echo "replaying $t: ${#committed[@]} inputs of $corpus"
  if ! "$build/bin/${t}_fuzz" "${limits[@]}" -artifact_prefix="$artifacts/$t-" "${committed[@]}" >"$log" 2>&1; then
    report_failure "$t replay" "$log"
    status=1
    continue
  fi

  # New inputs go to the first corpus folder, under the build root; the
  # committed corpus is only read.
  work=$build/corpus/$t
  log=$build/$t.log
  mkdir -p "$work"
  echo "fuzzing $t for ${seconds} s"
  rc=0
  mkdir -p "$seeds/$t"  # a target may have no seeds of the built-in scenario
  "$build/bin/${t}_fuzz" "${limits[@]}" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$artifacts/$t-" "$work" "$corpus" "$seeds/$t" >"$log" 2>&1 || rc=$?
  grep -E '^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)' "$log" | sed 's/^/  /' || true
  if ((rc != 0)) || grep -qE 'ERROR:|runtime error:' "$log"; then
    report_failure "$t (exit $rc)" "$log"
    echo "To keep it: copy the reproducer into $corpus/ under a name that says what it found, fix, commit both."
    status=1
  fi
done
exit $status
