#!/usr/bin/env bash
# The project's packages, from the one list in scripts/packages.txt.
#
#   scripts/packages.sh list GROUP...     the packages of the groups
#   scripts/packages.sh list --ci         the packages of every "ci" group
#   scripts/packages.sh missing GROUP...  those of them not installed
#   scripts/packages.sh install GROUP...  as root, installs the missing ones
#                                         with apt-get (update first)
#
# Exit status: 0 done; 1 an install failed or, for install, not root;
# 2 an unknown group or a bad command line.
set -euo pipefail
list_file=$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/packages.txt

usage() {
  sed -n '2,11p' "$(readlink -f "${BASH_SOURCE[0]}")" | sed 's/^# \{0,1\}//' >&2
  exit 2
}

# Packages of the named groups ("--ci": of every ci group), one per line.
packages_of() {
  awk -v wanted=" $* " '
    { sub(/#.*/, "") }
    /^\[/ {
      name = $1; gsub(/[][]/, "", name)
      on = index(wanted, " " name " ") > 0 || (index(wanted, " --ci ") > 0 && $2 == "ci")
      next
    }
    on && NF > 0 { print $1 }
  ' "$list_file"
}

missing_of() {
  local package
  while IFS= read -r package; do
    dpkg-query -W -f='${Status}\n' "$package" 2>/dev/null | grep -q '^install ok installed$' || echo "$package"
  done < <(packages_of "$@")
}

(($# >= 2)) || usage
command=$1
shift
for group in "$@"; do
  if [[ "$group" != --ci ]] && ! grep -q "^\[$group\]" "$list_file"; then
    echo "packages: no group [$group] in $list_file" >&2
    exit 2
  fi
done
case "$command" in
  list) packages_of "$@" ;;
  missing) missing_of "$@" ;;
  install)
    mapfile -t missing < <(missing_of "$@")
    ((${#missing[@]} > 0)) || exit 0
    if ((EUID != 0)); then
      echo "packages: not root; install with: apt-get install ${missing[*]}" >&2
      exit 1
    fi
    echo "packages: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q
    apt-get install -y -q --no-install-recommends "${missing[@]}"
    ;;
  *) usage ;;
esac
