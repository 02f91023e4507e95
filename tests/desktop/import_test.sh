#!/usr/bin/env bash
# The clipboard monitor on the X clipboard: links put there by another
# program are offered in the add-links dialog; Enter on its focused
# "Dodaj linki" stores them (a character outside Windows-1250 percent-encoded)
# and shows them; the program's own copy of them is not offered again.
source "$(dirname "$0")/lib.sh"

main="Quomira v1.3.0.0"
dialog="Dodaj linki"

start_desktop
folder="$HOME/.local/share/Quomira/"
category=$("$CATALOGUE_SEED" "$folder" "Różne") || fail "catalogue_seed failed"
printf '[Opcje]\nAktPoz=%s\nMonitorowanie=1\nCzasMon=500\n' "$category" >"$folder/dovra.ini"

start_program
id=$(wait_window "$main") || exit 1
sleep 0.5
read -r cx cy _ _ < <(client_geometry "$id")

printf 'Linki:\n  http://пример.рф/łódź\nftp://nie.pl\n' | xclip -selection clipboard -i -quiet >/dev/null 2>&1 &
track $!
dialog_id=$(wait_window "$dialog" 10) || exit 1
[ "$(count_windows "$dialog")" = 1 ] || fail "more than one add-links dialog"
[ -n "${DT_SHOT:-}" ] && import -window root "$DT_SHOT"

# The dialog opens with "Dodaj linki" focused: Enter stores.
xdotool windowactivate --sync "$dialog_id" >/dev/null 2>&1 || xdotool windowfocus --sync "$dialog_id"
xdotool key --clearmodifiers Return
wait_until 5 test "$(count_windows "$dialog")" = 0 || fail "the add-links dialog stayed open"

# The stored link is the category's first and selected one: copy it back.
xdotool mousemove --sync "$((cx + 300))" "$((cy + 84))" click 1
xdotool key --clearmodifiers ctrl+c
clipboard()
{
    xclip -selection clipboard -o -t UTF8_STRING
}
expected='http://%D0%BF%D1%80%D0%B8%D0%BC%D0%B5%D1%80.%D1%80%D1%84/łódź'
wait_until 5 test "$(clipboard)" = "$expected" || fail "the stored link: $(clipboard)"
note "the link was offered, stored percent-encoded and shown"

# The monitor keeps ticking: the program's own copy is not offered.
sleep 1.5
[ "$(count_windows "$dialog")" = 0 ] || fail "the program's own copy was offered"
note "the program's own copy was not offered"
