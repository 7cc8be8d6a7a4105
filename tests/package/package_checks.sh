#!/usr/bin/env bash
# The checks a Debian packager runs on the package `make package` made.
# Usage: package_checks.sh lintian|desktop|metainfo|install BUILD_DIR SOURCE_DIR
set -euo pipefail
check=$1 build=$2 source=$3

deb=$(ls "$build"/bevorel_*.deb 2>/dev/null | head -1 || true)
[ -n "$deb" ] || { echo "no package in $build: make package (or make check) makes it first"; exit 1; }

case $check in
lintian)
    # Errors and warnings fail; those kept are in tools/package/lintian-overrides, each with its reason.
    lintian --fail-on error,warning "$deb"
    ;;
desktop)
    desktop-file-validate "$source/tools/package/bevorel.desktop"
    ;;
metainfo)
    appstreamcli validate --no-net "$source/tools/package/bevorel.metainfo.xml"
    ;;
install)
    if [ "$(id -u)" -ne 0 ]; then
        if sudo -n true 2>/dev/null; then sudo=(sudo -n); else
            echo "SKIPPED: installing the package needs root or sudo without a password"; exit 77; fi
    else
        sudo=()
    fi
    if dpkg-query -W -f='${Status}' bevorel 2>/dev/null | grep -q "ok installed"; then
        echo "SKIPPED: a bevorel package is installed already; this test would remove it"; exit 77
    fi
    files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {sub(/^\./, "", $6); print $6}')
    work=$(mktemp -d)
    cleanup() {
        "${sudo[@]}" dpkg -r bevorel >/dev/null 2>&1 || true
        rm -rf "$work"
    }
    trap cleanup EXIT
    "${sudo[@]}" dpkg -i "$deb"
    # From another directory, with no ROM set there: the installed demo is found and runs.
    cd "$work"
    out=$(HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" SDL_VIDEODRIVER=dummy \
          /usr/bin/bevorel --boot --frames 60 --screenshot "$work/shot.png")
    echo "$out"
    grep -q "/usr/share/bevorel/" <<<"$out" || { echo "FAIL: the console does not say the demo came from /usr/share/bevorel/"; exit 1; }
    [ -s "$work/shot.png" ] || { echo "FAIL: no screenshot written"; exit 1; }
    # Where Debian's RetroArch looks for cores, and the manual page.
    cores=$(sed -n 's/^[# ]*libretro_directory *= *"\(.*\)"/\1/p' /etc/retroarch.cfg | head -1)
    [ -f "${cores:-/usr/lib/x86_64-linux-gnu/libretro}/bevorel_libretro.so" ] ||
        { echo "FAIL: the core is not in RetroArch's core directory ${cores}"; exit 1; }
    man -w 6 bevorel >/dev/null || { echo "FAIL: man 6 bevorel finds no page"; exit 1; }
    "${sudo[@]}" dpkg -r bevorel
    left=0
    while read -r f; do
        if [ -e "$f" ]; then echo "FAIL: $f is left after dpkg -r"; left=1; fi
    done <<<"$files"
    exit $left
    ;;
*)
    echo "unknown check $check"; exit 2
    ;;
esac
