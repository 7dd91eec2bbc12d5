#!/usr/bin/env bash
# The applet loaded in two processes at once, the record changed between the
# first one's first call and the second one's: each process answers from the
# record it read on its own first call, and opens the program named there.
# Unlike a host nested inside another, the first host here is called again
# after the second one has read the changed record.
source "$(dirname "$0")/stress_env.sh"
make_scratch

PROBE="$E2E_HELPERS/applet_probe.exe"
COUNTS=()

# Sets the record to a stand-in of the case (old or new), or deletes it (-).
record() {
  if [ "$1" = - ]; then
    delete_product_record
  else
    set_product_record "$(windows_path "$CASE/$1/Vellumark.exe")"
  fi
}

probe() {
  wine "$PROBE" "$(windows_path "$APPLET")" "$@" 2>&1 | tr -d '\r' || true
}

# run_case NAME BEFORE AFTER FIRST SECOND OLD NEW
#   BEFORE, AFTER  the record before the first host's first call and after
#                  it, before the second host's (old, new or -)
#   FIRST, SECOND  each host's answers: CPL_INIT, CPL_INIT again after the
#                  other host ran, CPL_DBLCLK when the first said 1
#   OLD, NEW       how often each stand-in must have started
# Every case has its own stand-ins, counted after one wait at the end.
run_case() {
  local name=$1 before=$2 after=$3 want_first=$4 want_second=$5
  echo "--- $name"
  CASE="$SCRATCH/$name"
  install_stand_in "$CASE/old/Vellumark.exe"
  install_stand_in "$CASE/new/Vellumark.exe"
  COUNTS+=("$name old $6" "$name new $7")
  record "$before"

  local open_first=() open_second=()
  [[ $want_first == init=1* ]] && open_first=(open)
  [[ $want_second == init=1* ]] && open_second=(open)
  probe init "signal:$(windows_path "$CASE/ready")" \
    "wait:$(windows_path "$CASE/go")" init "${open_first[@]}" >"$CASE/first.out" &
  local first=$!
  if wait_for_file "$CASE/ready" 240; then
    record "$after"
    local second
    second=$(probe init "${open_second[@]}")
    [ "$second" = "$want_second" ] ||
      problem "$name: second host answered '${second//$'\n'/ }', want '${want_second//$'\n'/ }'"
  else
    problem "$name: the first host never made its first call"
  fi
  touch "$CASE/go"
  wait "$first" || true
  local answers
  answers=$(cat "$CASE/first.out")
  [ "$answers" = "$want_first" ] ||
    problem "$name: first host answered '${answers//$'\n'/ }', want '${want_first//$'\n'/ }'"
}

I1=$'init=1\ninit=1\nopen=0' I0=$'init=0\ninit=0'
#        NAME      BEFORE  AFTER  FIRST  SECOND               OLD NEW
run_case moved     old     new    "$I1"  $'init=1\nopen=0'    1   1
run_case deleted   old     -      "$I1"  'init=0'             1   0
run_case written   -       new    "$I0"  $'init=1\nopen=0'    0   1

wait_for_wine
for count in "${COUNTS[@]}"; do
  read -r name program want <<<"$count"
  started=$(starts_of "$SCRATCH/$name/$program/Vellumark.exe" | wc -l)
  [ "$started" = "$want" ] || problem "$name: $program program started $started times, want $want"
done

delete_product_record
finish
