# Shared by the end-to-end tests: a private Wine prefix in the build tree and
# small helpers around it. Sourced; expects VELLUMARK_BUILD_DIR and
# VELLUMARK_WINE_DIR from CTest.
set -euo pipefail

export WINEPREFIX="$VELLUMARK_WINE_DIR/prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="   # no Mono or Gecko prompts
unset DISPLAY                               # message boxes return at once

PRODUCT_KEY='HKLM\SOFTWARE\Orrindale\Vellumark'
DONT_LOAD_KEY="HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Control Panel\\don't load"

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# The Windows spelling (Z:\...) of a Linux path.
windows_path() {
  printf 'Z:%s' "$(printf '%s' "$1" | tr '/' '\\')"
}

# A fresh folder for one test's files, removed when the test ends.
make_scratch() {
  SCRATCH=$(mktemp -d "$VELLUMARK_WINE_DIR/scratch.XXXXXX")
  trap 'rm -rf "$SCRATCH"' EXIT
}

# Under heavy load Wine may kill a Unix process that is slow to end after
# its work is done, so a write that reg reports done counts whatever the
# exit status (its message is only English under an English locale).
set_product_record() {
  local said
  said=$(wine reg add "$PRODUCT_KEY" /v EXEFilePath /t REG_SZ /d "$1" /f 2>&1) && return
  case "$said" in
    *"completed successfully"*) ;;
    *) fail "could not write the product record: $said" ;;
  esac
}

delete_product_record() {
  wine reg delete "$PRODUCT_KEY" /f >/dev/null 2>&1 || true
}

# Runs a Windows program with an exact raw command line (bytes of $1) and
# prints "exit=N".
run_exact() {
  local file="$SCRATCH/command-line.$RANDOM"
  printf '%s' "$1" > "$file"
  wine "$VELLUMARK_BUILD_DIR/tests/e2e/run_exact.exe" "$(windows_path "$file")" | tr -d '\r'
}

# Waits until every process of the prefix has ended, the main programs that
# a launcher left running included.
wait_for_wine() {
  wineserver -w
}

# Copies the stand-in main program to a Linux path.
install_stand_in() {
  mkdir -p "$(dirname "$1")"
  cp "$VELLUMARK_BUILD_DIR/tests/e2e/stand_in_main.exe" "$1"
}

# As run_exact, with a UTF-8 command line passed to the program as Unicode.
run_exact_unicode() {
  local file="$SCRATCH/command-line.$RANDOM"
  printf '%s' "$1" > "$file"
  wine "$VELLUMARK_BUILD_DIR/tests/e2e/run_exact.exe" --utf8 "$(windows_path "$file")" | tr -d '\r'
}
