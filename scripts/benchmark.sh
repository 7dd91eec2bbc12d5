#!/usr/bin/env bash
# Measures the two shipped files against the least that could do their jobs
# and writes BENCHMARKS.md:
#   1. the launcher's hand-off to the main program, against a bare WinExec
#      program built the same way and against `cmd /c start`, and the
#      launcher's own steps before WinExec, each timed on its own;
#   2. what a Control Panel host pays to list the applet, against an applet
#      that answers the same without reading anything, and the applet's
#      first-call work on its own;
#   3. both files' sizes and imported DLLs.
# Everything runs under Wine in a private prefix (build/bench/wine) with a
# warm wineserver; variants run round-robin so drift hits all of them alike.
# Usage: scripts/benchmark.sh
# Optional: BENCH_ROUNDS (hand-off rounds, 30), BENCH_SAMPLES (applet
# samples, 21), BENCH_ITERATIONS (listings per applet sample, 60),
# BENCH_STEP_RUNS (launcher step processes, 21).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
started=$(date +%s)
say() { echo "benchmark: [$(($(date +%s) - started)) s] $*"; }

rounds=${BENCH_ROUNDS:-30}
samples=${BENCH_SAMPLES:-21}
iterations=${BENCH_ITERATIONS:-60}
step_runs=${BENCH_STEP_RUNS:-21}
if [ "$rounds" -lt 20 ] || [ "$samples" -lt 20 ] || [ "$step_runs" -lt 20 ]; then
  say "medians need at least 20 runs each" >&2
  exit 2
fi

if [ "$(id -u)" -eq 0 ]; then scripts/install-dependencies.sh; fi

build=$root/build/bench
say "building into $build"
mkdir -p "$build"
if ! { cmake --preset windows -B "$build" &&
       cmake --build "$build" --target bench -j "$(nproc)"; } \
     > "$build/build.log" 2>&1; then
  cat "$build/build.log" >&2
  exit 1
fi

export WINEPREFIX=$build/wine/prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="   # no Mono or Gecko prompts
unset DISPLAY                               # nothing here opens a window

windows_path() {
  printf 'Z:%s' "$(printf '%s' "$1" | tr '/' '\\')"
}

mkdir -p "$build/wine"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  say "creating the Wine prefix"
  wineboot -i >/dev/null 2>&1
  wineserver -w
fi

# A persistent server in the foreground, so that its id is ours to stop.
wineserver -f -p &
server=$!
stop_server() {
  wineserver -k 2>/dev/null || true
  wait "$server" 2>/dev/null || true
}
trap stop_server EXIT

results=$build/results
rm -rf "$results"
mkdir -p "$results"

# The stand-in main program in a folder with spaces, as the product record.
main="$build/bench files/Main Program/Vellumark.exe"
mkdir -p "$(dirname "$main")"
cp "$build/tests/bench/timestamp_main.exe" "$main"
main_win=$(windows_path "$main")
wine reg add 'HKLM\SOFTWARE\Orrindale\Vellumark' /v EXEFilePath /t REG_SZ \
  /d "$main_win" /f >/dev/null

# Every variant hands the stand-in the same arguments, one with a space.
marker='Report 2024.txt'
document_path=$(windows_path "$build/bench files/$marker")
document="\"$document_path\""
printf '%s\t%s\n' \
  launcher "\"$(windows_path "$build/launcher.exe")\" --open $document" \
  floor "\"$(windows_path "$build/tests/bench/floor_launcher.exe")\" \"$main_win\" --open $document" \
  cmd_start "cmd.exe /c start \"\" \"$main_win\" --open $document" \
  > "$results/variants.txt"

load_before=$(cut -d' ' -f1-3 /proc/loadavg)

say "launcher hand-off, $rounds rounds"
wine "$build/tests/bench/handoff_driver.exe" \
  "$(windows_path "$results/variants.txt")" "$main_win.stamp" "$marker" \
  "$rounds" 2 | tr -d '\r' > "$results/handoff.csv"

say "the launcher's and the applet's steps"
for _ in $(seq "$step_runs"); do
  wine "$build/tests/bench/launcher_steps.exe" 100 --open "$document_path" |
    tr -d '\r' >> "$results/launcher_steps.csv"
done
applet_step_iterations=200
wine "$build/tests/bench/applet_steps.exe" "$applet_step_iterations" |
  tr -d '\r' > "$results/applet_steps.csv"

say "applet in a host, $samples samples of $iterations listings"
wine "$build/tests/bench/applet_bench_host.exe" "$samples" "$iterations" \
  "$samples" "$(windows_path "$build/Vellupanel.cpl")" \
  "$(windows_path "$build/tests/bench/minimal_applet.cpl")" |
  tr -d '\r' > "$results/applet.csv"

load_after=$(cut -d' ' -f1-3 /proc/loadavg)
stop_server
trap - EXIT

# Debian's Python has pefile; a python3 earlier on PATH may not.
BENCH_ROOT=$root BENCH_BUILD=$build BENCH_RESULTS=$results \
BENCH_ROUNDS=$rounds BENCH_SAMPLES=$samples BENCH_ITERATIONS=$iterations \
BENCH_STEP_RUNS=$step_runs BENCH_APPLET_STEP_ITERATIONS=$applet_step_iterations \
BENCH_SECONDS=$(($(date +%s) - started)) \
BENCH_LOAD="$load_before (before) / $load_after (after)" \
BENCH_WINE=$(wine --version) \
  /usr/bin/python3 -B "$root/tests/bench/report.py"
say "wrote BENCHMARKS.md"
