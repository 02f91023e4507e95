#!/usr/bin/env bash
# The copy commands put the selected links and descriptions on the X
# clipboard; read back with xclip they are the catalogue's texts in UTF-8,
# byte for byte (the catalogue holds them in Windows-1250).
source "$(dirname "$0")/lib.sh"

main="Quomira v1.3.0.0"

link1='http://example.com/zażółć?q=ĄĘŚ'
link2='www.przykład.pl/gęślą jaźń'
descr1='Łąka – „opis”'
descr2='Źdźbło'

start_desktop
folder="$HOME/.local/share/Quomira/"
category=$("$CATALOGUE_SEED" "$folder" "Różne" "$link1" "$descr1" "$link2" "$descr2") ||
    fail "catalogue_seed failed"
printf '[Opcje]\nAktPoz=%s\n' "$category" >"$folder/dovra.ini"

start_program
id=$(wait_window "$main") || exit 1
sleep 0.5
read -r cx cy _ _ < <(client_geometry "$id")

# The link list's first two rows: click the first, Shift+click the second
# (the list's rows are 18 pixels high, below the column header).
row_x=$((cx + 300))
row1_y=$((cy + 84))
row2_y=$((row1_y + 18))
xdotool mousemove --sync "$row_x" "$row1_y" click 1
xdotool keydown shift mousemove --sync "$row_x" "$row2_y" click 1 keyup shift
sleep 0.2
[ -n "${DT_SHOT:-}" ] && import -window root "$DT_SHOT"

clipboard()
{
    xclip -selection clipboard -o -t UTF8_STRING
}

# "Kopiuj zaznaczone linki do schowka", Ctrl+C on the list.
xdotool key --clearmodifiers ctrl+c
expected=$(printf '%s\n%s' "$link1" "$link2" | od -An -tx1)
wait_until 5 test "$(clipboard | od -An -tx1)" = "$expected" ||
    fail "links on the clipboard: $(clipboard | od -An -c)"

# "Kpiuj zaznaczone opisy do schowka" has no shortcut: its toolbar button
# (ToolButton7, after "Kopiuj") stands 231 pixels from the client area's left.
xdotool mousemove --sync "$((cx + 231))" "$((cy + 14))" click 1
expected=$(printf '%s\n%s\n' "$descr1" "$descr2" | od -An -tx1)
wait_until 5 test "$(clipboard | od -An -tx1)" = "$expected" ||
    fail "descriptions on the clipboard: $(clipboard | od -An -c)"
note "links and descriptions read back in UTF-8"
