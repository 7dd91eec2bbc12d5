#!/usr/bin/env bash
# The launcher's own raw command line, split by its argument rules and sent
# on to the main program: one case per line of the table.
source "$(dirname "$0")/launcher_env.sh"
start_launcher_test

main="$SCRATCH/Program Files/Vellu Mark/Vellumark.exe"
install_stand_in "$main"

# A copy of the launcher whose name must be quoted.
spaced="$SCRATCH/Vellu Mark Launcher/launch er.exe"
mkdir -p "$(dirname "$spaced")"
cp "$LAUNCHER" "$spaced"

# Started by its bare name, the launcher is found in the working folder.
cd "$(dirname "$LAUNCHER")"

# In the raw command lines, <L> stands for the launcher's quoted path and <S>
# for the quoted path of the copy with spaces. The expectation is what
# follows the main program's quoted path in its command line.
cases=(
  '<L> -a two "words together" ""'      ' -a two "words together"'
  '<L> x"y z"w'                         ' "xy zw"'
  $'launcher.exe\ta   \t b\t\tc  '      ' a b c'
  '<L> a "'                             ' a'
  '<L> a "   '                          ' a "   "'
  '<S> /s'                              ' /s'
  '<L> ""'                              ''
  '<L>x y'                              ' y'
  '<L> "a  b'                           ' "a  b"'
  '<L> " " b'                           ' " " b'
  '<L> ""x a""b "" c'                   ' x ab c'
  $'<L> a\x1fb\x02c\x7fd'               $' a b c\x7fd'
  $'<L> "tab\there" "bell\x07"'         $' "tab\there" "bell\x07"'
  '<L> C:\a\ \"b c" \\server\share\'    ' C:\a\ "\b c" \\server\share\'
)

# High bytes are text, never separators: all of them in one argument, and
# some inside a quoted argument with a space.
high=$(printf "$(printf '\\%03o' $(seq 128 255))")
cases+=("<L> $high \"$(printf '\xe9t\xe9 \xa0\xff')\""
        " $high \"$(printf '\xe9t\xe9 \xa0\xff')\"")

# A long line: every argument arrives, none cut.
long_raw='<L>' long_tail=''
for i in $(seq 1 40); do
  word=$(printf "w$i%.0s" $(seq 1 40))
  long_raw+=" \"$word $i\" $word"
  long_tail+=" \"$word $i\" $word"
done
cases+=("$long_raw" "$long_tail")

L="\"$(windows_path "$LAUNCHER")\""
S="\"$(windows_path "$spaced")\""
quoted_main="\"$(windows_path "$main")\""
step_record "$(windows_path "$main")"
tails=()
for ((i = 0; i < ${#cases[@]}; i += 2)); do
  raw=${cases[i]}
  raw=${raw//<L>/$L}
  raw=${raw//<S>/$S}
  step_run "$raw"
  tails+=("${cases[i + 1]}")
done
mapfile -t -d '' tails < <(printf '%s\0' "${tails[@]}" | cp1252_to_utf8)
want=()
for ((i = 1; i <= RUNS; i++)); do want[i]="$quoted_main${tails[i - 1]}"; done
run_steps

for ((i = 1; i <= RUNS; i++)); do
  expect_one_start "$i" "$(shown "${RAW[i]}")"
  grep -Fxq -e "${want[i]}" "$main.log" ||
    fail "$(shown "${RAW[i]}"): the main program never got $(shown "${want[i]}")"
  echo "ok: $(shown "${RAW[i]}")"
done
expect_log_lines "$main.log" "${want[@]}"
