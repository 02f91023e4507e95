#!/usr/bin/env bash
# Only one copy runs: a second start shows "Informacja" and opens no second
# main window, touching nothing; a copy killed with -9 leaves no lock behind.
source "$(dirname "$0")/lib.sh"

main="Quomira v1.3.0.0"

start_desktop
ini="$HOME/.local/share/Quomira/dovra.ini"
start_program
first=$PROGRAM_PID
wait_window "$main" >/dev/null

start_program
second=$PROGRAM_PID
box=$(wait_window "Informacja") || exit 1
expect_eq "$(count_windows "$main")" 1 "main windows while the second copy asks"
xdotool windowactivate --sync "$box" >/dev/null 2>&1 || true
xdotool key --clearmodifiers Return
wait_exit "$second" 10 || fail "the second copy did not end after its message"
kill -0 "$first" 2>/dev/null || fail "the first copy ended"
expect_eq "$(count_windows "$main")" 1 "main windows after the second copy ended"
[ ! -e "$ini" ] || fail "the second copy wrote the settings file"

# A copy that is killed holds no lock: the next start is the only copy.
kill -9 "$first"
wait_exit "$first" 5 || fail "kill -9 did not end the program"
start_program
wait_window "$main" >/dev/null
sleep 0.5
expect_eq "$(count_windows "Informacja")" 0 "\"Informacja\" boxes after a kill -9"
kill -0 "$PROGRAM_PID" 2>/dev/null || fail "the start after a kill -9 ended"
note "one copy at a time, no lock left by kill -9"
