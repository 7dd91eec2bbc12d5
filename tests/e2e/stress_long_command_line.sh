#!/usr/bin/env bash
# Launcher command lines at the platform's limit of 32,767 characters, the
# terminating NUL included. A forwarded line that fits reaches the main
# program exactly; one that does not fit may fail to start, but the launcher
# still ends with 0 and the main program never gets a cut or altered line.
source "$(dirname "$0")/stress_env.sh"
make_scratch

limit=32766 # characters before the NUL
# A long folder name makes the forwarded line much longer than the
# launcher's own, so the launcher's line can sit at the limit while the one
# it builds exceeds it.
main="$SCRATCH/$(printf 'Vellu Mark %.0s' {1..12})/Vellumark.exe"
install_stand_in "$main"
launcher="$SCRATCH/l.exe"
cp "$LAUNCHER" "$launcher"
set_product_record "$(windows_path "$main")"
own_name=$(windows_path "$launcher")
forwarded_name="\"$(windows_path "$main")\""

# An argument tail of exactly $1 characters: many arguments, some quoted
# with blanks and tabs, written as the launcher writes them again, so that
# the forwarded tail is the same text; one long argument pads it.
make_tail() {
  local length=$1 tail="" i=0
  while [ "${#tail}" -lt $((length - 100)) ]; do
    tail+=" a$i \"with blank $i\" \"tab"$'\t'"$i\" -x=$i"
    i=$((i + 1))
  done
  tail+=" $(head -c $((length - ${#tail} - 1)) /dev/zero | tr '\0' p)"
  printf '%s' "$tail"
}

# run_case NAME WHICH LENGTH FITS
#   WHICH   own: the launcher's line has LENGTH characters; forwarded: the
#           line it builds has
#   FITS    yes: the main program gets exactly the forwarded line
run_case() {
  local name=$1 which=$2 length=$3 fits=$4
  local tail
  if [ "$which" = own ]; then
    tail=$(make_tail $((length - ${#own_name})))
  else
    tail=$(make_tail $((length - ${#forwarded_name})))
  fi
  local own="$own_name$tail" forwarded="$forwarded_name$tail"
  echo "--- $name: launcher's line ${#own}, forwarded ${#forwarded} characters"
  [ "${#own}" -le "$limit" ] || fail "$name: the launcher's own line does not fit"
  rm -f "$main.log"

  local out
  out=$(run_exact "$own" || true)
  [ "$out" = "exit=0" ] || problem "$name: launcher answered '$out'"
  wait_for_wine
  local got
  got=$(starts_of "$main")
  if [ "$fits" = yes ]; then
    [ "$got" = "$forwarded" ] ||
      problem "$name: main program got ${#got} characters '${got:0:120}...', want ${#forwarded}"
  else
    [ -z "$got" ] || [ "$got" = "$forwarded" ] ||
      problem "$name: main program got an altered line of ${#got} characters '${got:0:120}...'"
  fi
}

#        NAME              WHICH      LENGTH             FITS
run_case at-the-limit      forwarded  "$limit"           yes
run_case one-over          forwarded  "$((limit + 1))"   no
run_case launcher-at-limit own        "$limit"           no

delete_product_record
finish
