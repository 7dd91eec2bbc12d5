#!/usr/bin/env bash
# The project's main job: installs what is needed, builds the 32-bit launcher
# and Control Panel applet (build/windows), and shows both at work under Wine
# in a demo prefix (build/windows/demo) on a virtual screen:
#   - the launcher starts the main program with its own arguments;
#   - Wine's Control Panel lists the applet with its name and the main
#     program's icon, and opening it starts the main program;
#   - with the main program broken, opening it tells the user and lists the
#     applet under "don't load".
# Screenshots: docs/control-panel.png, docs/not-installed.png.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

step() { printf '\n== %s\n' "$*"; }

if [ -z "${VELLUMARK_DEMO_SCREEN:-}" ]; then
  step "Dependencies"
  if [ "$(id -u)" -eq 0 ]; then
    scripts/install-dependencies.sh
  elif command -v sudo >/dev/null; then
    sudo scripts/install-dependencies.sh
  else
    echo "not root and no sudo: assuming scripts/install-dependencies.sh has run"
  fi

  step "Build: cmake --preset windows (build/windows)"
  log="$root/build/windows-build.log"
  mkdir -p build
  if ! { cmake --preset windows && cmake --build --preset windows -j "$(nproc)"; } >"$log" 2>&1; then
    cat "$log"
    exit 1
  fi
  ls -l build/windows/launcher.exe build/windows/Vellupanel.cpl

  # The rest runs on a virtual screen of its own.
  VELLUMARK_DEMO_SCREEN=1 exec xvfb-run -a -s '-screen 0 900x600x24' bash "$0" "$@"
fi

export VELLUMARK_BUILD_DIR="$root/build/windows"
export VELLUMARK_WINE_DIR="$root/build/windows/demo"
display=$DISPLAY
source tests/e2e/applet_env.sh # unsets DISPLAY, for the tests' sake
export DISPLAY=$display
WINDOW_TEXTS="$VELLUMARK_BUILD_DIR/tests/e2e/window_texts.exe"
# The Wine virtual desktop that draws window frames for the screenshots.
DESKTOP=VellumarkDemo

step "Wine prefix: $WINEPREFIX"
mkdir -p "$VELLUMARK_WINE_DIR"
bash tests/e2e/create_prefix.sh
# Whatever a previous demo left running in this prefix.
wineserver -k 2>/dev/null || true
wineserver -w
SCRATCH="$VELLUMARK_WINE_DIR/work"
rm -rf "$SCRATCH"
mkdir -p "$SCRATCH"

# Waits up to $1 seconds for a command to succeed.
wait_until() {
  local seconds=$1
  shift
  local tries=$((seconds * 2))
  until "$@"; do
    tries=$((tries - 1))
    [ "$tries" -gt 0 ] || return 1
    sleep 0.5
  done
}

# Waits for the main program's log to hold $1 lines.
has_lines() { [ "$(start_count "$main")" -ge "$1" ]; }

# Where the Control Panel shows the stand-in's icon (orange, #c2410c), as
# "X Y", from a screenshot; fails when it does not show it.
find_icon() {
  import -window root "$SCRATCH/screen.png"
  convert "$SCRATCH/screen.png" -alpha off -fuzz 4% -fill '#FF00FF' -opaque '#c2410c' \
    -fuzz 0 -fill black +opaque '#FF00FF' txt:- |
    awk -F'[,: ]+' '/#FF00FF/ { x += $1; y += $2; n++ }
                    END { if (n < 200) exit 1; printf "%d %d\n", x / n, y / n }'
}

# The message box's texts, once it shows.
message_box() {
  wine "$WINDOW_TEXTS" --where --desktop "$DESKTOP" Vellumark 2>/dev/null | tr -d '\r'
}

step "Install: stand-in main program, launcher and applet"
windows_dir='C:\Program Files (x86)\Orrindale\Vellumark'
install_dir="$WINEPREFIX/drive_c/Program Files (x86)/Orrindale/Vellumark"
main="$install_dir/Vellumark.exe"
rm -rf "$install_dir"
install_stand_in "$main"
cp "$VELLUMARK_BUILD_DIR/launcher.exe" "$VELLUMARK_BUILD_DIR/Vellupanel.cpl" "$install_dir/"
ls -l "$install_dir"
show_program_icons
# The product record; and the "don't load" key, which Windows has and a new
# Wine prefix lacks.
set_applet_registry "$windows_dir\\Vellumark.exe" yes
wine reg query "$PRODUCT_KEY" | tr -d '\r' | sed '/^$/d'

step "Launcher: started with arguments, through run_exact"
launch="\"$windows_dir\\launcher.exe\" --open \"C:\\Users\\Public\\Quarterly report.txt\" /quiet"
echo "command line:          $launch"
echo "launcher:              $(run_exact "$launch")"
wait_until 60 has_lines 1 || { echo "the main program did not start"; exit 1; }
launched=$(sed -n 1p "$main.log")
echo "main program received: $launched"

step "Control Panel: the applet registered under Cpls"
wine reg add "$CPLS_KEY" /v Vellupanel /t REG_SZ /d "$windows_dir\\Vellupanel.cpl" /f >/dev/null
wine reg query "$CPLS_KEY" | tr -d '\r' | sed '/^$/d'
wine explorer "/desktop=$DESKTOP,900x600" control.exe >/dev/null 2>&1 &
wait_until 90 find_icon >/dev/null && icon=$(find_icon) || {
  cp "$SCRATCH/screen.png" docs/control-panel-failed.png 2>/dev/null || true
  echo "the Control Panel does not show the Vellumark entry"
  exit 1
}
read -r icon_x icon_y <<<"$icon"
echo "Vellumark entry with the main program's icon at $icon_x,$icon_y"
# Selected, so that the status bar shows the entry's description; then a
# click beside it, so that the icon shows in its own colours again.
xdotool mousemove "$icon_x" "$icon_y" click 1
sleep 1
xdotool mousemove 600 300 click 1
sleep 1
mkdir -p docs
import -window root docs/control-panel.png
echo "screenshot: docs/control-panel.png"

step "Control Panel: opening the entry starts the main program"
xdotool mousemove "$icon_x" "$icon_y" click --repeat 2 --delay 80 1
wait_until 60 has_lines 2 || { echo "opening the entry started nothing"; exit 1; }
opened=$(sed -n 2p "$main.log")
echo "main program received: $opened"

# Wine's Control Panel opens each entry in a new process that loads the
# applet afresh; with the file gone, CPL_INIT answers 0 there and the entry
# never opens. A file that is no longer a program gets as far as opening.
step "Main program broken (its file is no longer a program): opening the entry again"
install_unstartable "$main"
rm -f "$main.log"
xdotool mousemove "$icon_x" "$icon_y" click --repeat 2 --delay 80 1
wait_until 60 message_box >/dev/null && box=$(message_box) || {
  import -window root "$SCRATCH/no-message-box.png"
  echo "no message box (screen: $SCRATCH/no-message-box.png)"
  exit 1
}
sed 's/ @ .*//' <<<"$box"
during=$(dont_load_state)
sleep 1
import -window root docs/not-installed.png
echo "screenshot: docs/not-installed.png"
# OK, by its place on the screen.
read -r left top right bottom < <(sed -n 's/^Button: OK @ \(.*\)/\1/p' <<<"$box" | tr ',' ' ')
xdotool mousemove $(((left + right) / 2)) $(((top + bottom) / 2)) click 1
wait_until 30 sh -c '! wine "$0" --desktop "$1" Vellumark >/dev/null 2>&1' "$WINDOW_TEXTS" "$DESKTOP" ||
  echo "the message box did not close"
after=$(dont_load_state)
echo "\"don't load\" while the box showed: ${during:-(no values)}"
echo "\"don't load\" afterwards:           ${after:-(no values)}"

# The Control Panel stays open until the demo's prefix is shut down.
wineserver -k 2>/dev/null || true
wineserver -w

step "Summary"
cat <<EOF
Built (build/windows):     launcher.exe, Vellupanel.cpl
Demo prefix:               $WINEPREFIX
Main program (stand-in):   $windows_dir\\Vellumark.exe
Launcher command line:     $launch
  main program received:   $launched
Control Panel:             lists "Vellumark" with the main program's icon
  opening it started:      $opened
Main program broken:       opening it showed "Vellumark is not properly installed..."
  "don't load" afterwards: ${after:-(no values)}
Screenshots:               docs/control-panel.png, docs/not-installed.png
EOF
