#!/usr/bin/env bash
# The applet reads the product record once per load, on its first call: a
# record deleted or written afterwards is not seen until the library is
# loaded again, and each process that loads it has its own.
source "$(dirname "$0")/applet_env.sh"
make_scratch
show_program_icons

install_case_main
main=$(windows_path "$CASE_MAIN")

# The deleted record's program still starts: the applet opens what it read.
#        NAME               APPLET    RECORD        KEY STARTS DONT-LOAD  HOST SCENARIO, MAIN
run_case load-once-deleted  "$APPLET" "$CASE_MAIN"  yes 1      ''         load-once-deleted "$main"
run_case load-once-written  "$APPLET" -             yes 0      ''         load-once-written "$main"
run_case two-hosts-deleted  "$APPLET" "$CASE_MAIN"  yes 0      ''         two-hosts-deleted "$main"
run_case two-hosts-written  "$APPLET" -             yes 0      ''         two-hosts-written "$main"

set_applet_registry "" no
wait_for_wine
[ "$CASES_FAILED" = 0 ] || fail "some cases failed"
