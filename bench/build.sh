#!/usr/bin/env bash
# `panelix build` on the demo project: a full build against the same tools run one by one, a
# rebuild with nothing changed, and a rebuild after one picture changed.
# Usage: bench/build.sh PATH/TO/panelix   (a Release build; needs hyperfine)
# Goals: no-change rebuild < 0.2 s; one changed picture rebuilds only its bin and the image; a full
# build no slower than the subcommands one by one.
set -euo pipefail
PANELIX=$(realpath "$1")
WORK=$(mktemp -d /tmp/panelix-build-bench.XXXXXX)
trap 'rm -rf "$WORK"' EXIT
cp -r "$(dirname "$0")/../examples/demo" "$WORK/demo"
MANIFEST="$WORK/demo/panelix.toml"

# The subcommands one by one: the plan the build itself prints, run in order in one shell.
"$PANELIX" build "$MANIFEST" --out "$WORK/by-hand" --dry-run | grep '^  (cd ' | sed 's/^  //' > "$WORK/by-hand.sh"
sed -i "1i mkdir -p $WORK/by-hand/bins" "$WORK/by-hand.sh"

hyperfine --warmup 1 --runs 5 \
  --command-name "full build (panelix build --clean)" "$PANELIX build --clean $MANIFEST --out $WORK/out" \
  --command-name "the subcommands one by one" "sh $WORK/by-hand.sh"
cmp "$WORK/out/Panelix_Flash.bin" "$WORK/by-hand/Panelix_Flash.bin" && echo "same flash image both ways"

hyperfine --warmup 2 --runs 20 --command-name "rebuild, nothing changed" "$PANELIX build $MANIFEST --out $WORK/out"

# One picture changed: swap two key pictures back and forth, so that every run has a change.
KEYS="$WORK/demo/pictures/keys"
cp "$KEYS/key0-up.png" "$WORK/a.png"
cp "$KEYS/key1-up.png" "$WORK/b.png"
hyperfine --warmup 1 --runs 10 --command-name "rebuild, one picture changed" \
  --prepare "if cmp -s $KEYS/key0-up.png $WORK/a.png; then cp $WORK/b.png $KEYS/key0-up.png; else cp $WORK/a.png $KEYS/key0-up.png; fi" \
  "$PANELIX build $MANIFEST --out $WORK/out"
cp "$WORK/a.png" "$KEYS/key0-up.png"
"$PANELIX" build "$MANIFEST" --out "$WORK/out" >/dev/null
cp "$WORK/b.png" "$KEYS/key0-up.png"
echo "What one changed picture rebuilds:"
"$PANELIX" build "$MANIFEST" --out "$WORK/out" | grep '^Built' || true
