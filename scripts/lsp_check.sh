#!/usr/bin/env bash
# The language server with a real client: headless Neovim opens a train
# definition with a mistake through `scenario lsp` (scripts/lsp_check.lua).
# Usage: scripts/lsp_check.sh [path/to/scenario]  (default build/debug/bin/scenario)
# Without nvim it exits 77 (a skipped step; scripts/steps.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
bin=$(realpath "${1:-build/debug/bin/scenario}")
if ! command -v nvim >/dev/null; then
  echo "SKIP: nvim is not installed (scripts/packages.sh install lsp)"
  exit 77
fi
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
"$bin" example "$dir" >/dev/null
sed -i 's/^\(stazione,   14750, 12,  \)300,/\1350,/' "$dir/Brenvalo_Morvena_4815-.txt"
grep -q '14750, 12,  350,' "$dir/Brenvalo_Morvena_4815-.txt"
before=$(cd "$dir" && ls -l --time-style=full-iso && md5sum *)
SCENARIO_BIN=$bin LSP_DIR=$dir LSP_ROOT=$PWD timeout 120 \
  nvim --headless -u NONE -i NONE -n </dev/null \
  -c 'lua local ok, e = pcall(dofile, "scripts/lsp_check.lua") if not ok then io.stderr:write(tostring(e) .. "\n") vim.cmd("cquit 1") end'
after=$(cd "$dir" && ls -l --time-style=full-iso && md5sum *)
if [ "$before" != "$after" ]; then echo "lsp_check: i file della cartella sono cambiati" >&2; exit 1; fi
echo "lsp_check: passato, nessun file scritto o cancellato"
