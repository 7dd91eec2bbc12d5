#!/usr/bin/env bash
# A Japanese system, where the ANSI code page is the double-byte 932: in ソ
# (0x83 0x5C) and 表 (0x95 0x5C) the second byte is a backslash. Arguments
# and a main program path holding them reach the main program intact, from
# the shipped launcher, from a launcher running with code page 932 as on
# Windows before 10 version 1903 (which ignores the UTF-8 setting), and from
# the applet in Wine's Control Panel host.
source "$(dirname "$0")/stress_env.sh"
export LANG=ja_JP.UTF-8
unset LC_ALL
locale -a | grep -qix 'ja_JP.utf-\?8' ||
  fail "no ja_JP.UTF-8 locale: run scripts/install-dependencies.sh"
make_scratch

# "ソ\" is 0x83 0x5C 0x5C in code page 932.
main="$SCRATCH/ソフト表/表示ソ/Vellumark ソ.exe"
install_stand_in "$main"
quoted="\"$(windows_path "$main")\""
# reg add stores the path as Unicode; the hosts read it in their code page.
set_product_record "$(windows_path "$main")"

# The shipped launcher with its UTF-8 setting renamed away: Wine honours
# that setting, so only such a copy runs with code page 932.
legacy="$SCRATCH/legacy/launcher.exe"
mkdir -p "${legacy%/*}"
python3 - "$LAUNCHER" "$legacy" <<'EOF'
import sys
data = open(sys.argv[1], "rb").read()
assert data.count(b"activeCodePage") == 2, "no UTF-8 setting to rename"
open(sys.argv[2], "wb").write(data.replace(b"activeCodePage", b"activeCodePagX"))
EOF

args='ソ 表 "a ソ" 表\ "x表 y" c:\ソ\表\ "表 "ソ €Ω'
expected=()

# run_case NAME LAUNCHER ARRIVES
#   ARRIVES  the arguments as the main program must get them
run_case() {
  local name=$1 launcher=$2
  echo "--- $name"
  local out
  out=$(run_exact_unicode "$(windows_path "$launcher") $args" || true)
  [ "$out" = "exit=0" ] || problem "$name: launcher answered '$out'"
  expected+=("$quoted $3")
}

#        NAME                LAUNCHER     ARRIVES
run_case shipped-launcher    "$LAUNCHER"  'ソ 表 "a ソ" 表\ "x表 y" c:\ソ\表\ "表 ソ" €Ω'
# Code page 932 has no €: that it turns into "?" shows this copy runs there.
run_case code-page-932       "$legacy"    'ソ 表 "a ソ" 表\ "x表 y" c:\ソ\表\ "表 ソ" ?Ω'

echo "--- applet"
status=$(open_in_control_panel)
[ "$status" = exit=0 ] || problem "applet: Control Panel host ended with '$status'"
expected+=("$quoted")

wait_for_wine
want=$(printf '%s\n' "${expected[@]}" | sort)
got=$(starts_of "$main" | sort)
[ "$got" = "$want" ] || problem "main program log:
$got
want:
$want"

delete_product_record
finish
