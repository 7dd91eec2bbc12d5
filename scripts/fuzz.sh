#!/usr/bin/env bash
# Builds the libFuzzer targets (preset "fuzz") and runs each for a while.
#
#   scripts/fuzz.sh [seconds-per-target]     (default 20)
#
# Each target works on its own corpus under build/fuzz/runs/<target>/corpus:
# the committed seeds are copied in on every run, and what earlier runs found
# is kept there, so the committed tests/fuzz/corpus is only ever read.
# Exits non-zero when any target finds something; the input that did it is
# left in build/fuzz/runs/<target>/artifacts/ and printed in hex.
set -euo pipefail

seconds=${1:-20}
if ! [[ "$seconds" =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: $0 [seconds-per-target]" >&2
  exit 2
fi

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
targets=(command_line_fuzz registry_fuzz applet_fuzz)

if ! command -v clang++ >/dev/null; then
  echo "fuzz: clang++ is missing; scripts/install-dependencies.sh installs it" >&2
  exit 2
fi

# Quiet unless something goes wrong.
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! cmake --preset fuzz >"$log" 2>&1 ||
  ! cmake --build --preset fuzz --target "${targets[@]}" --parallel "$(nproc)" \
    >>"$log" 2>&1; then
  cat "$log" >&2
  echo "fuzz: the build failed" >&2
  exit 2
fi

findings=0
for target in "${targets[@]}"; do
  binary=build/fuzz/tests/fuzz/$target
  work=build/fuzz/runs/$target
  mkdir -p "$work/corpus"
  rm -rf "$work/artifacts"
  mkdir -p "$work/artifacts"
  cp tests/fuzz/corpus/"$target"/* "$work/corpus/"

  started=$(date +%s)
  status=0
  "$binary" -max_total_time="$seconds" -print_final_stats=1 -timeout=30 \
    -artifact_prefix="$work/artifacts/" "$work/corpus" >"$work/fuzz.log" 2>&1 ||
    status=$?
  elapsed=$(($(date +%s) - started))

  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/fuzz.log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$work/fuzz.log")
  # libFuzzer states its own running time only when it ends without a finding.
  ran=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$work/fuzz.log")
  corpus=$(find "$work/corpus" -type f | wc -l)
  printf '%-18s %12s executions in %4s s (%s/s), corpus %s inputs: ' \
    "$target" "${executions:-?}" "${ran:-$elapsed}" "${rate:-?}" "$corpus"

  artifacts=("$work"/artifacts/*)
  if [ "$status" -eq 0 ] && [ ! -e "${artifacts[0]}" ]; then
    echo "no finding"
    continue
  fi
  findings=$((findings + 1))
  echo "FINDING (exit $status), log: $work/fuzz.log"
  grep -m5 -E 'broken:|ERROR:|runtime error|SUMMARY' "$work/fuzz.log" | sed 's/^/    /' || true
  for artifact in "${artifacts[@]}"; do
    [ -e "$artifact" ] || continue
    echo "    input $artifact ($(wc -c <"$artifact") bytes):"
    od -An -tx1 -v "$artifact" | head -n 32 | sed 's/^/     /'
  done
done

if [ "$findings" -ne 0 ]; then
  echo "fuzz: $findings target(s) found something" >&2
  exit 1
fi
echo "fuzz: no finding in ${#targets[@]} targets, ${seconds} s each"
