#!/usr/bin/env bash
# The VS Code package: installs it with npm from its lock file and checks
# its TextMate grammar on the sample definitions (editors/vscode/test).
# Without node or npm it installs them as root (scripts/packages.sh); when
# it cannot, it exits 77 (a skipped step; scripts/steps.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
  if ((EUID == 0)); then scripts/packages.sh install node; fi
  if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
    echo "SKIP: node and npm are not installed (scripts/packages.sh install node)"
    exit 77
  fi
fi
cd editors/vscode
npm ci --no-audit --no-fund
npm test
