#!/usr/bin/env bash
# The launcher starts the registered main program, quoted, with no arguments.
source "$(dirname "$0")/wine_env.sh"
make_scratch

main="$SCRATCH/Program Files/Vellu Mark/Vellumark.exe"
install_stand_in "$main"
set_product_record "$(windows_path "$main")"

out=$(run_exact "$(windows_path "$VELLUMARK_BUILD_DIR/launcher.exe")")
wait_for_wine
[ "$out" = "exit=0" ] || fail "launcher answered '$out'"
expected="\"$(windows_path "$main")\""
[ "$(cat "$main.log")" = "$expected" ] || fail "main program got '$(cat "$main.log")', want '$expected'"
echo "ok: $(cat "$main.log")"
