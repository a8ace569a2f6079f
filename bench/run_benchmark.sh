#!/usr/bin/env bash
# Whole-process compile at two route lengths near the limits of the format,
# against the physical floor: copying the same output files.
#
#   bench/run_benchmark.sh            (RUNS=7 by default; BUILD_DIR, TMPDIR honoured)
#
# Builds Release, generates synthetic definitions of 99 000 m and 990 000 m
# in a temporary directory, then for each length alternates RUNS runs of
# `scenario compile` and of `cp` of its three output files into a fresh
# directory. Both are measured the same way, by bench/measure_process (fork
# to reap on the monotonic clock; peak RSS and CPU time from wait4), each
# from a synced start with no output file present. Prints medians, ratios
# and PASS/MISS per target (compile at most 1.5 x copy at the longer route,
# aiming at 1.2; growth between the two at most 12 x; peak RSS at most
# 10 MiB at both); exits 0 even on a MISS.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-${SCENARIO_BUILD_ROOT:-$root/build}/bench-release}
runs=${RUNS:-7}
route=Linea_Sintetica
train=9001
lengths=(99000 990000)
# The same memory at every route length: the plan is streamed, never held.
rss_limit_kib=10240

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DSCENARIO_BENCH=ON -DSCENARIO_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target scenario generate_definitions measure_process >/dev/null
bin=$build/bin

work=$(mktemp -d "${TMPDIR:-/tmp}/scenario_bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

# Median and minimum of nanosecond values, in milliseconds: "median min".
ms_stats() {
  printf '%s\n' "$@" | sort -n |
    awk '{v[NR] = $1} END {m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2; printf "%.2f %.2f\n", m / 1e6, v[1] / 1e6}'
}
calc() { awk "BEGIN {printf \"$1\", $2}"; }
verdict() { awk "BEGIN {print ($1) ? \"PASS\" : \"MISS\"}"; }

load=$(cut -d' ' -f1 /proc/loadavg)
outputs=("${route}_linea.dat" "${route}_${train}.sim" "${route}_${train}.dat")
declare -A compile_ms compile_min copy_ms copy_min compile_cpu copy_cpu rss_kib out_bytes
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

  c_ns=() c_cpu=() p_ns=() p_cpu=() rss=()
  for ((i = 0; i < runs; ++i)); do
    for f in "${outputs[@]}"; do rm -f "$defs/$f"; done
    sync
    read -r ns kib rc cpu < <("$bin/measure_process" "$bin/scenario" compile "$defs" --route "$route" --train "$train" || true)
    if [[ $rc != 0 ]]; then echo "run_benchmark: compile of $len m failed ($rc)" >&2; exit 1; fi
    c_ns+=("$ns") c_cpu+=("$cpu") rss+=("$kib")

    rm -rf "$dst" && mkdir "$dst"
    sync
    read -r ns kib rc cpu < <("$bin/measure_process" cp "${outputs[@]/#/$src/}" "$dst/" || true)
    if [[ $rc != 0 ]]; then echo "run_benchmark: cp failed ($rc)" >&2; exit 1; fi
    p_ns+=("$ns") p_cpu+=("$cpu")
    rm -rf "$dst"
  done
  read -r compile_ms[$len] compile_min[$len] < <(ms_stats "${c_ns[@]}")
  read -r copy_ms[$len] copy_min[$len] < <(ms_stats "${p_ns[@]}")
  read -r compile_cpu[$len] _ < <(ms_stats "${c_cpu[@]}")
  read -r copy_cpu[$len] _ < <(ms_stats "${p_cpu[@]}")
  rss_kib[$len]=$(printf '%s\n' "${rss[@]}" | sort -n | tail -1)
  raw+=("$len m, wall ns: compile ${c_ns[*]}; copy ${p_ns[*]}" "$len m, peak RSS KiB: ${rss[*]}")
done
# What the same program occupies doing no work: the floor under every RSS.
read -r _ base_kib _ _ < <("$bin/measure_process" "$bin/scenario" --help)

short=${lengths[0]} long=${lengths[1]}
echo
printf '%s\n' "${raw[@]}"
echo
echo "Machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'), $(nproc) CPUs;" \
  "temp files on $(df -PT "$work" | awk 'NR == 2 {print $2}'); load average before the runs $load"
echo "$runs runs each. Wall: median (fastest run). CPU: median user + system time."
fmt='%-9s %17s %15s %13s %11s %9s %9s\n'
printf "$fmt" length_m compile_ms copy_ms compile/copy compile_CPU copy_CPU CPU_ratio
for len in "${lengths[@]}"; do
  printf "$fmt" "$len" "${compile_ms[$len]} (${compile_min[$len]})" "${copy_ms[$len]} (${copy_min[$len]})" \
    "$(calc %.2f "${compile_ms[$len]} / ${copy_ms[$len]}") ($(calc %.2f "${compile_min[$len]} / ${copy_min[$len]}"))" \
    "${compile_cpu[$len]}" "${copy_cpu[$len]}" "$(calc %.2f "${compile_cpu[$len]} / ${copy_cpu[$len]}")"
done
growth=$(calc %.2f "${compile_ms[$long]} / ${compile_ms[$short]}")
echo "Compile time growth $short m -> $long m: ${growth}x (fastest runs $(calc %.2f "${compile_min[$long]} / ${compile_min[$short]}")x," \
  "CPU $(calc %.2f "${compile_cpu[$long]} / ${compile_cpu[$short]}")x); copy: $(calc %.2f "${copy_ms[$long]} / ${copy_ms[$short]}")x"
echo
fmt='%-9s %13s %13s %15s\n'
printf "$fmt" length_m peak_RSS_KiB output_bytes RSS-idle_KiB
for len in "${lengths[@]}"; do
  printf "$fmt" "$len" "${rss_kib[$len]}" "${out_bytes[$len]}" "$((rss_kib[$len] - base_kib))"
done
echo "Peak RSS is the highest of the runs; idle RSS of the same program (scenario --help): $base_kib KiB"
echo
ratio=$(calc %.2f "${compile_ms[$long]} / ${copy_ms[$long]}")
echo "Targets (wall-time medians):"
echo "  compile at $long m <= 1.5 x copy:    $(verdict "$ratio <= 1.5") (${ratio}x; aim 1.2: $(verdict "$ratio <= 1.2"))"
echo "  growth $short -> $long m <= 12x:     $(verdict "$growth <= 12") (${growth}x)"
for len in "${lengths[@]}"; do
  echo "  peak RSS <= 10 MiB at $len m:       $(verdict "${rss_kib[$len]} <= $rss_limit_kib") (${rss_kib[$len]} KiB)"
done
