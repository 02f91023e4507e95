#!/usr/bin/env bash
# The program ends soon after its window is closed, also once the open
# dialog and the folder picker have been used by typing paths into them
# (each lists a large folder, then takes a typed file or folder). The time is
# taken from the close handler's last write of the settings file until the
# process has ended; the bound is generous for a loaded machine.
source "$(dirname "$0")/lib.sh"

main="Quomira v1.3.0.0"
limit_ms=1000

start_desktop
folder="$HOME/.local/share/Quomira/"
category=$("$CATALOGUE_SEED" "$folder" "Różne" "http://a.pl" "") || fail "catalogue_seed failed"
printf '[Opcje]\nAktPoz=%s\n' "$category" >"$folder/dovra.ini"
printf 'bez linków\n' >"$HOME/nic.txt"
mkdir -p "$HOME/teczka"
big=/usr/share/doc/

gone() { [ "$(count_windows "$1")" = 0 ]; }

# Types a path into the focused dialog's file name and presses Enter.
type_path()
{
    xdotool type --delay 20 "$1"
    xdotool key --clearmodifiers Return
}

# In the file dialog named TITLE, opening now: the large folder is typed
# (and listed), then PATH, which the dialog takes.
use_dialog()
{
    local title=$1 path=$2 dialog
    dialog=$(wait_window "$title" 10) || exit 1
    xdotool windowactivate --sync "$dialog" >/dev/null 2>&1
    type_path "$big"
    sleep 0.3
    type_path "$path"
    wait_until 10 gone "$title" || fail "'$title' did not take the typed '$path'"
}

start_program
id=$(wait_window "$main") || exit 1
read -r cx cy _ _ < <(client_geometry "$id")

# "Dodaj linki z pliku" (Ctrl+O on the link list): a large folder, then a file.
xdotool mousemove --sync $((cx + 300)) $((cy + 84)) click 1
xdotool key --clearmodifiers ctrl+o
use_dialog "Otwórz" "$HOME/nic.txt"
note "the open dialog listed a large folder and took a typed file"

# "Ustawienia programu" (the toolbar's seventeenth button), then the temp
# folder's "Wybierz": a large folder, then a folder of the user's.
xdotool mousemove --sync $((cx + 450)) $((cy + 14)) click 1
options=$(wait_window "Opcje programu" 10) || exit 1
read -r ox oy _ _ < <(client_geometry "$options")
xdotool mousemove --sync $((ox + 63)) $((oy + 72)) click 1
use_dialog "Wybierz katalog" "$HOME/teczka"
xdotool windowactivate --sync "$options" >/dev/null 2>&1
xdotool key --clearmodifiers Escape
wait_until 10 gone "Opcje programu" || fail "Escape did not close the options dialog"
note "the folder picker listed a large folder and took a typed one"

xdotool windowactivate --sync "$id" >/dev/null 2>&1 || xdotool windowfocus --sync "$id"
start=$(date +%s%3N)
xdotool key --clearmodifiers alt+F4
wait_exit "$PROGRAM_PID" 10 || fail "the program did not end after its window was closed"
ended=$(date +%s%3N)
# The close handler's last write of the settings file starts the program's
# own ending; before it lies xdotool's start on a loaded machine.
written=$(stat -c %.3Y "$folder/dovra.ini" | tr -d .)
[ "$written" -ge "$start" ] || fail "the close handler did not write the settings file"
took=$((ended - written))
note "ended $((ended - start)) ms after the close request, ${took} ms after the close handler wrote the settings"
[ "$took" -lt "$limit_ms" ] || fail "the program took ${took} ms to end after its close handler (more than ${limit_ms} ms)"
