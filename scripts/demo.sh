#!/usr/bin/env bash
# The offline demo: Albumora against a sample Huaban board and Duitang user that
# albumora-demo-site serves on 127.0.0.1 as the program's http_proxy, and a sample user of each
# site as they answer today, over https through the site's https_proxy, with the demo's own
# certificate authority passed in CURL_CA_BUNDLE. Nothing goes to the network.
#
#   scripts/demo.sh [window|cli]     (make demo, make demo-cli; window by default)
#
# window: opens the window on the sample Duitang user; you press the buttons.
# cli:    lists and downloads the samples with albumora-cli, then shows the files written.
# Settings go to build/demo/settings, pictures to build/demo/pictures and the authority to
# build/demo/ca, all emptied each run.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=${1:-window}
if [[ $mode != window && $mode != cli ]]; then
    echo "usage: scripts/demo.sh [window|cli]" >&2
    exit 2
fi
if [[ $mode == window && -z ${DISPLAY:-} && -z ${WAYLAND_DISPLAY:-} && -z ${QT_QPA_PLATFORM:-} ]]; then
    echo "scripts/demo.sh: no display to open the window on; try 'make demo-cli', or 'xvfb-run -a scripts/demo.sh window' to see it start" >&2
    exit 2
fi

scripts/install-deps.sh
cmake --preset release >/dev/null
targets=(albumora-cli albumora-demo-site)
[[ $mode == window ]] && targets+=(albumora)
cmake --build --preset release --target "${targets[@]}"

bin=build/release
settings=build/demo/settings
pictures=build/demo/pictures
ca_folder=build/demo/ca
rm -rf "$settings" "$pictures" "$ca_folder"
mkdir -p "$settings" "$pictures"

# The site prints one line once it listens: "http_proxy=URL huaban=ADDRESS duitang=ADDRESS
# https_proxy=URL ca=PATH huaban_today=ADDRESS duitang_today=ADDRESS".
site_line=build/demo/site.txt
rm -f "$site_line"
"$bin/demo/albumora-demo-site" --ca-folder "$ca_folder" >"$site_line" &
site=$!
trap 'kill "$site" 2>/dev/null || true; wait "$site" 2>/dev/null || true' EXIT
for _ in $(seq 600); do
    [[ $(wc -l <"$site_line") -ge 1 ]] && break
    if ! kill -0 "$site" 2>/dev/null; then
        echo "scripts/demo.sh: the demo site did not start" >&2
        exit 1
    fi
    sleep 0.1
done
read -r proxy board user tls_proxy ca huaban_today duitang_today _ <"$site_line" || true
proxy=${proxy#http_proxy=}
board=${board#huaban=}
user=${user#duitang=}
tls_proxy=${tls_proxy#https_proxy=}
ca=${ca#ca=}
huaban_today=${huaban_today#huaban_today=}
duitang_today=${duitang_today#duitang_today=}
if [[ $proxy != http://127.0.0.1:* || $tls_proxy != http://127.0.0.1:* || ! -f $ca ]]; then
    echo "scripts/demo.sh: the demo site gave no address" >&2
    exit 1
fi

# Only the sample site may be reached. The user's own proxy settings go. https goes to the site's
# CONNECT proxy, whose tunnels all end at the site itself whatever host they name, so a pasted
# https address reaches the samples or fails, never the real site; the program trusts the demo's
# authority alone. Every other scheme goes to the site's plain proxy, which answers none of them.
# The login browser (Chromium) sends everything to the plain proxy, so it too reaches nothing.
demo_env=(env -u HTTP_PROXY -u HTTPS_PROXY -u ALL_PROXY -u no_proxy -u NO_PROXY
    "http_proxy=$proxy" "https_proxy=$tls_proxy" "all_proxy=$proxy" "CURL_CA_BUNDLE=$ca"
    "QTWEBENGINE_CHROMIUM_FLAGS=${QTWEBENGINE_CHROMIUM_FLAGS:+$QTWEBENGINE_CHROMIUM_FLAGS }--proxy-server=$proxy")
cli() {
    "${demo_env[@]}" "$bin/src/cli/albumora-cli" --settings-dir "$settings" "$@"
}
say() {
    printf '\n\033[1m%s\033[0m\n' "$*"
}

# Name the saved files by what they are (the sample's pictures are PNG), and save into the demo's
# picture folder, which the window then shows as its save folder.
cli settings set fix-format on >/dev/null
cli settings set save-folder "$pictures" >/dev/null

if [[ $mode == window ]]; then
    cat <<EOF

Albumora demo: the sample site answers on $proxy; nothing goes to the network.
  Duitang user (already in the address box): $user
  Huaban board: $board
The sites as they answer today, over https through $tls_proxy with the demo's own
certificate authority (CURL_CA_BUNDLE=$ca):
  Huaban user: $huaban_today
  Duitang user: $duitang_today

In the window:
  1. Press 获取相册: the user's five albums are listed one by one. 预览图 shows their covers.
  2. Select albums (click, Ctrl-click, or 全选) and press 下载.
  3. For the board, paste its address and press 获取相册: it downloads by itself once listed.
  4. Then paste today's addresses the same way: select the boards or albums and press 下载.
     Take Duitang's old user before its today one: once the today user has shown that the site
     has moved, the window asks only Duitang's present interface, which knows the today user alone.
Pictures go to $pictures/OWNER/ALBUM/. Close the window to end the demo.
EOF
    status=0
    "${demo_env[@]}" "$bin/src/gui/albumora" --settings-dir "$settings" "$user" || status=$?
    say "$(find "$pictures" -name '*.png' | wc -l) pictures in $pictures"
    exit $status
fi

say "albumora-cli list '$user'"
cli list "$user"
say "albumora-cli list '$board'"
cli list "$board"
say "albumora-cli download '$user' --save $pictures"
cli download "$user" --save "$pictures"
say "albumora-cli download '$board' --save $pictures"
cli download "$board" --save "$pictures"

say "The sites as they answer today: https through $tls_proxy, trusting CURL_CA_BUNDLE=$ca"
say "albumora-cli list '$huaban_today'"
cli list "$huaban_today"
say "albumora-cli list '$duitang_today'"
cli list "$duitang_today"
say "albumora-cli download '$huaban_today' --albums 1 --save $pictures"
cli download "$huaban_today" --albums 1 --save "$pictures"
say "albumora-cli download '$duitang_today' --save $pictures"
cli download "$duitang_today" --save "$pictures"
say "Files written under $pictures (bytes, name):"
(cd "$pictures" && find . -type f -printf '%10s  %P\n' | sort -k2)
say "$(find "$pictures" -name '*.png' | wc -l) pictures, $(du -sh "$pictures" | cut -f1) in $pictures"
