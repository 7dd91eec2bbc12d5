#!/usr/bin/env bash
# On a Western system, a main program under a folder whose name the ANSI code
# page cannot hold still starts, and such arguments reach it intact.
source "$(dirname "$0")/wine_env.sh"
# A Western system: Wine then runs with code page 1252.
export LANG=C.UTF-8
unset LC_ALL
make_scratch

main="$SCRATCH/软件 Ünïcode/卸载工具.exe"
install_stand_in "$main"
set_product_record "$(windows_path "$main")"

out=$(run_exact_unicode "$(windows_path "$VELLUMARK_BUILD_DIR/launcher.exe") 文件 \"a b€\" Ω")
wait_for_wine
[ "$out" = "exit=0" ] || fail "launcher answered '$out'"
[ -f "$main.log" ] || fail "the main program did not start"
expected="\"$(windows_path "$main")\" 文件 \"a b€\" Ω"
[ "$(cat "$main.log")" = "$expected" ] || fail "main program got '$(cat "$main.log")', want '$expected'"
echo "ok: $(cat "$main.log")"
