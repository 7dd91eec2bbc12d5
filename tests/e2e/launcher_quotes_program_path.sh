#!/usr/bin/env bash
# A main program path with spaces is started whole: the shorter paths that an
# unquoted command line would try first hold programs that must never run.
# A record that already holds quotes is a command line of its own.
source "$(dirname "$0")/launcher_env.sh"
start_launcher_test

main="$SCRATCH/Program Files/Vellu Mark/Vellumark.exe"
planted=("$SCRATCH/Program.exe" "$SCRATCH/Program Files/Vellu.exe")
for program in "$main" "${planted[@]}"; do install_stand_in "$program"; done
launcher="\"$(windows_path "$LAUNCHER")\""
quoted_main="\"$(windows_path "$main")\""

# record | raw arguments after the launcher's name | main program's command line
cases=(
  "$(windows_path "$main")"            ' --open "a b"'  "$quoted_main --open \"a b\""
  "$quoted_main /from-record"          ' /x'            "$quoted_main /from-record /x"
)
want=()
for ((i = 0; i < ${#cases[@]}; i += 3)); do
  step_record "${cases[i]}"
  step_run "$launcher${cases[i + 1]}"
  want+=("${cases[i + 2]}")
done
run_steps

for ((i = 1; i <= RUNS; i++)); do
  expect_one_start "$i" "record $(shown "${cases[3 * (i - 1)]}")"
done
for program in "${planted[@]}"; do
  [ ! -e "$program.log" ] || fail "$(windows_path "$program") ran: $(cat "$program.log")"
done
expect_log_lines "$main.log" "${want[@]}"
expect_nothing_else
printf 'ok: %s\n' "${want[@]}"
