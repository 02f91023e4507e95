#!/usr/bin/env bash
# A first start on an account that has no ~/.local/share yet creates the
# settings folder, each new folder for the user alone, and the catalogue in it.
source "$(dirname "$0")/lib.sh"

start_desktop
[ ! -e "$HOME/.local" ] || fail "the fresh HOME already has .local"

start_program
wait_window "Quomira v1.3.0.0" >/dev/null
folder="$HOME/.local/share/Quomira"
wait_until 5 test -s "$folder/dovra.db" || fail "no catalogue in $folder"
for dir in "$HOME/.local" "$HOME/.local/share" "$folder"; do
    expect_eq "$(stat -c %a "$dir")" 700 "mode of $dir"
done
head -c 16 "$folder/dovra.db" | grep -q "SQLite format 3" || fail "dovra.db is no SQLite database"
note "first start made $folder/dovra.db"
