#!/usr/bin/env bash
# The live view of `scenario serve` in headless Chromium, driven by Selenium
# (scripts/browser_check.py). Builds the `scenario` tool into build-browser/
# unless SCENARIO_BIN names one. Without Chromium, its driver or Selenium it
# skips with a message, but fails under CI=true, where they must be there.
# Extra arguments go to the check (e.g. --screenshot docs/serve.png).
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
  echo "browser check: missing ${missing[*]} (apt-get install ${missing[*]})" >&2
  [ "${CI:-}" = true ] && exit 1
  echo "browser check: skipped" >&2
  exit 0
fi

binary=${SCENARIO_BIN:-}
if [ -z "$binary" ]; then
  cmake -S . -B build-browser -DCMAKE_BUILD_TYPE=Release -DSCENARIO_TESTS=OFF >/dev/null
  cmake --build build-browser --target scenario -j"$(nproc 2>/dev/null || echo 2)" >/dev/null
  binary=build-browser/bin/scenario
fi
exec "$python" scripts/browser_check.py "$binary" "$@"
