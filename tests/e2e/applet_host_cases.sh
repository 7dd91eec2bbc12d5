#!/usr/bin/env bash
# The built applet under a test host: every answer, the entry record byte for
# byte and the stack across each call, for each kind of product record; then
# what opening the entry left behind (main program started, "don't load").
source "$(dirname "$0")/applet_env.sh"
make_scratch
show_program_icons

install_case_main
main=$(windows_path "$CASE_MAIN")
gone="$CASE_MAIN.gone"
folder=${CASE_MAIN%/*}
wildcard="$folder/Vellu?ark.exe"
unstartable="$SCRATCH/Broken Install/Vellumark.exe"
install_unstartable "$unstartable"
# Renaming the file must not change the name it retires itself under.
renamed="$SCRATCH/Other Panel.cpl"
cp "$APPLET" "$renamed"
retired='Vellupanel.cpl|REG_SZ|'

#        NAME         APPLET     RECORD          KEY STARTS DONT-LOAD   HOST SCENARIO, MAIN
run_case present      "$APPLET"  "$CASE_MAIN"    yes 1      ''          expect-present "$main"
run_case missing      "$APPLET"  "$gone"         yes 0      "$retired"  expect-absent "$(windows_path "$gone")"
run_case no-record    "$APPLET"  -               yes 0      "$retired"  expect-absent
run_case directory    "$APPLET"  "$folder"       yes 0      "$retired"  expect-absent "$(windows_path "$folder")"
run_case wildcard     "$APPLET"  "$wildcard"     yes 0      "$retired"  expect-absent "$(windows_path "$wildcard")"
run_case unstartable  "$APPLET"  "$unstartable"  yes 0      "$retired"  expect-unstartable "$(windows_path "$unstartable")"
run_case no-key       "$APPLET"  "$gone"         no  0      "no key"    expect-absent "$(windows_path "$gone")"
run_case renamed      "$renamed" "$gone"         yes 0      "$retired"  expect-absent "$(windows_path "$gone")"

set_applet_registry "" no
wait_for_wine
[ "$CASES_FAILED" = 0 ] || fail "some cases failed"
