#!/usr/bin/env bash
# Writes the bash completion script and the man pages of panelix from the built program:
#   OUTDIR/bash-completion/completions/panelix
#   OUTDIR/man/man1/panelix.1, panelix-SUBCOMMAND.1 (and panelix-font-library.1, ...)
# The man pages are made by help2man from each --help.
# Usage: scripts/cli-docs.sh PANELIX OUTDIR VERSION
set -euo pipefail
panelix=$(realpath "$1")
out=$2
version=$3
mkdir -p "$out/bash-completion/completions" "$out/man/man1"
"$panelix" --bash-completion >"$out/bash-completion/completions/panelix"
rm -f "$out"/man/man1/panelix*.1

# The subcommands listed under "Subcommands:" in a --help text.
subcommands() {
  "$panelix" "$@" --help | awk '/^Subcommands:/ { on = 1; next } on && /^  [a-z]/ { print $1 } on && /^$/ { on = 0 }'
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# help2man names the page after the program it runs, so each subcommand gets a tiny program
# named panelix-SUBCOMMAND.
page() {
  local name=$1 summary=$2
  shift 2
  local runner="$work/$name"
  printf '#!/bin/sh\nexec "%s" %s "$@"\n' "$panelix" "$*" >"$runner"
  chmod +x "$runner"
  help2man --no-info --no-discard-stderr --version-string="$version" --name="$summary" \
    --output="$out/man/man1/$name.1" "$runner"
}

summary_of() {
  "$panelix" "${@:1:$#-1}" --help | awk -v want="${!#}" '/^Subcommands:/ { on = 1; next } on && $1 == want { $1 = ""; sub(/^ +/, ""); print; exit }'
}

page panelix "prepares the SPI flash contents of CX9 serial TFT display modules"
for sub in $(subcommands); do
  page "panelix-$sub" "$(summary_of "$sub")" "$sub"
  for nested in $(subcommands "$sub"); do
    page "panelix-$sub-$nested" "$(summary_of "$sub" "$nested")" "$sub" "$nested"
  done
done
