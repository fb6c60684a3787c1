#!/usr/bin/env bash
# The window on a real X server (Xvfb), driven by xdotool's keys and clicks as a user's keyboard and
# mouse drive it, against the demo's sample site (nothing goes to the network). Widget tests hand
# keys to Qt directly; this is the path a real key takes, through the X server to the focus widget.
#
#   1. The sample Duitang user's address typed into the address box and Enter lists its albums: the
#      address is in soft.dat's history, where a list that found albums puts it.
#   2. A click in the table, Ctrl+A, Tab out of the table, Shift+Tab back in and Shift+Tab again
#      onto 下载, and Space: all five albums download, so the selection came through whole.
#   3. Closing the window during the download asks first (a second window appears); after 否 the
#      window stays; closing again ends the program.
#
# Exits 0 when every step holds, else 1 naming the step. The steps take well under two minutes;
# building the programs (build/debug) comes before.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset debug >/dev/null
cmake --build --preset debug --target albumora albumora-cli albumora-demo-site
bin=build/debug

# The sample user's albums.
readonly kAlbums=5

work=$(mktemp -d "${TMPDIR:-/tmp}/albumora-real-display.XXXXXX")
settings=$work/settings
pictures=$work/pictures
mkdir -p "$settings" "$pictures"
pids=()
cleanup() {
    local i
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null || true
        wait "${pids[i]}" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "real-display-check: FAILED: $*" >&2
    if [[ -s $work/albumora.log ]]; then
        echo "--- the program's output:" >&2
        tail -n 20 "$work/albumora.log" >&2
    fi
    exit 1
}

# No step may take the whole run past this.
started=$SECONDS
deadline=$((started + 100))
# wait_for SECONDS WHAT COMMAND...: polls COMMAND until it succeeds, else fails with WHAT.
wait_for() {
    local seconds=$1 what=$2
    local limit=$((SECONDS + seconds))
    shift 2
    ((limit < deadline)) || limit=$deadline
    until "$@"; do
        if [[ -n ${app:-} ]] && ! kill -0 "$app" 2>/dev/null && [[ ${app_may_end:-} != yes ]]; then
            fail "$what: the program ended"
        fi
        ((SECONDS < limit)) || fail "$what (waited ${seconds}s)"
        sleep 0.2
    done
}

# The X server, on the first free display.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
has_display() { [[ -s $work/display ]]; }
wait_for 20 "Xvfb did not start" has_display
display=$(head -n 1 "$work/display")
export DISPLAY=:$display

# The sample site prints one line once it listens (see scripts/demo.sh).
"$bin/demo/albumora-demo-site" --ca-folder "$work/ca" >"$work/site.txt" &
pids+=($!)
site_listens() { [[ -s $work/site.txt ]]; }
wait_for 30 "the demo site did not start" site_listens
read -r proxy _ user tls_proxy ca _ <"$work/site.txt" || true
proxy=${proxy#http_proxy=}
user=${user#duitang=}
tls_proxy=${tls_proxy#https_proxy=}
ca=${ca#ca=}
[[ $proxy == http://127.0.0.1:* && $user == http://* ]] || fail "the demo site gave no address"

# Pictures into the work folder, and no file browser at the end of a run.
"$bin/src/cli/albumora-cli" --settings-dir "$settings" settings set save-folder "$pictures" >/dev/null
"$bin/src/cli/albumora-cli" --settings-dir "$settings" settings set open-folder off >/dev/null

env -u QT_QPA_PLATFORM -u HTTP_PROXY -u HTTPS_PROXY -u ALL_PROXY -u no_proxy -u NO_PROXY \
    "http_proxy=$proxy" "https_proxy=$tls_proxy" "all_proxy=$proxy" "CURL_CA_BUNDLE=$ca" \
    "$bin/src/gui/albumora" --settings-dir "$settings" >"$work/albumora.log" 2>&1 &
app=$!
pids+=("$app")

# The main window and the questions it asks are the visible windows named Albumora.
windows() { xdotool search --onlyvisible --name '^Albumora$' 2>/dev/null || true; }
one_window() { [[ $(windows | wc -l) -eq 1 ]]; }
wait_for 30 "the window did not appear" one_window
window=$(windows)
# Without a window manager nothing gives the window the keyboard; a click on it would.
timeout 10 xdotool windowfocus --sync "$window"

# 1. The address box has the focus when the window opens.
xdotool type --delay 20 "$user"
xdotool key Return
listed() { tr -d '\0' <"$settings/soft.dat" | grep -qF "$user"; }
wait_for 30 "Enter in the address box did not list the albums (the address is not in soft.dat's history)" listed

# 2. The click lands in the table, below its rows or on one: either way the table has the focus.
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove --window "$window" $((WIDTH / 2)) $((HEIGHT / 2)) click 1
xdotool key --delay 150 ctrl+a Tab shift+Tab shift+Tab space
album_folders() { find "$pictures" -mindepth 2 -maxdepth 2 -type d | wc -l; }
download_started() { [[ $(album_folders) -ge 1 ]]; }
wait_for 20 "no download started: Tab and Shift+Tab did not lead out of the table to 下载" download_started

# 3. Each album's pictures wait for the site's pause after their page, so the download runs on.
send_close() {
    # What a window manager's close button sends.
    python3 - "$window" <<'EOF'
import ctypes, sys
x = ctypes.CDLL("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XOpenDisplay.argtypes = [ctypes.c_char_p]
x.XInternAtom.restype = ctypes.c_ulong
x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x.XFlush.argtypes = [ctypes.c_void_p]
x.XCloseDisplay.argtypes = [ctypes.c_void_p]

class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]

class Event(ctypes.Union):
    _fields_ = [("client", ClientMessage), ("pad", ctypes.c_long * 24)]

x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.POINTER(Event)]
display = x.XOpenDisplay(None)
if not display:
    sys.exit("cannot open the display")
event = Event()
event.client.type = 33  # ClientMessage
event.client.window = int(sys.argv[1])
event.client.message_type = x.XInternAtom(display, b"WM_PROTOCOLS", 0)
event.client.format = 32
event.client.data[0] = x.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
x.XSendEvent(display, int(sys.argv[1]), 0, 0, ctypes.byref(event))
x.XFlush(display)
x.XCloseDisplay(display)
EOF
}
question() { windows | grep -vx "$window" | head -n 1 || true; }
asked() { [[ -n $(question) ]]; }
not_asked() { [[ -z $(question) ]]; }
send_close
wait_for 10 "closing during the download did not ask first" asked
dialog=$(question)
timeout 10 xdotool windowfocus --sync "$dialog"
xdotool key Escape
wait_for 10 "the question did not go with 否 (Escape)" not_asked
[[ $(windows) == "$window" ]] || fail "the window did not stay after 否"

all_albums() { [[ $(album_folders) -eq $kAlbums ]]; }
wait_for 45 "not all $kAlbums albums downloaded: the selection did not come through Tab whole" all_albums

# The last album may still be at work: then the question comes again, and 是 (Y) ends the program.
app_may_end=yes
send_close
ended() { ! kill -0 "$app" 2>/dev/null; }
asked_or_ended() { ended || asked; }
wait_for 10 "closing the window did nothing" asked_or_ended
if ! ended; then
    timeout 10 xdotool windowfocus --sync "$(question)"
    xdotool key y
fi
wait_for 15 "the program did not end after closing" ended
status=0
wait "$app" || status=$?
[[ $status -eq 0 ]] || fail "the program ended with status $status"
echo "real-display-check: Enter lists, Tab leaves the table with the selection whole, closing during a" \
    "download asks first ($((SECONDS - started))s)"
