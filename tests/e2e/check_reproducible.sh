#!/usr/bin/env bash
# Two clean builds of the same sources, in different folders, give
# byte-identical shipped files.
set -euo pipefail
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for tree in first "second tree"; do
  cmake -S "$VELLUMARK_SOURCE_DIR" -B "$scratch/$tree" --preset windows >/dev/null
  cmake --build "$scratch/$tree" -j "$(nproc)" --target launcher Vellupanel >/dev/null
done
for file in launcher.exe Vellupanel.cpl; do
  cmp "$scratch/first/$file" "$scratch/second tree/$file" ||
    { echo "FAIL: $file differs between two builds" >&2; exit 1; }
done
echo "ok: identical files from two builds"
