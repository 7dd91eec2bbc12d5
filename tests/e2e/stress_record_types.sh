#!/usr/bin/env bash
# A product record of each registry type, stored byte for byte: whatever the
# type, the path is the value's bytes up to the first NUL, used as stored
# (an environment reference is not expanded).
source "$(dirname "$0")/stress_env.sh"
make_scratch

# What %VELLU_STRESS_DIR% would expand to, had anything expanded it.
export VELLU_STRESS_DIR=expanded
# The stand-ins each case has in its own folder; "ab" is found by a bare
# record "ab" beside the launcher copy there.
STAND_INS=(literal=%VELLU_STRESS_DIR%/Vellumark.exe expanded=expanded/Vellumark.exe
  first=first/Vellumark.exe second=second/Vellumark.exe ab=bare/ab.exe)

# A path as a printf format: backslashes and percent signs doubled.
fmt() {
  local text=${1//\\/\\\\}
  printf '%s' "${text//%/%%}"
}

# Replaces {NAME} with the case's Windows path of stand-in NAME, passed
# through FILTER (fmt, or plain for none).
plain() { printf '%s' "$1"; }
fill() {
  local text=$1 folder=$2 filter=$3 entry
  for entry in "${STAND_INS[@]}"; do
    text=${text//"{${entry%%=*}}"/"$($filter "$(windows_path "$folder/${entry#*=}")")"}
  done
  printf '%s' "$text"
}

CASES=()

# run_case NAME TYPE BYTES LAUNCHER ARGS APPLET STARTED LINE
#   BYTES     the record as a printf format (\0 for a NUL), {NAME} for paths
#   LAUNCHER  shipped, or beside-ab: a copy in the folder of ab.exe
#   ARGS      the launcher's argument tail
#   APPLET    starts: the applet, opened in Wine's Control Panel host after
#             the launcher, starts the program again; refuses: it starts
#             nothing; no: not opened
#   STARTED   the one stand-in that must have started (- for none), with
#   LINE      the command line the launcher gave it; the other stand-ins
#             must not have started at all
# Every case has its own stand-ins, so all are checked after one wait.
run_case() {
  local name=$1 type=$2 bytes=$3 launcher=$4 args=$5 applet=$6
  local folder="$SCRATCH/$name" entry
  echo "--- $name"
  for entry in "${STAND_INS[@]}"; do install_stand_in "$folder/${entry#*=}"; done
  if [ "$launcher" = beside-ab ]; then
    launcher="$folder/bare/launcher.exe"
    cp "$LAUNCHER" "$launcher"
  else
    launcher=$LAUNCHER
  fi
  # shellcheck disable=SC2059  # the bytes are a format on purpose
  printf "$(fill "$bytes" "$folder" fmt)" >"$SCRATCH/record"
  set_record_bytes "$type" "$SCRATCH/record"

  local out status
  out=$(run_launcher "$launcher" "$(fill "$args" "$folder" plain)")
  [ "$out" = "exit=0" ] || problem "$name: launcher answered '$out'"
  if [ "$applet" != no ]; then
    status=$(open_in_control_panel)
    [ "$status" = exit=0 ] || problem "$name: Control Panel host ended with '$status'"
  fi
  CASES+=("$name|$applet|$7|$(fill "${8:-}" "$folder" plain)")
}

check_cases() {
  local case name applet started line entry want
  for case in "${CASES[@]}"; do
    IFS='|' read -r name applet started line <<<"$case"
    for entry in "${STAND_INS[@]}"; do
      want=""
      if [ "${entry%%=*}" = "$started" ]; then
        want=$line
        [ "$applet" = starts ] && want+=$'\n'"$line"
      fi
      local program="$SCRATCH/$name/${entry#*=}"
      [ "$(starts_of "$program")" = "$want" ] ||
        problem "$name: ${entry#*=} log '$(starts_of "$program")', want '$want'"
    done
  done
}

#        NAME              TYPE          BYTES                     LAUNCHER   ARGS         APPLET   STARTED  LINE
run_case expand-sz-literal REG_EXPAND_SZ '{literal}\0'             shipped    ""           starts   literal  '"{literal}"'
run_case multi-sz          REG_MULTI_SZ  '{first}\0{second}\0\0'   shipped    " x"         no       first    '"{first}" x'
run_case binary-with-NUL   REG_BINARY    '{first}\0{second}'       shipped    ""           no       first    '"{first}"'
run_case binary-no-NUL     REG_BINARY    '{first}'                 shipped    ""           no       first    '"{first}"'
run_case sz-no-NUL         REG_SZ        '{first}'                 shipped    ""           no       first    '"{first}"'
run_case none-type         0             '{first}\0'               shipped    ""           no       first    '"{first}"'
# 0x00006261 holds the bytes "ab" and two NULs.
run_case dword-text        REG_DWORD     'ab\0\0'                  beside-ab  ""           no       ab       '"ab"'
# An empty path: the first argument must not be started in its place.
run_case dword-zero        REG_DWORD     '\0\0\0\0'                shipped    " {second}"  no       -
# 0x12345678: four bytes and no NUL.
run_case dword-no-NUL      REG_DWORD     'xV4\022'                 shipped    " {second}"  refuses  -

wait_for_wine
check_cases
delete_product_record
finish
