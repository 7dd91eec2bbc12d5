#!/usr/bin/env bash
# Creates the test run's Wine prefix once; later tests share it.
source "$(dirname "$0")/wine_env.sh"
mkdir -p "$VELLUMARK_WINE_DIR"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >/dev/null 2>&1
fi
wineserver -w
test -f "$WINEPREFIX/system.reg" || fail "wineboot made no prefix"
