# Helpers for the Control Panel applet's end-to-end tests and the demo.
# Sourced after nothing else; brings in wine_env.sh.
source "$(dirname "${BASH_SOURCE[0]}")/wine_env.sh"

APPLET="$VELLUMARK_BUILD_DIR/Vellupanel.cpl"
APPLET_HOST="$VELLUMARK_BUILD_DIR/tests/e2e/applet_host.exe"
CPLS_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Control Panel\Cpls'

# Wine's default prefix does not tie .exe to "exefile", so the shell shows
# its generic icon for every program; Windows shows the program's own.
show_program_icons() {
  wine reg add 'HKCR\.exe' /ve /t REG_SZ /d exefile /f >/dev/null
}

# Runs applet_host on an applet file (Linux path); its lines go to stdout.
# Answers with the host's exit code.
applet_host() {
  local applet=$1
  shift
  local status=0
  wine "$APPLET_HOST" "$(windows_path "$applet")" "$@" | tr -d '\r' || status=$?
  return "$status"
}

# Sets the product record to a Windows path (empty: no record) and makes
# the "don't load" key exist empty (yes) or not at all (no), in one registry
# import rather than a Wine process per change.
set_applet_registry() {
  local record=$1 key=$2 file="$SCRATCH/state.reg"
  local dont_load='HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Control Panel\don'"'"'t load'
  {
    printf 'REGEDIT4\r\n\r\n[-%s]\r\n\r\n' "$dont_load"
    if [ "$key" = yes ]; then printf '[%s]\r\n\r\n' "$dont_load"; fi
    printf '[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orrindale\\Vellumark]\r\n'
    if [ -n "$record" ]; then
      record=${record//\\/\\\\}
      printf '"EXEFilePath"="%s"\r\n' "${record//\"/\\\"}"
    else
      printf '"EXEFilePath"=-\r\n'
    fi
  } > "$file"
  wine reg import "$(windows_path "$file")" >/dev/null 2>&1
}

# Prints every value under "don't load" as NAME|TYPE|DATA, one a line, or
# "no key". (Keys made with "wine reg add" hold an empty default value; made
# by set_applet_registry, they hold nothing.)
dont_load_state() {
  local listing
  listing=$(wine reg query "$DONT_LOAD_KEY" 2>/dev/null) || {
    echo "no key"
    return
  }
  printf '%s\n' "$listing" | tr -d '\r' |
    awk -F '    ' '/^    [^ ]/ { print $2 "|" $3 "|" $4 }'
}

# Prints "FAIL NAME: PROBLEM; PROBLEM; ..." on stderr.
report_problems() {
  local name=$1
  shift
  { printf 'FAIL %s:' "$name"; printf ' %s;' "$@"; echo; } >&2
}

# A file named like a program that Windows refuses to start. A new file, not
# the old one overwritten: Wine may still take an overwritten program file
# for the program it was, and the start then hangs.
install_unstartable() {
  mkdir -p "$(dirname "$1")"
  rm -f "$1"
  printf 'not a program\r\n' > "$1"
}

# Lines of a stand-in's log, or 0 when it never ran.
start_count() {
  if [ -f "$1.log" ]; then wc -l < "$1.log" | tr -d ' '; else echo 0; fi
}

# The stand-in main program the applet cases start, and whether any failed.
CASE_MAIN=""
CASES_FAILED=0

# Puts a second stand-in where an unquoted command line for $1 finds a program
# first ("...\Vellu Mark\Vellumark.exe" read as "...\Vellu" plus arguments),
# and prints its path. Without it Wine would hide a missing quote: it quotes
# the program path itself when only the whole path names a file.
install_decoy() {
  local decoy
  decoy="$(dirname "$(dirname "$1")")/Vellu.exe"
  install_stand_in "$decoy"
  printf '%s' "$decoy"
}
CASE_DECOY=""

# The cases' main program: a stand-in in a folder with spaces, beside the
# decoy that runs only if its path loses its quotes.
install_case_main() {
  CASE_MAIN="$SCRATCH/Program Files/Vellu Mark/Vellumark.exe"
  install_stand_in "$CASE_MAIN"
  CASE_DECOY=$(install_decoy "$CASE_MAIN")
}

# run_case NAME APPLET RECORD KEY STARTS DONT-LOAD HOST-ARGUMENT...
#   RECORD     the product record as a Linux path, or - for none
#   KEY        yes when the "don't load" key exists beforehand
#   STARTS     how often $CASE_MAIN must have started, each time quoted alone
#   DONT-LOAD  the values under "don't load" afterwards, or "no key"
# Runs applet_host on APPLET with the arguments after the applet's path.
run_case() {
  local name=$1 applet=$2 record=$3 key=$4 starts=$5 want=$6
  shift 6
  echo "--- $name"
  local windows_record=""
  [ "$record" = - ] || windows_record=$(windows_path "$record")
  set_applet_registry "$windows_record" "$key"
  rm -f "$CASE_MAIN.log"
  [ -z "$CASE_DECOY" ] || rm -f "$CASE_DECOY.log"

  local problems=()
  applet_host "$applet" "$@" || problems+=("the host's checks failed")
  # Started programs may still be writing their lines.
  [ "$starts" = 0 ] || wait_for_wine
  local started
  started=$(start_count "$CASE_MAIN")
  [ "$started" = "$starts" ] ||
    problems+=("main program started $started times, want $starts")
  local line expected="\"$(windows_path "$CASE_MAIN")\""
  if [ "$started" != 0 ]; then
    while IFS= read -r line; do
      [ "$line" = "$expected" ] ||
        problems+=("main program got '$line', want '$expected'")
    done < "$CASE_MAIN.log"
  fi
  if [ -n "$CASE_DECOY" ] && [ -f "$CASE_DECOY.log" ]; then
    problems+=("the unquoted path started $CASE_DECOY")
  fi
  local after
  after=$(dont_load_state)
  [ "$after" = "$want" ] ||
    problems+=("\"don't load\" holds '$after', want '$want'")

  if [ "${#problems[@]}" -gt 0 ]; then
    report_problems "$name" "${problems[@]}"
    CASES_FAILED=1
  else
    echo "ok   $name"
  fi
}
