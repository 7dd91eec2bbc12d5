#!/usr/bin/env bash
# Fifty launchers started at once, each with its own argument: every one
# ends with 0 and starts the main program exactly once with its argument,
# none lost and none doubled.
source "$(dirname "$0")/stress_env.sh"
make_scratch

count=50
main="$SCRATCH/Vellu Mark/Vellumark.exe"
install_stand_in "$main"
set_product_record "$(windows_path "$main")"
quoted="\"$(windows_path "$main")\""

# Started by one program without waiting in between, and their exit codes
# taken from Windows.
lines=()
expected=()
for i in $(seq -w 1 "$count"); do
  # Every fifth argument holds a blank, which the launcher quotes again.
  if [ $((10#$i % 5)) = 0 ]; then
    lines+=("$(windows_path "$LAUNCHER") \"start $i\"")
    expected+=("$quoted \"start $i\"")
  else
    lines+=("$(windows_path "$LAUNCHER") start-$i")
    expected+=("$quoted start-$i")
  fi
done
printf '%s\n' "${lines[@]}" >"$SCRATCH/lines"
exits=$(wine "$E2E_HELPERS/start_together.exe" "$(windows_path "$SCRATCH/lines")" | tr -d '\r' || true)
[ "$exits" = "$(yes exit=0 | head -n "$count")" ] ||
  problem "the launchers did not all end with 0: $(printf '%s' "$exits" | sort | uniq -c | tr '\n' ' ')"
wait_for_wine

want=$(printf '%s\n' "${expected[@]}" | sort)
got=$(starts_of "$main" | sort)
[ "$got" = "$want" ] ||
  problem "starts differ from one per launcher (< missing, > extra):
$(diff <(printf '%s\n' "$want") <(printf '%s\n' "$got") | grep '^[<>]')"
echo "$(starts_of "$main" | wc -l) starts"

delete_product_record
finish
