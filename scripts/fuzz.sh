#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ and runs each for a bounded time:
#   scripts/fuzz.sh [seconds per target, default 60]
# Fails on any crash, leak, hang or sanitizer report. Without clang's
# libFuzzer it installs it when run as root, and otherwise skips.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
jobs=$(nproc 2>/dev/null || echo 2)
build=build-fuzz
targets=(field_reader compile)

# True when clang++ can link a libFuzzer target.
have_libfuzzer() {
  local probe
  probe=$(mktemp -d)
  printf 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }\n' >"$probe/p.cc"
  local ok=1
  command -v clang++ >/dev/null 2>&1 && clang++ -fsanitize=fuzzer "$probe/p.cc" -o "$probe/p" >/dev/null 2>&1 && ok=0
  rm -rf "$probe"
  return $ok
}

if ! have_libfuzzer; then
  if [ "$(id -u)" = 0 ] && command -v apt-get >/dev/null 2>&1; then
    echo "installing clang and the libFuzzer runtime"
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends clang libclang-rt-14-dev >/dev/null || true
  fi
  if ! have_libfuzzer; then
    echo "SKIP fuzzing: clang++ with the libFuzzer runtime (clang, libclang-rt-14-dev) is not available"
    exit 0
  fi
fi

CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSCENARIO_FUZZ=ON \
  -DSCENARIO_TESTS=OFF >/dev/null
cmake --build "$build" -j"$jobs" --target field_reader_fuzz compile_fuzz fuzz_seed_writer

seeds="$build/fuzz-seeds"
"$build/bin/fuzz_seed_writer" "$seeds"

status=0
for t in "${targets[@]}"; do
  # New inputs go to the first corpus directory; the committed seeds stay
  # as they are.
  work="$build/fuzz-corpus/$t"
  artifacts="$build/fuzz-artifacts"
  log="$build/fuzz-$t.log"
  mkdir -p "$work" "$artifacts"
  echo "fuzzing $t for ${seconds}s"
  rc=0
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "$build/bin/${t}_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$artifacts/$t-" \
    "$work" "fuzz/corpus/$t" "$seeds/$t" >"$log" 2>&1 || rc=$?
  grep -E '^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)' "$log" | sed 's/^/  /' || true
  if [ "$rc" -ne 0 ] || grep -qE 'ERROR:|runtime error:' "$log"; then
    echo "FAIL: $t (exit $rc); log $log, reproducer in $artifacts/"
    grep -E -A30 'ERROR:|runtime error:' "$log" | head -60 || tail -40 "$log"
    status=1
  fi
done
exit $status
