#!/usr/bin/env bash
# The ZIP a packager ships, unpacked into a fresh Wine prefix with its .reg
# file imported, runs as it is: the launcher and the applet both start the
# main program installed beside them.
source "$(dirname "$0")/wine_env.sh"
make_scratch

(cd "$VELLUMARK_BUILD_DIR" && cpack -G ZIP -B "$SCRATCH/package" >/dev/null)
zip=$(ls "$SCRATCH"/package/*.zip)

export WINEPREFIX="$SCRATCH/prefix"
trap 'wineserver -k 2>/dev/null || true; rm -rf "$SCRATCH"' EXIT
wineboot -i >/dev/null 2>&1
wineserver -w

folder="$WINEPREFIX/drive_c/Program Files/Vellumark"
mkdir -p "$folder"
unzip -q "$zip" -d "$folder"
for file in launcher.exe Vellupanel.cpl vellumark.reg INSTALL.txt; do
  [ -f "$folder/$file" ] || fail "$file is not in the package"
done
install_stand_in "$folder/Vellumark.exe"
wine reg import 'C:\Program Files\Vellumark\vellumark.reg' >/dev/null 2>&1

wine reg query 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Control Panel\Cpls' /v Vellupanel |
  tr -d '\r' | grep -qF 'C:\Program Files\Vellumark\Vellupanel.cpl' ||
  fail "the applet is not registered under Cpls"

out=$(run_exact '"C:\Program Files\Vellumark\launcher.exe" --from-package')
[ "$out" = "exit=0" ] || fail "launcher answered '$out'"
wine control.exe 'C:\Program Files\Vellumark\Vellupanel.cpl'
wait_for_wine

# Both starts run on their own, so either may be logged first.
main='"C:\Program Files\Vellumark\Vellumark.exe"'
expected=$(printf '%s\n' "$main" "$main --from-package" | sort)
log=$(sort "$folder/Vellumark.exe.log" 2>/dev/null || true)
[ "$log" = "$expected" ] || fail "main program starts were '$log', want '$expected'"
echo "ok: package runs from C:\\Program Files\\Vellumark"
