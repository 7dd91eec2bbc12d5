# shellcheck shell=bash
# Helpers for the stress and bad-input tests. Sourced; brings in wine_env.sh.
source "$(dirname "${BASH_SOURCE[0]}")/wine_env.sh"

# shellcheck disable=SC2034  # used by the scripts that source this file
LAUNCHER="$VELLUMARK_BUILD_DIR/launcher.exe"
APPLET="$VELLUMARK_BUILD_DIR/Vellupanel.cpl"
E2E_HELPERS="$VELLUMARK_BUILD_DIR/tests/e2e"
PROBLEMS=()

# Notes a failed check and goes on, so that one run shows every broken case.
problem() {
  echo "FAIL $*" >&2
  PROBLEMS+=("$*")
}

# Ends the test: failed when any check failed.
finish() {
  [ "${#PROBLEMS[@]}" = 0 ] || fail "${#PROBLEMS[@]} checks failed"
  echo "all checks passed"
}

# Stores the bytes of a file, exactly, as the product record of a type
# (REG_SZ, REG_BINARY, ... or a number).
set_record_bytes() {
  local out
  out=$(wine "$E2E_HELPERS/set_registry_value.exe" "$PRODUCT_KEY" EXEFilePath \
    "$1" "$(windows_path "$2")" | tr -d '\r' || true)
  [ "$out" = written ] || fail "could not store the record as $1: '$out'"
}

# Runs a launcher (Linux path) with a raw argument tail and prints its exit
# status as run_exact does ("exit=N"), whatever it was.
run_launcher() {
  run_exact "$(windows_path "$1")$2" || true
}

# Opens the applet in Wine's own Control Panel host, which sends CPL_INIT and,
# when that answers 1, CPL_DBLCLK. Prints the host's exit code as Windows has
# it ("exit=N"): a crash in the applet ends the host with an exception code.
# Wine may kill a Unix process that is slow to end after its Windows process
# has, so the status of "wine control.exe" itself proves nothing.
open_in_control_panel() {
  run_exact "control.exe \"$(windows_path "$APPLET")\"" 2>>"$SCRATCH/control.err" || true
}

# The log of a stand-in main program: one line per start, or nothing.
starts_of() {
  if [ -f "$1.log" ]; then cat "$1.log"; fi
}

# Waits up to $2 seconds for a file to exist.
wait_for_file() {
  local deadline=$((SECONDS + $2))
  until [ -e "$1" ]; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.2
  done
}
