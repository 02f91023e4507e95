# Shared functions of the desktop tests: the real program on a real X server.
#
# A test script sources this file, calls start_desktop, starts the program
# with start_program and drives it with xdotool. Every process started here is
# ended when the script exits, however it exits (stop_all runs from a trap).
#
#   start_desktop [--tray]   Xvfb on a free display, openbox as window manager,
#                            a throw-away HOME with XDG_RUNTIME_DIR inside it;
#                            --tray also starts trayer as the tray host.
#   start_tray               trayer as the tray host, on a started desktop;
#                            its pid in TRAY_PID
#   stop_tray                ends that trayer, as a panel that crashes
#   start_program [ARGS]     build/window/quomira in the background; its pid
#                            in PROGRAM_PID, its output in $DT_ROOT/program.log;
#                            PROGRAM_ENV holds env(1) arguments (NAME=VALUE,
#                            -u NAME) for the program alone, such as a locale
#   search_windows ARGS      xdotool search ARGS, sure of a whole walk
#   wait_window TITLE [SECS] the id of the first window named exactly TITLE
#   count_windows TITLE      how many visible windows are named TITLE
#   window_geometry ID       "X Y W H" of the window's outer frame
#   client_geometry ID       "X Y W H" of the client area
#   close_window ID          closes it as the user would (Alt+F4 in openbox)
#   wait_exit PID [SECS]     waits for a process to end
#   ini_value KEY            a value of the settings file (first match)
#   fail MESSAGE             ends the test as failed
#   wm_state, is_withdrawn, is_iconic, is_shown, tray_icon, click_icon,
#   tray_menu KEYS           the main window's state and the tray icon's menu
#
# Needs: Xvfb, openbox, xdotool, xwininfo (x11-utils), xclip; trayer for --tray.
# The program's path comes from $QUOMIRA (set by the test definitions).

set -u

DT_PIDS=()
DT_ROOT=$(mktemp -d "${TMPDIR:-/tmp}/quomira-desktop.XXXXXX")
DT_KEEP=${DT_KEEP:-0}   # 1 keeps $DT_ROOT for a look after the run
PROGRAM_PID=
PROGRAM_ENV=()
TRAY_PID=

fail()
{
    echo "FAIL: $*" >&2
    if [ -s "$DT_ROOT/program.log" ]; then
        echo "--- program output:" >&2
        cat "$DT_ROOT/program.log" >&2
    fi
    exit 1
}

note()
{
    echo "-- $*"
}

# Ends every process started here, newest first, then removes the folder.
stop_all()
{
    local i pid
    for ((i = ${#DT_PIDS[@]} - 1; i >= 0; i--)); do
        pid=${DT_PIDS[i]}
        kill "$pid" 2>/dev/null
    done
    for pid in "${DT_PIDS[@]}"; do
        wait_exit "$pid" 3 || kill -9 "$pid" 2>/dev/null
    done
    DT_PIDS=()
    if [ "$DT_KEEP" = 1 ]; then
        echo "kept: $DT_ROOT"
    else
        rm -rf "$DT_ROOT"
    fi
}
trap stop_all EXIT
trap 'exit 1' INT TERM HUP

# Remembers a background process for stop_all.
track()
{
    DT_PIDS+=("$1")
}

wait_exit()
{
    local pid=$1 secs=${2:-10} i
    for ((i = 0; i < secs * 20; i++)); do
        kill -0 "$pid" 2>/dev/null || return 0
        sleep 0.05
    done
    return 1
}

# Polls COMMAND until it succeeds, for at most SECS seconds.
wait_until()
{
    local secs=$1 i
    shift
    for ((i = 0; i < secs * 20; i++)); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.05
    done
    return 1
}

# A fresh HOME with nothing of the user's in it. XDG_RUNTIME_DIR is a private
# folder inside it; the other XDG folders are unset, so every program falls
# back to its place under HOME.
fresh_home()
{
    export HOME="$DT_ROOT/home"
    mkdir -p "$HOME"
    export XDG_RUNTIME_DIR="$DT_ROOT/run"
    mkdir -p -m 0700 "$XDG_RUNTIME_DIR"
    unset XDG_DATA_HOME XDG_CONFIG_HOME XDG_CACHE_HOME XDG_STATE_HOME XDG_SESSION_TYPE WAYLAND_DISPLAY
    unset DBUS_SESSION_BUS_ADDRESS SESSION_MANAGER QT_QPA_PLATFORM
    export QT_QPA_PLATFORM=xcb
}

wm_running()
{
    xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'
}

tray_running()
{
    xdotool search --classname '^trayer$' | grep -q .
}

start_desktop()
{
    local tray=0
    [ "${1:-}" = --tray ] && tray=1
    fresh_home
    exec 5>"$DT_ROOT/display"
    Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp -noreset >"$DT_ROOT/xvfb.log" 2>&1 &
    track $!
    exec 5>&-
    wait_until 10 test -s "$DT_ROOT/display" || fail "Xvfb did not start: $(cat "$DT_ROOT/xvfb.log")"
    export DISPLAY=":$(head -n 1 "$DT_ROOT/display")"
    note "display $DISPLAY"

    openbox --sm-disable >"$DT_ROOT/openbox.log" 2>&1 &
    track $!
    wait_until 10 wm_running || fail "openbox did not start: $(cat "$DT_ROOT/openbox.log")"

    if [ "$tray" = 1 ]; then
        start_tray
    fi
}

# trayer as the tray host, on a desktop already started.
start_tray()
{
    trayer --edge top --align right --widthtype request --height 24 --SetDockType true \
        >>"$DT_ROOT/trayer.log" 2>&1 &
    TRAY_PID=$!
    track "$TRAY_PID"
    wait_until 10 tray_running || fail "trayer did not start: $(cat "$DT_ROOT/trayer.log")"
}

stop_tray()
{
    kill -9 "$TRAY_PID" 2>/dev/null
    wait "$TRAY_PID" 2>/dev/null  # reaped here, so the shell says nothing of the kill
    wait_until 5 eval '! tray_running' || fail "trayer's window stayed"
}

start_program()
{
    [ -x "${QUOMIRA:-}" ] || fail "QUOMIRA does not name the program: '${QUOMIRA:-}'"
    env "${PROGRAM_ENV[@]}" "$QUOMIRA" "$@" >>"$DT_ROOT/program.log" 2>&1 &
    PROGRAM_PID=$!
    track "$PROGRAM_PID"
}

# xdotool search ARGS, one window id a line. xdotool walks the window tree
# one request at a time and ends on the first X error, printing nothing: a
# window destroyed during the walk (the frame of a box that just closed)
# would make every window look gone. Such a walk is made again.
search_windows()
{
    local errors="$DT_ROOT/search_windows.err" ids i
    for ((i = 0; i < 50; i++)); do
        ids=$(xdotool search "$@" 2>"$errors")
        if ! grep -q "X Error" "$errors"; then
            [ -z "$ids" ] || echo "$ids"
            return 0
        fi
        sleep 0.02
    done
    fail "xdotool could not walk the window tree: $(cat "$errors")"
}

# Visible windows named exactly TITLE, one id a line.
find_windows()
{
    search_windows --onlyvisible --name "^$1\$"
}

wait_window()
{
    local title=$1 secs=${2:-15} i id
    for ((i = 0; i < secs * 10; i++)); do
        id=$(find_windows "$title" | head -n 1)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    fail "no window '$title' after ${secs}s"
}

count_windows()
{
    find_windows "$1" | grep -c .
}

# The outer frame: the client area grown by the frame extents the window
# manager puts on the window (_NET_FRAME_EXTENTS: left, right, top, bottom).
window_geometry()
{
    local id=$1 x y w h left right top bottom
    read -r x y w h < <(client_geometry "$id")
    read -r left right top bottom < <(frame_extents "$id")
    echo "$((x - left)) $((y - top)) $((w + left + right)) $((h + top + bottom))"
}

frame_extents()
{
    local extents
    extents=$(xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.*= *//p' | tr -d ',')
    [ -n "$extents" ] || extents="0 0 0 0"
    echo "$extents"
}

client_geometry()
{
    xwininfo -id "$1" | awk '
        /Absolute upper-left X/ { x = $NF }
        /Absolute upper-left Y/ { y = $NF }
        /^ *Width:/ { w = $NF }
        /^ *Height:/ { h = $NF }
        END { print x, y, w, h }'
}

# Waits until the window's outer frame "X Y W H" matches the pattern WANT
# (a shell pattern: "* * 640 470" looks at the size alone); prints the last
# geometry read when it never does.
wait_geometry()
{
    local id=$1 want=$2 secs=${3:-5} i got
    for ((i = 0; i < secs * 10; i++)); do
        got=$(window_geometry "$id")
        # shellcheck disable=SC2254
        case "$got" in $want) return 0 ;; esac
        sleep 0.1
    done
    echo "$got"
    return 1
}

# Alt+F4 is openbox's close key: the window gets the window manager's close
# request, as from the frame's close button.
close_window()
{
    xdotool windowactivate --sync "$1" >/dev/null 2>&1 || xdotool windowfocus --sync "$1"
    xdotool key --clearmodifiers alt+F4
}

# The first value of KEY in the program's settings file.
ini_value()
{
    local file=${INI_FILE:-$HOME/.local/share/Quomira/dovra.ini}
    sed -n "s/^$1=//Ip" "$file" | head -n 1 | tr -d '\r'
}

expect_eq()
{
    [ "$1" = "$2" ] || fail "${3:-value}: expected '$2', got '$1'"
}

# ---- The tray: the state of the main window and the tray icon's menu. A
# test sets main (the main window's title) and icon (the tray icon's window,
# from tray_icon) before it uses them.

# Whether the window is in the window manager's list of managed windows.
in_client_list()
{
    xprop -root _NET_CLIENT_LIST | grep -qi "$(printf '0x%x' "$1")"
}

# The ICCCM state of a client window: Normal, Iconic, or "" when withdrawn.
wm_state()
{
    xprop -id "$1" WM_STATE 2>/dev/null | sed -n 's/.*window state: *//p'
}

# The tray icon's window: named "Quomira" with the program's class, mapped
# inside the tray host's panel.
tray_icon()
{
    local id
    id=$(xwininfo -root -tree | awk '/"Quomira": \("quomira" "Quomira"\)/ { print $1; exit }')
    [ -n "$id" ] && xwininfo -id "$id" | grep -q IsViewable && echo "$id"
}

# "X Y" of the centre of a window, in root coordinates.
centre_of()
{
    client_geometry "$1" | awk '{ print int($1 + $3 / 2), int($2 + $4 / 2) }'
}

click_icon()
{
    local button=$1 x y
    read -r x y < <(centre_of "$icon")
    xdotool mousemove "$x" "$y" sleep 0.1 click "$button"
}

# How many windows of the program are visible; a menu open is one more.
program_windows() { search_windows --onlyvisible --classname '^quomira$' | grep -c .; }
more_windows_than() { [ "$(program_windows)" -gt "$1" ]; }

is_withdrawn() { [ -z "$(wm_state "$1")" ] && ! in_client_list "$1"; }
is_iconic() { [ "$(wm_state "$1")" = Iconic ] && in_client_list "$1"; }
is_shown() { [ "$(wm_state "$1")" = Normal ] && count_windows "$main" | grep -qx 1; }
is_active() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ]; }

# Keys in the tray menu: Down from nothing takes its first item
# ("Monitorowanie schowka"), Up its last ("Zamknij"), Up twice "Ukryj".
tray_menu()
{
    local before
    before=$(program_windows)
    click_icon 3
    wait_until 5 more_windows_than "$before" || fail "the tray menu did not open"
    sleep 0.2
    xdotool key "$@" Return
}

# Nothing a test does may touch the real HOME: the throw-away one is in place
# from the start.
fresh_home
