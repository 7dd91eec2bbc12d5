# Shared by the launcher's end-to-end tests; sourced instead of wine_env.sh.
#
# A test collects steps (record changes and launcher command lines), then
# run_steps runs them all in one run_cases process. What each launcher did is
# read from Wine's relay trace, narrowed to the two calls that tell it: each
# program it started (WinExec, with the command line) and each message it
# showed (MessageBoxA, with text and caption). The narrowing is a value in
# the prefix; without it one message box writes 50 MB of trace and takes 15 s.
source "$(dirname "${BASH_SOURCE[0]}")/wine_env.sh"

# A Western system: Wine then runs with code page 1252.
export LANG=C.UTF-8
unset LC_ALL

LAUNCHER="$VELLUMARK_BUILD_DIR/launcher.exe"
RELAY_KEY='HKCU\Software\Wine\Debug'
NOT_INSTALLED_TEXT='Vellumark is not properly installed. Please reinstall it.'

STEPS=()
RAW=()
RUNS=0

# A scratch folder, undone when the test ends (kept with KEEP_SCRATCH=1, for
# a look at the trace after a failure).
start_launcher_test() {
  make_scratch
  trap 'end_launcher_test $?' EXIT
}

end_launcher_test() {
  if [ "$1" -ne 0 ]; then
    # A launcher that starts itself over and over would outlive the test.
    wineserver -k 2>/dev/null || true
    wine reg delete "$RELAY_KEY" /v RelayInclude /f >/dev/null 2>&1 || true
  fi
  [ -n "${KEEP_SCRATCH:-}" ] || rm -rf "$SCRATCH"
}

# A command line in brackets, control characters and high bytes made visible.
shown() {
  printf '[%s]' "$(printf '%s' "$1" | cat -v)"
}

# Steps for run_cases (see run_cases.cpp), one field each.
step_record() {
  STEPS+=(set "$PRODUCT_KEY" EXEFilePath "$1")
}

# Starts a program with the exact raw command line $1 (bytes); its run number
# is RUNS.
step_run() {
  RUNS=$((RUNS + 1))
  RAW[RUNS]=$1
  STEPS+=(run "$1")
}

# Runs the steps in one process and waits, at most a minute, until the
# programs the launchers started have ended. Fails unless every run ended with
# exit code 0. Sets SHORT_PATH when a set-short step ran. A test checks each
# run, then calls expect_nothing_else.
run_steps() {
  local steps="$SCRATCH/steps" out="$SCRATCH/run_cases.out"
  TRACE="$SCRATCH/trace"
  {
    printf '%s\0' set "$RELAY_KEY" RelayInclude 'kernel32.WinExec;user32.MessageBoxA'
    printf '%s\0' "${STEPS[@]}"
    printf '%s\0' delete-value "$RELAY_KEY" RelayInclude
  } > "$steps"
  # Files, not pipes: a program the launcher started may keep them open.
  WINEDEBUG=+relay wine "$VELLUMARK_BUILD_DIR/tests/e2e/run_cases.exe" \
    "$(windows_path "$steps")" >"$out" 2>"$TRACE" ||
    fail "run_cases: $(grep -a '^run_cases:' "$TRACE" || tr -d '\r' < "$out")"
  tr -d '\r' < "$out" > "$out.txt"
  SHORT_PATH=$(sed -n 's/^short //p' "$out.txt")

  SETTLED=yes
  timeout 60 wineserver -w || SETTLED=no

  # Each traced call, with the run whose launcher made it, or "stray".
  local threads
  threads=$(sed -n 's/^run \([0-9]*\) exit=[0-9]* thread=\([0-9a-f]*\)$/\1=\2/p' "$out.txt" | tr '\n' ' ')
  awk -v threads="$threads" '
    BEGIN {
      n = split(threads, pairs, " ")
      for (i = 1; i <= n; i++) { split(pairs[i], p, "="); thread[p[1]] = p[2] }
    }
    { sub(/\r$/, "") }
    /^run [0-9]+ begins$/ { run = $2; next }
    /^run [0-9]+ ends$/ { run = ""; next }
    tolower($0) ~ /^[0-9a-f]+:call (kernel32\.winexec|user32\.messageboxa)\(/ {
      id = substr($0, 1, index($0, ":") - 1)
      print ((run != "" && id == thread[run]) ? run : "stray") "\t" $0
    }' "$TRACE" > "$SCRATCH/calls"

  local i code
  for ((i = 1; i <= RUNS; i++)); do
    code=$(sed -n "s/^run $i exit=\([0-9]*\) .*/\1/p" "$out.txt")
    [ "$code" = 0 ] || fail "run $i $(shown "${RAW[i]}"): exit code '${code}', want 0"
  done
}

# No launcher was started by another one, and no program is still running.
expect_nothing_else() {
  local strays
  strays=$(calls_of stray '')
  [ -z "$strays" ] || fail "calls from a program a launcher started:"$'\n'"$strays"
  [ "$SETTLED" = yes ] || fail "processes still running a minute after the last launcher"
}

# Traced calls of run $1 whose text matches the awk pattern $2.
calls_of() {
  awk -F'\t' -v run="$1" -v pattern="$2" \
    '$1 == run && tolower($2) ~ pattern { print $2 }' "$SCRATCH/calls"
}

starts_of() {
  calls_of "$1" 'kernel32\.winexec'
}

messages_of() {
  calls_of "$1" 'user32\.messageboxa'
}

# Number of lines in $1, 0 for empty text.
count_lines() {
  if [ -z "$1" ]; then echo 0; else printf '%s\n' "$1" | wc -l; fi
}

# Run $1 started exactly one program and showed nothing.
expect_one_start() {
  local starts messages
  starts=$(starts_of "$1")
  messages=$(messages_of "$1")
  [ "$(count_lines "$starts")" -eq 1 ] ||
    fail "$2: want one start, got: '$starts'"
  [ -z "$messages" ] || fail "$2: unexpected message: $messages"
}

# Run $1 started nothing and showed nothing.
expect_quiet() {
  local starts messages
  starts=$(starts_of "$1")
  messages=$(messages_of "$1")
  [ -z "$starts" ] || fail "$2: the launcher started a program: $starts"
  [ -z "$messages" ] || fail "$2: the launcher showed a message: $messages"
}

# Run $1 started nothing and showed the not-installed message once, with the
# product's caption and only an OK button.
expect_not_installed_message() {
  local starts messages call
  starts=$(starts_of "$1")
  messages=$(messages_of "$1")
  [ -z "$starts" ] || fail "$2: the launcher started a program: $starts"
  [ "$(count_lines "$messages")" -eq 1 ] ||
    fail "$2: want one message, got: '$messages'"
  call=$(printf '%s' "$messages" | sed 's/^[0-9a-f]*:Call //; s/ ret=[0-9a-f]*$//')
  printf '%s' "$call" |
    grep -Eqx "user32\.MessageBoxA\(00000000,[0-9a-f]{8} \"${NOT_INSTALLED_TEXT//./\\.}\",[0-9a-f]{8} \"Vellumark\",00000000\)" ||
    fail "$2: wrong message: $call"
}

# Each NUL-terminated field of the input, read as Windows-1252 bytes, written
# back as UTF-8, as Wine converts them; the five bytes the code page leaves
# free become U+0081 and so on. One python start for a whole table.
cp1252_to_utf8() {
  "$(command -v /usr/bin/python3 || command -v python3)" -c '
import codecs, sys
codecs.register_error("c1", lambda e: (chr(e.object[e.start]), e.start + 1))
sys.stdout.buffer.write(sys.stdin.buffer.read().decode("cp1252", "c1").encode())'
}

# The stand-in's log holds exactly the lines $2..., in any order: the
# launcher does not wait for the program it starts, so two starts may finish
# in either order.
expect_log_lines() {
  local log=$1
  shift
  local want got
  want=$(printf '%s\n' "$@" | sort)
  got=$( [ -f "$log" ] && sort "$log" || true)
  [ "$want" = "$got" ] && return 0
  local line report=''
  while IFS= read -r line; do
    report+=$'\n'"  missing $(shown "$line")"
  done < <(comm -23 <(printf '%s\n' "$want") <(printf '%s\n' "$got"))
  while IFS= read -r line; do
    report+=$'\n'"  unexpected $(shown "$line")"
  done < <(comm -13 <(printf '%s\n' "$want") <(printf '%s\n' "$got"))
  fail "the main program's command lines differ:$report"
}
