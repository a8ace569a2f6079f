#!/usr/bin/env bash
# The live view of `scenario serve` in headless Chromium, driven by Selenium
# (scripts/browser_check.py). Builds the `scenario` tool (Release) and the
# line generator of bench/ into build/browser/, then checks the page on the
# built-in line and times it on a generated 900 km line; SCENARIO_BIN names
# another `scenario` for both. Without Chromium, its driver or Selenium it
# exits 77 (a skipped step; scripts/steps.sh), which CI=true turns into a
# failure.
# Extra arguments go to the check (e.g. --docs docs, the README's screenshots).
set -euo pipefail
cd "$(dirname "$0")/.."

# Debian's Python is the one python3-selenium installs into.
python=/usr/bin/python3
[ -x "$python" ] || python=python3
missing=()
[ -x /usr/bin/chromium ] || missing+=(chromium)
[ -x /usr/bin/chromedriver ] || missing+=(chromium-driver)
"$python" -c 'import selenium' 2>/dev/null || missing+=(python3-selenium)
if [ ${#missing[@]} -gt 0 ]; then
  echo "SKIP: missing ${missing[*]} (scripts/packages.sh install browser)"
  exit 77
fi

build=${SCENARIO_BUILD_ROOT:-build}/browser
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DSCENARIO_TESTS=OFF -DSCENARIO_BENCH=ON >/dev/null
cmake --build "$build" --target scenario generate_definitions -j"$(nproc 2>/dev/null || echo 2)" >/dev/null
binary=${SCENARIO_BIN:-$build/bin/scenario}
exec "$python" scripts/browser_check.py "$binary" --long-line "$build/bin/generate_definitions" "$@"
