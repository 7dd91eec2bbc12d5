#!/usr/bin/env bash
# Wine's own Control Panel opens the applet while the main program's file
# exists but cannot be started (CPL_INIT still answers 1, so the Control Panel
# gets as far as opening it): the applet tells the user in a message box, on
# a virtual screen, and lists itself under "don't load" only where that key
# already exists. Screenshots go to the build folder.
if [ -z "${VELLUMARK_IN_XVFB:-}" ]; then
  VELLUMARK_IN_XVFB=1 exec xvfb-run -a -s '-screen 0 1024x768x24' bash "$0" "$@"
fi
display=$DISPLAY
source "$(dirname "$0")/applet_env.sh"
export DISPLAY=$display
make_scratch

WINDOW_TEXTS="$VELLUMARK_BUILD_DIR/tests/e2e/window_texts.exe"
SHOTS="$VELLUMARK_BUILD_DIR/screenshots"
mkdir -p "$SHOTS"
message='Vellumark is not properly installed. Please reinstall it. This control panel applet will uninstall itself on the next reboot.'

broken="$SCRATCH/Program Files/Vellu Mark/Vellumark.exe"
install_unstartable "$broken"
failed=0

# run_case NAME KEY SHOWING AFTER: KEY is whether "don't load" exists
# beforehand, SHOWING what it holds while the box is shown (the user is told
# first), AFTER what it holds once the box is dismissed.
run_case() {
  local name=$1 key=$2 showing=$3 want=$4 problems=()
  echo "--- $name"
  set_applet_registry "$(windows_path "$broken")" "$key"

  wine control.exe "$(windows_path "$APPLET")" &
  local control=$! window="" waited=0
  # Until the box shows, or the Control Panel ends without one.
  while [ -z "$window" ] && kill -0 "$control" 2>/dev/null && [ "$waited" -lt 120 ]; do
    sleep 0.5
    waited=$((waited + 1))
    window=$(xdotool search --name '^Vellumark$' 2>/dev/null | head -n 1 || true)
  done

  if [ -z "$window" ]; then
    problems+=("no message box titled Vellumark")
    # A Control Panel still waiting would keep the test until its timeout.
    kill -0 "$control" 2>/dev/null && wineserver -k
  else
    local texts
    texts=$(wine "$WINDOW_TEXTS" Vellumark | tr -d '\r' || true)
    printf '%s\n' "$texts"
    grep -qxF "Static: $message" <<<"$texts" || problems+=("the box does not say the message")
    grep -qxF "Button: OK" <<<"$texts" || problems+=("the box has no OK button")
    local during
    during=$(dont_load_state)
    [ "$during" = "$showing" ] ||
      problems+=("while the box shows, \"don't load\" holds '$during', want '$showing'")
    import -window root "$SHOTS/applet-retires-$name.png"
    xdotool key --window "$window" Return 2>/dev/null
  fi
  wait "$control" || problems+=("control.exe failed")
  wait_for_wine
  local after
  after=$(dont_load_state)
  [ "$after" = "$want" ] || problems+=("\"don't load\" holds '$after', want '$want'")

  if [ "${#problems[@]}" -gt 0 ]; then
    report_problems "$name" "${problems[@]}"
    failed=1
  else
    echo "ok   $name (screenshot $SHOTS/applet-retires-$name.png)"
  fi
}

#        NAME          KEY  SHOWING   AFTER
run_case key-exists    yes  ''        'Vellupanel.cpl|REG_SZ|'
run_case key-missing   no   'no key'  'no key'

set_applet_registry "" no
wait_for_wine
[ "$failed" = 0 ] || fail "some cases failed"
