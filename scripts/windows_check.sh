#!/usr/bin/env bash
# Builds the program for Linux and, with MinGW-w64, for Windows; runs each in
# a fresh directory of its own (the .exe under wine on a virtual X display)
# and checks that both runs leave exactly the same files, byte for byte.
# Then the Windows build of the `scenario` tool writes the example
# definitions and compiles them under wine: its three compiled files must be
# the program's, and the definitions must be left in place.
#
# Usage: scripts/windows_check.sh [--screenshot FILE.png]
#
#   --screenshot FILE.png  keep the Windows program's window up for a few
#                          seconds and save a picture of the whole virtual
#                          screen while it shows.
#
# Without wine, xvfb-run or the MinGW-w64 compiler the check is skipped
# (exit 0), unless run as root, in which case they are installed with apt.
set -euo pipefail

readonly PROGRAM=Brenvalo_Morvena_4815
readonly ROUTE=Brenvalo_Morvena
readonly TRAIN=4815
readonly BOOT_TIMEOUT_S=300     # the whole wine session, first prefix set-up included
readonly RUN_TIMEOUT_S=60       # the program's own run, once the prefix exists
readonly HOLD_WINDOW_MS=6000    # how long the window stays up in screenshot mode
readonly SCREENSHOT_SETTLE_S=1  # wait from the first sight of the window to the picture

script_path=$(readlink -f "${BASH_SOURCE[0]}")
readonly script_path
repo=$(dirname "$(dirname "$script_path")")
readonly repo

die() {
  echo "windows_check: FAIL: $*" >&2
  exit 1
}

find_wineserver() {
  local candidate
  for candidate in "$(command -v wineserver || true)" /usr/lib/wine/wineserver64 /usr/lib/wine/wineserver; do
    if [[ -n "$candidate" && -x "$candidate" ]]; then
      echo "$candidate"
      return 0
    fi
  done
  return 1
}

# Waits until something is drawn on the (black) virtual screen while the
# program PID runs, lets the painting settle, and saves the screen to FILE.
take_screenshot() {
  local pid=$1 file=$2 probe colours i
  probe=$(mktemp --suffix=.png)
  for ((i = 0; i < RUN_TIMEOUT_S * 4; i++)); do
    kill -0 "$pid" 2>/dev/null || break
    if import -window root "$probe" 2>/dev/null; then
      colours=$(identify -format '%k' "$probe" 2>/dev/null || echo 0)
      if ((colours > 1)); then
        sleep "$SCREENSHOT_SETTLE_S"
        import -window root "$file" && { rm -f "$probe"; return 0; }
        break
      fi
    fi
    sleep 0.25
  done
  rm -f "$probe"
  echo "windows_check: warning: no window seen, no screenshot taken" >&2
}

# ---------------------------------------------------------------------------
# Inside the virtual display (the script calls itself through xvfb-run):
#   --inside-display PREFIX EXE_DIR TOOL_DIR RESULT_FILE [SCREENSHOT]
# Sets up the wine prefix, runs the program once in EXE_DIR, then the tool
# in TOOL_DIR, and writes "<exit status> <seconds> <tool status>" to
# RESULT_FILE.
# ---------------------------------------------------------------------------
inside_display() {
  local prefix=$1 exe_dir=$2 tool_dir=$3 result_file=$4 screenshot=${5:-}
  export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  # The wine server keeps its socket under TMPDIR; give it one of its own
  # so that nothing is left behind in /tmp.
  mkdir -p "$prefix.tmp"
  export TMPDIR=$prefix.tmp
  local wineserver_cmd
  wineserver_cmd=$(find_wineserver) || die "wineserver not found"

  echo "windows_check: creating the wine prefix"
  local rc=0
  timeout --kill-after=10 "$BOOT_TIMEOUT_S" wine wineboot -i >"$prefix.boot.log" 2>&1 || rc=$?
  if ((rc != 0)); then
    cat "$prefix.boot.log" >&2
    die "wineboot -i failed (status $rc)"
  fi
  timeout --kill-after=10 "$BOOT_TIMEOUT_S" "$wineserver_cmd" -w || true

  local hold=""
  [[ -n "$screenshot" ]] && hold=$HOLD_WINDOW_MS
  echo "windows_check: running $PROGRAM.exe under wine (bound ${RUN_TIMEOUT_S} s)"
  local start=$EPOCHREALTIME
  rc=0
  (
    cd "$exe_dir"
    SCENARIO_HOLD_WINDOW_MS=$hold exec timeout --kill-after=10 "$RUN_TIMEOUT_S" wine "./$PROGRAM.exe"
  ) >"$prefix.run.log" 2>&1 &
  local pid=$!
  if [[ -n "$screenshot" ]]; then
    take_screenshot "$pid" "$screenshot"
  fi
  wait "$pid" || rc=$?
  local end=$EPOCHREALTIME
  if ((rc != 0)); then
    cat "$prefix.run.log" >&2
  fi

  echo "windows_check: running scenario.exe example and compile under wine"
  local tool_rc=0
  (
    cd "$tool_dir"
    timeout --kill-after=10 "$RUN_TIMEOUT_S" wine ./scenario.exe example . &&
      timeout --kill-after=10 "$RUN_TIMEOUT_S" wine ./scenario.exe compile . --route "$ROUTE" --train "$TRAIN"
  ) >"$prefix.tool.log" 2>&1 || tool_rc=$?
  if ((tool_rc != 0)); then
    cat "$prefix.tool.log" >&2
  fi
  "$wineserver_cmd" -k 2>/dev/null || true
  awk -v rc="$rc" -v s="$start" -v e="$end" -v t="$tool_rc" 'BEGIN { printf "%d %.2f %d\n", rc, e - s, t }' >"$result_file"
}

if [[ "${1:-}" == --inside-display ]]; then
  shift
  inside_display "$@"
  exit 0
fi

# ---------------------------------------------------------------------------
# Arguments and tools
# ---------------------------------------------------------------------------
screenshot=""
while (($# > 0)); do
  case "$1" in
    --screenshot)
      (($# >= 2)) || die "--screenshot needs a file name"
      screenshot=$(readlink -f "$2")
      shift 2
      ;;
    -h | --help)
      sed -n '2,13p' "$script_path" | sed 's/^# \{0,1\}//'
      exit 0
      ;;
    *) die "unknown argument: $1" ;;
  esac
done

mingw_cxx() {
  command -v x86_64-w64-mingw32-g++-posix || command -v x86_64-w64-mingw32-g++
}

# command -> apt package that provides it
declare -A tool_package=(
  [cmake]=cmake
  [make]=make
  [g++]=g++
  [wine]="wine wine64"
  [xvfb-run]=xvfb
  [xauth]=xauth
)
[[ -n "$screenshot" ]] && tool_package[import]=imagemagick

missing_packages() {
  local tool
  for tool in "${!tool_package[@]}"; do
    command -v "$tool" >/dev/null 2>&1 || echo "${tool_package[$tool]}"
  done
  mingw_cxx >/dev/null 2>&1 || echo g++-mingw-w64-x86-64-posix
}

mapfile -t missing < <(missing_packages | tr ' ' '\n' | sort -u)
if ((${#missing[@]} > 0)); then
  if ((EUID != 0)); then
    echo "windows_check: SKIP: missing tools; install with: apt-get install ${missing[*]}"
    exit 0
  fi
  echo "windows_check: installing ${missing[*]}"
  apt-get update
  DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}"
  mapfile -t missing < <(missing_packages | tr ' ' '\n' | sort -u)
  ((${#missing[@]} == 0)) || die "still missing after installing: ${missing[*]}"
fi

# ---------------------------------------------------------------------------
# Builds
# ---------------------------------------------------------------------------
jobs=$(nproc 2>/dev/null || echo 2)
linux_build=$repo/build-linux-release
windows_build=$repo/build-windows

echo "windows_check: building for Linux in $linux_build"
cmake -S "$repo" -B "$linux_build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$linux_build" --target "$PROGRAM" -j "$jobs"

echo "windows_check: building for Windows in $windows_build"
cmake -S "$repo" -B "$windows_build" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64.cmake" -DSCENARIO_TESTS=OFF >/dev/null
cmake --build "$windows_build" --target "$PROGRAM" scenario -j "$jobs"

# The program file wherever the build puts it (bin/ or the source's subdirectory).
locate_program() {
  local build=$1 name=$2 found
  found=$(find "$build" -name CMakeFiles -prune -o -type f -name "$name" -print | LC_ALL=C sort | head -n 1)
  [[ -n "$found" ]] || die "no $name in $build"
  echo "$found"
}
linux_program=$(locate_program "$linux_build" "$PROGRAM")
windows_program=$(locate_program "$windows_build" "$PROGRAM.exe")
windows_tool=$(locate_program "$windows_build" scenario.exe)
[[ -x "$linux_program" ]] || die "$linux_program is not executable"

# ---------------------------------------------------------------------------
# Runs, each in a fresh directory
# ---------------------------------------------------------------------------
work=$(mktemp -d "${TMPDIR:-/tmp}/windows_check.XXXXXX")
keep_work=1
cleanup() {
  # Whatever wine left running in this check's own prefix goes with it.
  if [[ -d "$prefix" ]]; then
    local wineserver_cmd
    if wineserver_cmd=$(find_wineserver); then
      WINEPREFIX=$prefix TMPDIR=$prefix.tmp "$wineserver_cmd" -k 2>/dev/null || true
    fi
    rm -rf "$prefix" "$prefix.tmp"
  fi
  if ((keep_work)); then
    echo "windows_check: run directories kept in $work" >&2
  else
    rm -rf "$work"
  fi
}
linux_dir=$work/linux
windows_dir=$work/windows
tool_dir=$work/tool
prefix=$work/wineprefix
trap cleanup EXIT
mkdir "$linux_dir" "$windows_dir" "$tool_dir" "$prefix"
cp "$linux_program" "$linux_dir/"
cp "$windows_program" "$windows_dir/"
cp "$windows_tool" "$tool_dir/"

echo "windows_check: running $PROGRAM on Linux"
linux_rc=0
(cd "$linux_dir" && timeout "$RUN_TIMEOUT_S" "./$PROGRAM") || linux_rc=$?
((linux_rc == 0)) || die "the Linux program ended with status $linux_rc"

result_file=$work/wine_result
session_rc=0
timeout --kill-after=10 "$BOOT_TIMEOUT_S" \
  xvfb-run -a -s "-screen 0 1024x768x24" \
  "$script_path" --inside-display "$prefix" "$windows_dir" "$tool_dir" "$result_file" "$screenshot" || session_rc=$?
if ((session_rc == 124 || session_rc == 137)); then
  die "the wine session did not finish within ${BOOT_TIMEOUT_S} s"
fi
((session_rc == 0)) || die "the wine session failed (status $session_rc)"
[[ -s "$result_file" ]] || die "the wine session left no result"
read -r wine_rc wine_seconds tool_rc <"$result_file"
if ((wine_rc == 124 || wine_rc == 137)); then
  die "$PROGRAM.exe did not end by itself within ${RUN_TIMEOUT_S} s and was killed"
fi
((wine_rc == 0)) || die "$PROGRAM.exe ended with status $wine_rc"
echo "windows_check: $PROGRAM.exe ended by itself with status 0 after ${wine_seconds} s"
[[ -n "$screenshot" ]] && echo "windows_check: screenshot saved to $screenshot"

# ---------------------------------------------------------------------------
# Comparison
# ---------------------------------------------------------------------------
outputs() {  # file names in $1 besides the program, one per line, sorted
  find "$1" -mindepth 1 -maxdepth 1 ! -name "$PROGRAM" ! -name "$PROGRAM.exe" -printf '%f\n' | LC_ALL=C sort
}
listing() {
  local dir=$1 label=$2 name
  echo "windows_check: $label produced:"
  while IFS= read -r name; do
    printf '  %10d  %s\n' "$(stat -c %s "$dir/$name")" "$name"
  done < <(outputs "$dir")
}
listing "$linux_dir" "Linux run"
listing "$windows_dir" "Windows run"

linux_names=$(outputs "$linux_dir")
windows_names=$(outputs "$windows_dir")
[[ -n "$linux_names" ]] || die "the runs produced no files"
if [[ "$linux_names" != "$windows_names" ]]; then
  echo "windows_check: the two runs produced different sets of files (< Linux, > Windows):" >&2
  diff <(echo "$linux_names") <(echo "$windows_names") >&2 || true
  die "file sets differ"
fi
differ=0
while IFS= read -r name; do
  if ! cmp "$linux_dir/$name" "$windows_dir/$name"; then
    differ=1
  fi
done <<<"$linux_names"
((differ == 0)) || die "file contents differ"

echo "windows_check: OK: $(wc -l <<<"$linux_names") files identical byte for byte"

((tool_rc == 0)) || die "scenario.exe example/compile ended with status $tool_rc"
for name in "${ROUTE}_linea.txt" "${ROUTE}_${TRAIN}-.txt"; do
  [[ -f "$tool_dir/$name" ]] || die "scenario.exe compile removed the definition $name"
done
for name in "${ROUTE}_linea.dat" "${ROUTE}_${TRAIN}.sim" "${ROUTE}_${TRAIN}.dat"; do
  cmp "$linux_dir/$name" "$tool_dir/$name" || die "scenario.exe compile wrote a different $name"
done
echo "windows_check: OK: scenario.exe compile under wine wrote the program's three compiled files"
keep_work=0
