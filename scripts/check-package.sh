#!/usr/bin/env bash
# Proves the Debian package: builds it (make package), checks what it holds and declares,
# installs it with apt (which brings in what it depends on), runs albumora-cli from /usr/bin,
# validates the installed desktop entry and icons, starts the window the way a launcher does
# (the entry's Exec line, in a fresh home folder, on a virtual X server) and waits for the main
# window; then removes the package and whatever its installation brought in.
set -euo pipefail
cd "$(dirname "$0")/.."

fail() {
    echo "check-package: FAILED: $*" >&2
    exit 1
}
note() { echo "check-package: $*"; }

sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive

# Removing it at the end would take away an installation that is not ours.
if dpkg-query -W -f='${Status}' albumora 2>/dev/null | grep -q 'ok installed'; then
    fail "albumora is already installed; remove it first (apt-get remove albumora)"
fi

make package
# shellcheck disable=SC2012 # the names are cpack's: no spaces or newlines
deb=$(ls -t build/release/albumora_*.deb 2>/dev/null | head -n 1 || true)
[[ -n "$deb" ]] || fail "make package made no build/release/albumora_*.deb"
note "package $deb"

# What the package holds: the two programs, the desktop entry, the icons, the README and the
# copyright file; no test, benchmark or fuzzer, and nothing outside /usr.
icon_sizes=(16 24 32 48 64 128 256)
expected=(
    ./usr/bin/albumora
    ./usr/bin/albumora-cli
    ./usr/share/applications/albumora.desktop
    ./usr/share/doc/albumora/README.md
    ./usr/share/doc/albumora/copyright
    ./usr/share/icons/hicolor/scalable/apps/albumora.svg
)
for size in "${icon_sizes[@]}"; do
    expected+=("./usr/share/icons/hicolor/${size}x${size}/apps/albumora.png")
done
held=$(dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ {print $NF}' | sort)
wanted=$(printf '%s\n' "${expected[@]}" | sort)
if [[ "$held" != "$wanted" ]]; then
    diff <(echo "$wanted") <(echo "$held") >&2 || true
    fail "the package's files differ from the expected ones (< missing, > unexpected)"
fi

# dpkg-shlibdeps must have added the linked libraries to the hand-written run-time packages.
depends=$(dpkg-deb --field "$deb" Depends)
note "Depends: $depends"
depended=$(tr ',|' '\n' <<<"$depends" | awk '{print $1}')
for needed in libcurl4 libqt6webenginewidgets6 libqt6widgets6 libstdc++6 libqt6webenginecore6-bin libqt6svg6 \
    ca-certificates; do
    grep -qxF "$needed" <<<"$depended" || fail "Depends lacks $needed"
done

home=$(mktemp -d /tmp/albumora-home.XXXXXX)
installed_packages() { dpkg-query -W -f='${Package} ${Status}\n' | awk '/ok installed$/ {print $1}' | sort; }
before=$(installed_packages)
# Leaves the machine as it was: removes the package and what apt brought in for it (marked as
# automatically installed; a package someone installs by hand meanwhile is left alone).
cleanup() {
    local status=$? brought
    brought=$(comm -13 <(echo "$before") <(installed_packages) |
        grep -xF -f <(apt-mark showauto; echo albumora) || true)
    if [[ -n "$brought" ]]; then
        note "removing $(tr '\n' ' ' <<<"$brought")"
        # shellcheck disable=SC2086
        "${sudo[@]}" apt-get remove -y -qq $brought >/dev/null || status=1
    fi
    rm -rf "$home"
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Without the recommended packages, so that the Depends line alone has to be enough.
install_package() { "${sudo[@]}" apt-get install -y -qq --no-install-recommends "./$deb" >/dev/null; }
if ! install_package; then
    note "apt-get install failed; updating the package lists and trying again"
    "${sudo[@]}" apt-get update -qq
    install_package || fail "apt-get install ./$deb"
fi
note "installed: $(comm -13 <(echo "$before") <(installed_packages) | tr '\n' ' ')"
[[ "$(dpkg-query -W -f='${Version}' albumora)" == "$(dpkg-deb --field "$deb" Version)" ]] ||
    fail "the installed albumora is not the one of $deb"

# The command-line front end from the search path.
[[ "$(command -v albumora-cli)" == /usr/bin/albumora-cli ]] || fail "albumora-cli is not /usr/bin/albumora-cli"
usage=$(cd "$home" && HOME="$home" albumora-cli --help) || fail "albumora-cli --help exited with $?"
[[ "$usage" == *"Usage: albumora-cli"* ]] || fail "albumora-cli --help printed no usage: $usage"

# The licence statement, in Debian's machine-readable copyright format.
copyright=/usr/share/doc/albumora/copyright
[[ -s "$copyright" ]] || fail "$copyright is missing"
head -n 1 "$copyright" | grep -qxF 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
    fail "$copyright does not open with the copyright format's Format line"
grep -qx 'License: GPL-3+' "$copyright" || fail "$copyright names no GPL-3+ licence"

entry=/usr/share/applications/albumora.desktop
desktop-file-validate "$entry" || fail "desktop-file-validate $entry"

for size in "${icon_sizes[@]}"; do
    png=/usr/share/icons/hicolor/${size}x${size}/apps/albumora.png
    [[ -s "$png" ]] || fail "$png is missing"
    # The signature, then the IHDR chunk's width and height (big-endian, at byte 16).
    header=$(head -c 24 "$png" | od -An -tx1 | tr -d ' \n')
    dimension=$(printf '%08x' "$size")
    [[ "$header" == 89504e470d0a1a0a????????49484452"$dimension$dimension" ]] ||
        fail "$png is not a ${size}x${size} PNG"
done
grep -q '<svg' /usr/share/icons/hicolor/scalable/apps/albumora.svg || fail "the scalable icon is not an SVG"

# The window, started as a launcher does: the Exec line without field codes, with the home
# folder as working directory.
exec_line=$(sed -n 's/^Exec=//p' "$entry" | head -n 1)
exec_line=$(sed -E 's/ ?%[fFuUick]//g' <<<"$exec_line")
[[ -n "$exec_line" ]] || fail "$entry has no Exec line"
note "starting '$exec_line' on a virtual X server"

probe_window() {
    cd "$HOME"
    # Word-split on purpose: the Exec line is a command with its arguments.
    # shellcheck disable=SC2086
    $ALBUMORA_EXEC >"$HOME/albumora.log" 2>&1 &
    local app=$! found="" id tick=0
    while [[ -z "$found" ]] && ((tick++ < 40)); do
        sleep 0.5
        kill -0 "$app" 2>/dev/null || break
        # With no window manager the top-level windows are the root's children; the splash
        # screen carries the same name, so the main window is told by its type (a splash lists
        # NORMAL too, as the fallback after SPLASH).
        for id in $(xwininfo -root -children | awk '/^ +0x[0-9a-f]+ "Albumora"/ {print $1}'); do
            # A window can go between the listing and the look (the splash does).
            if xprop -id "$id" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q "= _NET_WM_WINDOW_TYPE_NORMAL" &&
                xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable'; then
                found=$id
            fi
        done
    done
    local status=0
    if [[ -z "$found" ]]; then
        if kill -0 "$app" 2>/dev/null; then
            echo "no main window titled Albumora within 20 s" >&2
        else
            local code=0
            wait "$app" || code=$?
            echo "albumora ended by itself with exit code $code" >&2
        fi
        status=1
    else
        echo "main window $found: $(xwininfo -id "$found" | awk '/geometry/ {print $2}')"
        # The icon is drawn by the SVG icon engine, a plugin that no linked library pulls in.
        xprop -id "$found" _NET_WM_ICON | grep -q '_NET_WM_ICON(CARDINAL) =' || {
            echo "the main window has no icon" >&2
            status=1
        }
        # Desktops match the running window to its entry by this class (StartupWMClass).
        xprop -id "$found" WM_CLASS | grep -q '"Albumora"' || {
            echo "the main window's class is not Albumora: $(xprop -id "$found" WM_CLASS)" >&2
            status=1
        }
    fi
    kill "$app" 2>/dev/null || true
    for ((tick = 0; tick < 20; ++tick)); do
        kill -0 "$app" 2>/dev/null || break
        sleep 0.25
    done
    kill -KILL "$app" 2>/dev/null || true
    wait "$app" 2>/dev/null || true
    if ((status != 0)); then
        echo "--- albumora's output:" >&2
        cat "$HOME/albumora.log" >&2
    fi
    return "$status"
}
# The X server's platform, not an offscreen one or a Wayland session left in the environment.
# The function goes in as text: xvfb-run is a dash script, and dash drops exported functions.
env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY -u XDG_SESSION_TYPE HOME="$home" ALBUMORA_EXEC="$exec_line" \
    xvfb-run -a -s "-screen 0 1280x800x24" bash -c "$(declare -f probe_window); probe_window" ||
    fail "the window did not come up from $entry"

# A start in the home folder keeps the settings in ~/Documents/Fotavo, not in the home itself.
[[ -d "$home/Documents/Fotavo" ]] || fail "a start in the home folder made no ~/Documents/Fotavo"
for litter in soft.dat cookies.txt tmp browser; do
    [[ ! -e "$home/$litter" ]] || fail "a start in the home folder left $litter in it"
done

note "passed: $deb installs, both programs run from it, and it is removed again"
