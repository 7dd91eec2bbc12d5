#!/usr/bin/env bash
# Wine's own Control Panel opens the applet: the main program starts with
# exactly its quoted path and nothing else, and the applet is not listed
# under "don't load".
source "$(dirname "$0")/applet_env.sh"
make_scratch

main="$SCRATCH/Program Files/Vellu Mark/Vellumark.exe"
install_stand_in "$main"
decoy=$(install_decoy "$main")
set_applet_registry "$(windows_path "$main")" yes

wine control.exe "$(windows_path "$APPLET")"
wait_for_wine

expected="\"$(windows_path "$main")\""
[ -f "$main.log" ] || fail "the main program never started"
[ "$(cat "$main.log")" = "$expected" ] ||
  fail "main program got '$(cat "$main.log")', want '$expected' once"
[ ! -f "$decoy.log" ] || fail "the unquoted path started $decoy"
after=$(dont_load_state)
[ -z "$after" ] || fail "\"don't load\" holds '$after'"
set_applet_registry "" no
wait_for_wine
echo "ok: started $(cat "$main.log"), nothing under \"don't load\""
