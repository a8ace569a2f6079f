#!/usr/bin/env bash
# Whole-process compile at two route lengths near the limits of the format,
# against the physical floor: copying the same output files.
#
#   bench/run_benchmark.sh            (RUNS=7 by default; BUILD_DIR, TMPDIR honoured)
#
# Builds Release, generates synthetic definitions of 99 000 m and 990 000 m
# in a temporary directory, then for each length alternates RUNS timed runs
# of `scenario compile` and of `cp` of its three output files into a fresh
# directory. Both are timed the same way, by bench/measure_process (fork to
# reap, monotonic clock; peak RSS from wait4), from a synced, file-free start.
# Prints medians, ratios and PASS/MISS per target; exits 0 even on a MISS.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-bench-release}
runs=${RUNS:-7}
route=Linea_Sintetica
train=9001
lengths=(99000 990000)

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DSCENARIO_BENCH=ON -DSCENARIO_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target scenario generate_definitions measure_process >/dev/null
bin=$build/bin

work=$(mktemp -d "${TMPDIR:-/tmp}/scenario_bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
calc() { awk "BEGIN {printf \"$1\", $2}"; }
verdict() { awk "BEGIN {print ($1) ? \"PASS\" : \"MISS\"}"; }

load=$(cut -d' ' -f1 /proc/loadavg)
outputs=("${route}_linea.dat" "${route}_${train}.sim" "${route}_${train}.dat")
declare -A compile_ms copy_ms compile_min copy_min rss_kib out_bytes
raw=()

for len in "${lengths[@]}"; do
  defs=$work/$len/defs src=$work/$len/src dst=$work/$len/dst
  mkdir -p "$defs" "$src"
  "$bin/generate_definitions" "$defs" "$len" "$route" "$train"
  # The untimed first compile checks that the definitions are valid and
  # leaves the files the copy runs start from.
  if ! "$bin/scenario" compile "$defs" --route "$route" --train "$train"; then
    echo "run_benchmark: the synthetic definitions of $len m do not compile cleanly" >&2
    exit 1
  fi
  for f in "${outputs[@]}"; do mv "$defs/$f" "$src/$f"; done
  out_bytes[$len]=$(cd "$src" && stat -c %s "${outputs[@]}" | awk '{s += $1} END {print s}')

  compile_ns=() copy_ns=() rss=()
  for ((i = 0; i < runs; ++i)); do
    for f in "${outputs[@]}"; do rm -f "$defs/$f"; done
    sync
    read -r ns kib rc < <("$bin/measure_process" "$bin/scenario" compile "$defs" --route "$route" --train "$train" || true)
    if [[ $rc != 0 ]]; then echo "run_benchmark: compile of $len m failed ($rc)" >&2; exit 1; fi
    compile_ns+=("$ns") rss+=("$kib")

    rm -rf "$dst" && mkdir "$dst"
    sync
    read -r ns kib rc < <("$bin/measure_process" cp "${outputs[@]/#/$src/}" "$dst/" || true)
    if [[ $rc != 0 ]]; then echo "run_benchmark: cp failed ($rc)" >&2; exit 1; fi
    copy_ns+=("$ns")
    rm -rf "$dst"
  done
  compile_ms[$len]=$(printf '%s\n' "${compile_ns[@]}" | median | awk '{printf "%.2f", $1 / 1e6}')
  copy_ms[$len]=$(printf '%s\n' "${copy_ns[@]}" | median | awk '{printf "%.2f", $1 / 1e6}')
  compile_min[$len]=$(printf '%s\n' "${compile_ns[@]}" | sort -n | awk 'NR == 1 {printf "%.2f", $1 / 1e6}')
  copy_min[$len]=$(printf '%s\n' "${copy_ns[@]}" | sort -n | awk 'NR == 1 {printf "%.2f", $1 / 1e6}')
  rss_kib[$len]=$(printf '%s\n' "${rss[@]}" | sort -n | tail -1)
  raw+=("$len m: compile ns ${compile_ns[*]}; copy ns ${copy_ns[*]}; peak RSS KiB ${rss[*]}")
done
# What the same program occupies doing no work: the floor under every RSS.
read -r _ base_kib _ < <("$bin/measure_process" "$bin/scenario" --help)

short=${lengths[0]} long=${lengths[1]}
echo
printf '%s\n' "${raw[@]}"
echo "Machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'), $(nproc) CPUs;" \
  "temp files on $(df -PT "$work" | awk 'NR == 2 {print $2}'); load average before the runs $load"
echo "$runs runs each; times are medians, with the fastest run in brackets"
fmt='%-9s %18s %16s %14s %13s %13s %9s %16s\n'
printf "$fmt" length_m compile_ms copy_ms compile/copy peak_RSS_KiB output_bytes RSS/size "(RSS-idle)/size"
for len in "${lengths[@]}"; do
  printf "$fmt" "$len" "${compile_ms[$len]} (${compile_min[$len]})" "${copy_ms[$len]} (${copy_min[$len]})" \
    "$(calc %.2f "${compile_ms[$len]} / ${copy_ms[$len]}") ($(calc %.2f "${compile_min[$len]} / ${copy_min[$len]}"))" \
    "${rss_kib[$len]}" "${out_bytes[$len]}" \
    "$(calc %.2f "${rss_kib[$len]} * 1024 / ${out_bytes[$len]}")" \
    "$(calc %.2f "(${rss_kib[$len]} - $base_kib) * 1024 / ${out_bytes[$len]}")"
done
echo "Idle RSS of the same program (scenario --help): $base_kib KiB"
growth=$(calc %.2f "${compile_ms[$long]} / ${compile_ms[$short]}")
echo "Compile time growth $short m -> $long m: ${growth}x ($(calc %.2f "${compile_min[$long]} / ${compile_min[$short]}")x);" \
  "copy: $(calc %.2f "${copy_ms[$long]} / ${copy_ms[$short]}")x"
echo
echo "Targets (on the medians):"
echo "  compile at $long m <= 1.5 x copy:  $(verdict "${compile_ms[$long]} <= 1.5 * ${copy_ms[$long]}")"
echo "  growth $short -> $long m <= 12x:   $(verdict "$growth <= 12")"
for len in "${lengths[@]}"; do
  echo "  peak RSS <= 1.5 x output at $len m: $(verdict "${rss_kib[$len]} * 1024 <= 1.5 * ${out_bytes[$len]}")"
done
