#!/usr/bin/env bash
# A record that names the launcher itself, in any spelling of its file, starts
# nothing (the launcher would start itself over and over) and shows the
# not-installed message once. A different file of the same name is started.
source "$(dirname "$0")/launcher_env.sh"
start_launcher_test

self="$SCRATCH/LongFolderName/VellumarkLauncher.exe"
link="$SCRATCH/Linked Folder/Linked Launcher.exe"
namesake="$SCRATCH/Elsewhere/VellumarkLauncher.exe"
mkdir -p "$(dirname "$self")" "$(dirname "$link")"
cp "$LAUNCHER" "$self"
ln "$self" "$link"
install_stand_in "$namesake"

win_self=$(windows_path "$self")
win_link=$(windows_path "$link")
folder=${win_self%\\*}
# A bare name in the record must not be found through the working folder.
cd "$SCRATCH"

# record | the launcher's raw command line
cases=(
  "$win_self"                                    "\"$win_self\" a"
  "$win_self"                                    "\"$win_link\" a"
  "${win_self^^}"                                "\"$win_self\""
  "${win_self//\\//}"                            "\"$win_self\" a"
  "$folder\\.\\NoSuchFolder\\..\\VellumarkLauncher.exe" "\"$win_self\""
  "$win_self."                                   "\"$win_self\""
  "$win_link"                                    "\"$win_self\" a"
  'VellumarkLauncher.exe'                        "\"$win_self\""
  'vellumarklauncher'                            "\"$win_self\""
)
for ((i = 0; i < ${#cases[@]}; i += 2)); do
  step_record "${cases[i]}"
  step_run "${cases[i + 1]}"
done
# The 8.3 spelling, as the system gives it.
STEPS+=(set-short "$PRODUCT_KEY" EXEFilePath "$win_self")
step_run "\"$win_self\""
short_run=$RUNS
# Another file with the launcher's name is a main program like any other.
step_record "$(windows_path "$namesake")"
step_run "\"$win_self\" a"
namesake_run=$RUNS
run_steps

for ((i = 1; i < short_run; i++)); do
  what="record $(shown "${cases[2 * (i - 1)]}"), run as $(shown "${RAW[i]}")"
  expect_not_installed_message "$i" "$what"
  echo "ok: $what"
done
if [ "$SHORT_PATH" != "$win_self" ]; then
  expect_not_installed_message "$short_run" "record $(shown "$SHORT_PATH")"
  echo "ok: record $(shown "$SHORT_PATH")"
else
  echo "note: the drive has no 8.3 names; that spelling was not tried"
fi

expect_one_start "$namesake_run" "namesake"
expect_log_lines "$namesake.log" "\"$(windows_path "$namesake")\" a"
echo "ok: a namesake in another folder is started"
expect_nothing_else
