#!/usr/bin/env bash
# A record that names the launcher only the way the system finds a program
# to start (a quoted command line, or the path without ".exe") is still the
# launcher itself: it must show the not-installed message, not start itself
# over and over.
source "$(dirname "$0")/launcher_env.sh"
start_launcher_test

self="$SCRATCH/Vellu Mark/VellumarkLauncher.exe"
mkdir -p "$(dirname "$self")"
cp "$LAUNCHER" "$self"
win_self=$(windows_path "$self")

records=(
  "\"$win_self\""
  "\"$win_self\" /from-record"
  "${win_self%.exe}"
)
for record in "${records[@]}"; do
  step_record "$record"
  step_run "\"$win_self\" a"
done
run_steps

faults=''
for ((i = 1; i <= RUNS; i++)); do
  starts=$(starts_of "$i")
  if [ -n "$starts" ]; then
    faults+=$'\n'"  record $(shown "${records[i - 1]}") started: $starts"
  else
    expect_not_installed_message "$i" "record $(shown "${records[i - 1]}")"
    echo "ok: record $(shown "${records[i - 1]}")"
  fi
done
[ -z "$faults" ] || fail "the launcher started itself:$faults"
expect_nothing_else
