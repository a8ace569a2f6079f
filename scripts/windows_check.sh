#!/usr/bin/env bash
# Builds the program for Linux and, with MinGW-w64, the zip for Windows
# (the program, the `scenario` tool, LEGGIMI.txt and CAMPI.txt); unpacks the zip into a
# fresh folder and runs the program from there under wine on a virtual X
# display, the Linux program in a fresh folder of its own, and checks that
# it ends by itself and that both runs leave the same six files, byte for
# byte. Then, from the same unpacked folder, `scenario.exe example` writes
# the example definitions and `scenario.exe compile` compiles them under
# wine: its three compiled files must be the program's, and the definitions
# must be left in place. Last, `scenario.exe pack` makes a program of an
# author's scenario (the example under other names), which run under wine
# in a fresh folder must write the files `compile` and `documenti` write
# for it. Signed with osslsigncode and a throw-away key made here, each in
# a fresh folder: the program must write its six files, the packed
# program its author's, and a program packed from the signed one too.
# Then programs carrying a paper name `pack` refuses (a trailing dot, the
# program's own endings, device names, another file's name in another case,
# a name not of the scenario's papers), crafted from the packed one, each
# run in a fresh folder beside an author's edited line definition and an
# earlier backup: each must end by itself on its report (the box closes by
# itself under SCENARIO_CLOSE_REPORT_MS), not with status 0, give the
# reason, and leave its folder byte for byte as it was; and `scenario.exe
# pack` must refuse a route name that makes its files a device with status
# 2, writing nothing.
#
# Usage: scripts/windows_check.sh [--screenshot FILE.png]
#
#   --screenshot FILE.png  keep the Windows program's window up for a few
#                          seconds and save a picture of the whole virtual
#                          screen while it shows.
#
# Builds go under $SCENARIO_BUILD_ROOT (default: build/ in the checkout).
# Without wine, xvfb-run, osslsigncode, python3 or the MinGW-w64 compiler the check says
# "SKIP: ..." and exits 77, unless run as root, in which case it installs
# them (scripts/packages.sh install windows).
set -euo pipefail

readonly PROGRAM=Brenvalo_Morvena_4815
readonly ROUTE=Brenvalo_Morvena
readonly TRAIN=4815
readonly BOOT_TIMEOUT_S=300     # the whole wine session, first prefix set-up included
readonly RUN_TIMEOUT_S=60       # the program's own run, once the prefix exists
readonly HOLD_WINDOW_MS=6000    # how long the window stays up in screenshot mode
readonly SCREENSHOT_SETTLE_S=1  # wait from the first sight of the window to the picture
readonly ZIP_NAME=${PROGRAM}-windows
readonly PACKAGE_FILES=("$PROGRAM.exe" CAMPI.txt LEGGIMI.txt scenario.exe)  # in C sort order
readonly OUTPUT_COUNT=6         # files the program writes
readonly EXAMPLE=esempio        # the tool's folder inside the unpacked one
readonly AUTHOR=autore          # an author's scenario, packed by the tool
readonly AUTHOR_ROUTE=Valle
readonly AUTHOR_TRAIN=77
readonly AUTHOR_PROGRAM=${AUTHOR_ROUTE}_${AUTHOR_TRAIN}.exe
readonly PACKED=impacchettato   # a fresh folder the packed program runs in
readonly SIGNED=firmato         # the program signed, run in a folder of its own
readonly SIGNED_PACKED=impacchettato_firmato  # the packed program signed after packing
readonly FROM_SIGNED=da_firmato  # a program packed from the signed one
readonly REFUSED=rifiutati      # packed programs crafted with a paper name pack refuses
readonly REPORT_CLOSE_MS=1000   # how long a report box of those stays up
# Paper names no pack may carry, each with words of the reason the program
# gives: "name|words".
readonly REFUSED_PAPERS=(
  "${AUTHOR_ROUTE}_linea.txt.|punto o uno spazio"      # Windows drops the dot: the line definition
  "${AUTHOR_ROUTE}_linea.txt.1.bak|.N.bak"             # the author's edit kept aside
  "${AUTHOR_ROUTE}_${AUTHOR_TRAIN}_note.txt.part|.part"
  "NUL|dispositivo"
  "aux.txt|dispositivo"
  "COM1.txt|dispositivo"
  "$(tr '[:lower:]' '[:upper:]' <<<"${AUTHOR_ROUTE}_linea.txt")|stesso file"
  "LEGGIMI.txt|foglio dello scenario"
)
# A route name that makes its files the device AUX. Under wine the
# definitions under it are not found (the name means the device), so pack
# refuses them before it judges the names it would write.
readonly DEVICE_ROUTE=aux.x
readonly REFUSED_PACK=$REFUSED/pack  # a fresh folder pack is run in with that route

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

# Writes to OUT the packed program PROGRAM with its first paper renamed
# NAME: the appended scenario (model/packed_scenario.h) rewritten, its size
# and CRC-32 in the trailer made to fit, so that the name alone is wrong.
rename_paper() {
  python3 - "$@" <<'PYTHON'
import struct, sys, zlib
program, name, out = sys.argv[1], sys.argv[2].encode(), sys.argv[3]
data = open(program, "rb").read()
mark = b"SCNPACK\x1a"
if data[-8:] != mark:
    sys.exit(program + " carries no scenario")
size, crc, version = struct.unpack_from("<QII", data, len(data) - 24)
start = len(data) - 24 - size
payload = data[start:len(data) - 24]
if zlib.crc32(payload) != crc or version != 1:
    sys.exit(program + ": a scenario of another version or damaged")
at = 0
for _ in range(2):  # the route name and the train number
    at += 2 + struct.unpack_from("<H", payload, at)[0]
count = struct.unpack_from("<I", payload, at)[0]
at += 4
for _ in range(count):  # kind u8, name u16 + bytes, content u32 + bytes
    kind, size = payload[at], struct.unpack_from("<H", payload, at + 1)[0]
    if kind == 2:
        payload = payload[:at + 1] + struct.pack("<H", len(name)) + name + payload[at + 3 + size:]
        break
    at += 3 + size + 4 + struct.unpack_from("<I", payload, at + 3 + size)[0]
else:
    sys.exit(program + " carries no paper")
trailer = struct.pack("<QII", len(payload), zlib.crc32(payload), 1) + mark
with open(out, "wb") as f:
    f.write(data[:start] + payload + trailer)
PYTHON
}

# Every entry under DIR with its type, size and, for a file, its SHA-256.
snapshot() {
  (cd "$1" && find . -mindepth 1 -printf '%y %s %P\n' | LC_ALL=C sort &&
    find . -type f -print0 | LC_ALL=C sort -z | xargs -0 -r sha256sum)
}

# ---------------------------------------------------------------------------
# Inside the virtual display (the script calls itself through xvfb-run):
#   --inside-display PREFIX PACKAGE_DIR RESULT_FILE KEY_DIR [SCREENSHOT]
# Sets up the wine prefix, runs the program once in PACKAGE_DIR, then the
# tool from there on the folder "esempio", then the programs signed with
# the key and certificate in KEY_DIR, then the programs carrying refused
# paper names and pack with a device route, and writes "<exit status>
# <seconds> <tool status> <signed status> <refused status>" to RESULT_FILE.
# ---------------------------------------------------------------------------
inside_display() {
  local prefix=$1 package_dir=$2 result_file=$3 key_dir=$4 screenshot=${5:-}
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
    cd "$package_dir"
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
    cd "$package_dir"
    timeout --kill-after=10 "$RUN_TIMEOUT_S" wine ./scenario.exe example "$EXAMPLE" &&
      timeout --kill-after=10 "$RUN_TIMEOUT_S" wine ./scenario.exe compile "$EXAMPLE" --route "$ROUTE" --train "$TRAIN" &&
      # An author's scenario packed into a program beside the tool's, run in
      # a fresh folder; the tool's own compile of it for the comparison.
      timeout --kill-after=10 "$RUN_TIMEOUT_S" wine ./scenario.exe example "$AUTHOR" \
        --route "$AUTHOR_ROUTE" --train "$AUTHOR_TRAIN" && mkdir "$PACKED" &&
      timeout --kill-after=10 "$RUN_TIMEOUT_S" wine ./scenario.exe pack "$AUTHOR" \
        --route "$AUTHOR_ROUTE" --train "$AUTHOR_TRAIN" -o "$PACKED/$AUTHOR_PROGRAM" &&
      timeout --kill-after=10 "$RUN_TIMEOUT_S" wine ./scenario.exe compile "$AUTHOR" \
        --route "$AUTHOR_ROUTE" --train "$AUTHOR_TRAIN" &&
      timeout --kill-after=10 "$RUN_TIMEOUT_S" wine ./scenario.exe documenti "$AUTHOR" \
        --route "$AUTHOR_ROUTE" --train "$AUTHOR_TRAIN" &&
      cd "$PACKED" && timeout --kill-after=10 "$RUN_TIMEOUT_S" wine "./$AUTHOR_PROGRAM"
  ) >"$prefix.tool.log" 2>&1 || tool_rc=$?
  if ((tool_rc != 0)); then
    cat "$prefix.tool.log" >&2
  fi

  # Signed as a vendor signs: the program, the packed program after
  # packing, and a program packed from the signed one; each run in a
  # fresh folder of its own.
  echo "windows_check: signing the program and the packed program, running them under wine"
  local signed_rc=0
  sign() { osslsigncode sign -certs "$key_dir/cert.pem" -key "$key_dir/key.pem" -n "$PROGRAM" -in "$1" -out "$2" &&
    osslsigncode verify -CAfile "$key_dir/cert.pem" -in "$2"; }
  (
    # set -e would not hold here (the subshell's status is tested): the
    # steps are chained, so that a failed signature or verification counts.
    cd "$package_dir" &&
      mkdir "$SIGNED" "$SIGNED_PACKED" "$FROM_SIGNED" &&
      sign "$PROGRAM.exe" "$SIGNED/$PROGRAM.exe" &&
      sign "$PACKED/$AUTHOR_PROGRAM" "$SIGNED_PACKED/$AUTHOR_PROGRAM" &&
      timeout --kill-after=10 "$RUN_TIMEOUT_S" wine ./scenario.exe pack "$AUTHOR" \
        --route "$AUTHOR_ROUTE" --train "$AUTHOR_TRAIN" --program "$SIGNED/$PROGRAM.exe" \
        -o "$FROM_SIGNED/$AUTHOR_PROGRAM" &&
      (cd "$SIGNED" && timeout --kill-after=10 "$RUN_TIMEOUT_S" wine "./$PROGRAM.exe") &&
      (cd "$SIGNED_PACKED" && timeout --kill-after=10 "$RUN_TIMEOUT_S" wine "./$AUTHOR_PROGRAM") &&
      (cd "$FROM_SIGNED" && timeout --kill-after=10 "$RUN_TIMEOUT_S" wine "./$AUTHOR_PROGRAM")
  ) >"$prefix.signed.log" 2>&1 || signed_rc=$?
  if ((signed_rc != 0)); then
    cat "$prefix.signed.log" >&2
  fi

  # Programs carrying a paper name pack refuses, crafted from the packed
  # one, each in a fresh folder beside an author's edited line definition
  # and an earlier backup of it: all run at once, each report box closing
  # itself. Then pack with a route name that makes its files a device.
  # What each gave is left beside its folder for the checks below.
  echo "windows_check: running programs carrying refused paper names, and pack with a device route, under wine"
  local refused_rc=0
  (
    # As above, set -e would not hold: each step that must not fail says so.
    cd "$package_dir" && mkdir "$REFUSED" || exit
    local i dir
    for i in "${!REFUSED_PAPERS[@]}"; do
      dir=$REFUSED/$i
      mkdir "$dir" &&
        rename_paper "$PACKED/$AUTHOR_PROGRAM" "${REFUSED_PAPERS[i]%%|*}" "$dir/$AUTHOR_PROGRAM" &&
        { cat "$AUTHOR/${AUTHOR_ROUTE}_linea.txt" && printf 'modificata dall autore\r\n'; } \
          >"$dir/${AUTHOR_ROUTE}_linea.txt" &&
        cp "$AUTHOR/${AUTHOR_ROUTE}_linea.txt" "$dir/${AUTHOR_ROUTE}_linea.txt.1.bak" &&
        snapshot "$dir" >"$dir.before" || exit
    done
    for i in "${!REFUSED_PAPERS[@]}"; do
      (
        cd "$REFUSED/$i"
        status=0
        SCENARIO_CLOSE_REPORT_MS=$REPORT_CLOSE_MS timeout --kill-after=10 "$RUN_TIMEOUT_S" \
          wine "./$AUTHOR_PROGRAM" >"../$i.log" 2>&1 || status=$?
        echo "$status" >"../$i.status"
      ) &
    done
    wait
    for i in "${!REFUSED_PAPERS[@]}"; do
      snapshot "$REFUSED/$i" >"$REFUSED/$i.after" || exit
    done

    mkdir "$REFUSED_PACK" "$REFUSED_PACK/definizioni" &&
      cp "$AUTHOR/${AUTHOR_ROUTE}_linea.txt" "$REFUSED_PACK/definizioni/${DEVICE_ROUTE}_linea.txt" &&
      cp "$AUTHOR/${AUTHOR_ROUTE}_${AUTHOR_TRAIN}-.txt" \
        "$REFUSED_PACK/definizioni/${DEVICE_ROUTE}_${AUTHOR_TRAIN}-.txt" &&
      snapshot "$REFUSED_PACK" >"$REFUSED_PACK.before" || exit
    local status=0
    (cd "$REFUSED_PACK" && timeout --kill-after=10 "$RUN_TIMEOUT_S" wine ../../scenario.exe pack definizioni \
      --route "$DEVICE_ROUTE" --train "$AUTHOR_TRAIN" -o programma.exe) >"$REFUSED_PACK.log" 2>&1 || status=$?
    echo "$status" >"$REFUSED_PACK.status" && snapshot "$REFUSED_PACK" >"$REFUSED_PACK.after"
  ) >"$prefix.refused.log" 2>&1 || refused_rc=$?
  if ((refused_rc != 0)); then
    cat "$prefix.refused.log" >&2
  fi
  "$wineserver_cmd" -k 2>/dev/null || true
  awk -v rc="$rc" -v s="$start" -v e="$end" -v t="$tool_rc" -v g="$signed_rc" -v r="$refused_rc" \
    'BEGIN { printf "%d %.2f %d %d %d\n", rc, e - s, t, g, r }' >"$result_file"
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
      sed -n '2,35p' "$script_path" | sed 's/^# \{0,1\}//'
      exit 0
      ;;
    *) die "unknown argument: $1" ;;
  esac
done

mingw_cxx() {
  command -v x86_64-w64-mingw32-g++-posix || command -v x86_64-w64-mingw32-g++
}

# The commands the check runs, each from a group of scripts/packages.txt.
groups=(build windows)
commands=(cmake make g++ wine xvfb-run xauth osslsigncode openssl python3)
if [[ -n "$screenshot" ]]; then
  groups+=(screenshot)
  commands+=(import identify)
fi
missing_commands() {
  local c
  for c in "${commands[@]}"; do command -v "$c" >/dev/null 2>&1 || echo "$c"; done
  mingw_cxx >/dev/null 2>&1 || echo x86_64-w64-mingw32-g++
}

missing=$(missing_commands)
if [[ -n "$missing" && $EUID == 0 ]]; then
  "$repo/scripts/packages.sh" install "${groups[@]}" || true
  missing=$(missing_commands)
fi
if [[ -n "$missing" ]]; then
  echo "windows_check: SKIP: missing $(tr '\n' ' ' <<<"$missing")(scripts/packages.sh install ${groups[*]}, as root)"
  exit 77
fi

# ---------------------------------------------------------------------------
# Builds
# ---------------------------------------------------------------------------
jobs=$(nproc 2>/dev/null || echo 2)
build_root=${SCENARIO_BUILD_ROOT:-$repo/build}
linux_build=$build_root/linux-release
windows_build=$build_root/windows

echo "windows_check: building for Linux in $linux_build"
cmake -S "$repo" -B "$linux_build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$linux_build" --target "$PROGRAM" -j "$jobs"

# The README's command for the zip.
echo "windows_check: building the Windows zip in $windows_build"
cmake -S "$repo" -B "$windows_build" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64.cmake" -DSCENARIO_TESTS=OFF >/dev/null
rm -f "$windows_build/$ZIP_NAME.zip"
cmake --build "$windows_build" --target package -j "$jobs"
zip_file=$windows_build/$ZIP_NAME.zip
[[ -f "$zip_file" ]] || die "no $zip_file"

# The program file wherever the build puts it (bin/ or the source's subdirectory).
locate_program() {
  local build=$1 name=$2 found
  found=$(find "$build" -name CMakeFiles -prune -o -type f -name "$name" -print | LC_ALL=C sort | head -n 1)
  [[ -n "$found" ]] || die "no $name in $build"
  echo "$found"
}
linux_program=$(locate_program "$linux_build" "$PROGRAM")
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
unpacked=$work/unpacked
windows_dir=$unpacked/$ZIP_NAME
tool_dir=$windows_dir/$EXAMPLE
prefix=$work/wineprefix
trap cleanup EXIT
mkdir "$linux_dir" "$unpacked" "$prefix"
cp "$linux_program" "$linux_dir/"

echo "windows_check: unpacking $zip_file"
(cd "$unpacked" && cmake -E tar xf "$zip_file")
packed=$(cd "$unpacked" && find . -mindepth 1 | LC_ALL=C sort | tr '\n' ' ')
expected="./$ZIP_NAME $(printf "./$ZIP_NAME/%s " "${PACKAGE_FILES[@]}")"
[[ "$packed" == "$expected" ]] || die "the zip holds: $packed; expected: $expected"
echo "windows_check: OK: the zip holds ${PACKAGE_FILES[*]} in the folder $ZIP_NAME"
for text in LEGGIMI.txt CAMPI.txt; do
  grep -q $'\r$' "$windows_dir/$text" || die "$text has no CR LF line ends"
done

echo "windows_check: running $PROGRAM on Linux"
linux_rc=0
(cd "$linux_dir" && timeout "$RUN_TIMEOUT_S" "./$PROGRAM") || linux_rc=$?
((linux_rc == 0)) || die "the Linux program ended with status $linux_rc"

# A throw-away key and self-signed certificate, made for this check alone.
key_dir=$work/chiave
mkdir "$key_dir"
openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj "/CN=windows_check" \
  -keyout "$key_dir/key.pem" -out "$key_dir/cert.pem" 2>/dev/null || die "openssl could not make a key"

result_file=$work/wine_result
session_rc=0
timeout --kill-after=10 "$BOOT_TIMEOUT_S" \
  xvfb-run -a -s "-screen 0 1024x768x24" \
  "$script_path" --inside-display "$prefix" "$windows_dir" "$result_file" "$key_dir" "$screenshot" || session_rc=$?
if ((session_rc == 124 || session_rc == 137)); then
  die "the wine session did not finish within ${BOOT_TIMEOUT_S} s"
fi
((session_rc == 0)) || die "the wine session failed (status $session_rc)"
[[ -s "$result_file" ]] || die "the wine session left no result"
read -r wine_rc wine_seconds tool_rc signed_rc refused_rc <"$result_file"
if ((wine_rc == 124 || wine_rc == 137)); then
  die "$PROGRAM.exe did not end by itself within ${RUN_TIMEOUT_S} s and was killed"
fi
((wine_rc == 0)) || die "$PROGRAM.exe ended with status $wine_rc"
echo "windows_check: $PROGRAM.exe ended by itself with status 0 after ${wine_seconds} s"
[[ -n "$screenshot" ]] && echo "windows_check: screenshot saved to $screenshot"

# ---------------------------------------------------------------------------
# Comparison
# ---------------------------------------------------------------------------
outputs() {  # names of the files a run left in $1 besides the programs, sorted
  find "$1" -mindepth 1 -maxdepth 1 -type f ! -name "$PROGRAM" ! -name "$PROGRAM.exe" ! -name scenario.exe \
    ! -name LEGGIMI.txt ! -name CAMPI.txt -printf '%f\n' | LC_ALL=C sort
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
(($(wc -l <<<"$linux_names") == OUTPUT_COUNT)) || die "the Linux run wrote $(wc -l <<<"$linux_names") files, not $OUTPUT_COUNT"
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
echo "windows_check: OK: scenario.exe example and compile from the unpacked zip under wine wrote the program's three compiled files"

# The packed program wrote in its fresh folder what compile and documenti wrote beside
# the author's definitions (these apart).
packed_dir=$windows_dir/$PACKED
author_dir=$windows_dir/$AUTHOR
packed_names=$(find "$packed_dir" -mindepth 1 -maxdepth 1 -type f ! -name "$AUTHOR_PROGRAM" -printf '%f\n' | LC_ALL=C sort)
author_names=$(find "$author_dir" -mindepth 1 -maxdepth 1 -type f ! -name "${AUTHOR_ROUTE}_linea.txt" \
  ! -name "${AUTHOR_ROUTE}_${AUTHOR_TRAIN}-.txt" -printf '%f\n' | LC_ALL=C sort)
(($(wc -l <<<"$packed_names") == OUTPUT_COUNT)) && [[ "$packed_names" == "$author_names" ]] ||
  die "the packed program wrote: $(tr '\n' ' ' <<<"$packed_names"); the tool: $(tr '\n' ' ' <<<"$author_names")"
while IFS= read -r name; do
  cmp "$packed_dir/$name" "$author_dir/$name" || die "the packed program wrote a different $name"
done <<<"$packed_names"
echo "windows_check: OK: $AUTHOR_PROGRAM made by scenario.exe pack, run under wine in a fresh folder, wrote the tool's $(wc -l <<<"$packed_names") files"

# Signed: the program wrote the Linux run's files, the packed programs the
# author's, byte for byte.
((signed_rc == 0)) || die "signing or running a signed program ended with status $signed_rc"
same_files() {  # DIR REFERENCE PROGRAM LABEL
  local dir=$1 reference=$2 program=$3 label=$4 names
  names=$(find "$dir" -mindepth 1 -maxdepth 1 -type f ! -name "$program" -printf '%f\n' | LC_ALL=C sort)
  (($(wc -l <<<"$names") == OUTPUT_COUNT)) || die "$label wrote: $(tr '\n' ' ' <<<"$names")"
  while IFS= read -r name; do
    cmp "$dir/$name" "$reference/$name" || die "$label wrote a different $name"
  done <<<"$names"
  echo "windows_check: OK: $label, run under wine in a fresh folder, wrote its $(wc -l <<<"$names") files"
}
same_files "$windows_dir/$SIGNED" "$linux_dir" "$PROGRAM.exe" "the signed $PROGRAM.exe"
same_files "$windows_dir/$SIGNED_PACKED" "$author_dir" "$AUTHOR_PROGRAM" "$AUTHOR_PROGRAM signed after packing"
same_files "$windows_dir/$FROM_SIGNED" "$author_dir" "$AUTHOR_PROGRAM" "$AUTHOR_PROGRAM packed from the signed program"

# Refused names: each crafted program ended by itself, not with status 0,
# giving the reason, and left its folder as it found it; pack refused the
# device route with status 2 and wrote nothing.
((refused_rc == 0)) || die "crafting or running the programs with refused paper names ended with status $refused_rc"
refused_dir=$windows_dir/$REFUSED
for i in "${!REFUSED_PAPERS[@]}"; do
  name=${REFUSED_PAPERS[i]%%|*}
  words=${REFUSED_PAPERS[i]#*|}
  status=$(<"$refused_dir/$i.status")
  reason=$(grep -m1 -F 'scenario allegato al programma' "$refused_dir/$i.log" | tr -d '\r' || true)
  echo "windows_check: paper \"$name\": status $status: ${reason:-no report}"
  if ((status == 124 || status == 137)); then
    die "the program carrying the paper \"$name\" did not end within ${RUN_TIMEOUT_S} s"
  fi
  ((status != 0)) || die "the program carrying the paper \"$name\" ended with status 0"
  [[ "$reason" == *"non valido"*"\"$name\""*"$words"* ]] ||
    die "the program carrying the paper \"$name\" did not refuse that name for \"$words\""
  if ! cmp -s "$refused_dir/$i.before" "$refused_dir/$i.after"; then
    diff "$refused_dir/$i.before" "$refused_dir/$i.after" >&2 || true
    die "the program carrying the paper \"$name\" changed its folder"
  fi
done
echo "windows_check: OK: ${#REFUSED_PAPERS[@]} programs carrying a refused paper name, run under wine," \
  "each stopped on its report and left its folder as it was"
refused_pack=$windows_dir/$REFUSED_PACK
status=$(<"$refused_pack.status")
reason=$(grep -m1 -F 'scenario:' "$refused_pack.log" | tr -d '\r' || true)
echo "windows_check: pack --route $DEVICE_ROUTE: status $status: ${reason:-nothing said}"
((status == 2)) || die "scenario.exe pack --route $DEVICE_ROUTE ended with status $status, not 2"
cmp -s "$refused_pack.before" "$refused_pack.after" || die "scenario.exe pack --route $DEVICE_ROUTE wrote in its folder"
echo "windows_check: OK: scenario.exe pack under wine refused the route $DEVICE_ROUTE with status 2 and wrote nothing"
keep_work=0
