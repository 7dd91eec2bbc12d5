#!/usr/bin/env bash
# A product record of 1 MiB (REG_SZ of 1,048,576 bytes), read by the launcher
# and by the applet inside Wine's Control Panel host. Neither may crash; a
# path that long starts nothing, and one that ends at an early NUL starts
# exactly that program, so the whole value was read and cut at the NUL.
source "$(dirname "$0")/stress_env.sh"
make_scratch

main="$SCRATCH/Vellu Mark/Vellumark.exe"
install_stand_in "$main"
win_main=$(windows_path "$main")
size=1048576

# Writes $size bytes: PATH, a NUL when CUT is yes, "x" up to the last byte,
# and a NUL. The path names the stand-in, so a launcher that cut a long
# record short or dropped its quotes would start it.
write_record() {
  local path=$1 cut=$2 file=$3 nul=0
  [ "$cut" = yes ] && nul=1
  {
    printf '%s' "$path"
    [ "$cut" = yes ] && printf '\0'
    head -c $((size - ${#path} - nul - 1)) /dev/zero | tr '\0' x
    printf '\0'
  } >"$file"
  [ "$(stat -c %s "$file")" = "$size" ] || fail "record file is not $size bytes"
}

# run_case NAME PATH CUT STARTS
#   STARTS  the stand-in's log afterwards: the launcher's start, then the
#           applet's
run_case() {
  local name=$1 path=$2 cut=$3 want=$4
  echo "--- $name"
  rm -f "$main.log"
  write_record "$path" "$cut" "$SCRATCH/record"
  set_record_bytes REG_SZ "$SCRATCH/record"

  local out status
  out=$(run_launcher "$LAUNCHER" "")
  [ "$out" = "exit=0" ] || problem "$name: launcher answered '$out'"
  status=$(open_in_control_panel)
  [ "$status" = exit=0 ] || problem "$name: Control Panel host ended with '$status'"
  wait_for_wine
  [ "$(starts_of "$main")" = "$want" ] ||
    problem "$name: main program log '$(starts_of "$main" | cut -c1-200)', want '$want'"
}

quoted="\"$win_main\""
#        NAME                PATH          CUT  STARTS
run_case path-of-1MiB        "$win_main "  no   ''
run_case path-then-NUL-junk  "$win_main"   yes  "$quoted"$'\n'"$quoted"

# Later tests in this prefix need no 4 MiB registry to load and save.
delete_product_record
finish
