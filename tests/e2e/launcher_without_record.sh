#!/usr/bin/env bash
# Without a usable record the launcher starts nothing and says nothing, even
# when its first argument names a program; a record naming a missing program
# is tried once and nothing else is started instead.
source "$(dirname "$0")/launcher_env.sh"
start_launcher_test

planted="$SCRATCH/Planted/Vellumark.exe"
install_stand_in "$planted"
launcher="\"$(windows_path "$LAUNCHER")\""
first_argument_unquoted="$launcher $(windows_path "$planted") a"
first_argument_quoted="$launcher \"$(windows_path "$planted")\" \"a b\""

STEPS+=(delete-key "$PRODUCT_KEY")
step_run "$first_argument_unquoted"
STEPS+=(set "$PRODUCT_KEY" Other x)
step_run "$first_argument_quoted"
step_record ''
step_run "$first_argument_unquoted"
step_record "$(windows_path "$SCRATCH/Missing/Vellumark.exe")"
step_run "$first_argument_quoted"
run_steps

states=('no key' 'a key without the value' 'an empty value')
for ((i = 1; i <= 3; i++)); do
  expect_quiet "$i" "${states[i - 1]}, $(shown "${RAW[i]}")"
  echo "ok: ${states[i - 1]}: nothing started, no message"
done
expect_one_start 4 "a missing program"
starts_of 4 | grep -qF 'Missing\\Vellumark.exe' ||
  fail "a missing program: started $(starts_of 4)"
echo "ok: a missing program: tried once, no message"

[ ! -e "$planted.log" ] || fail "the program named by the first argument ran: $(cat "$planted.log")"
expect_nothing_else
