#!/usr/bin/env bash
# Validates the menu entries and metainfo files and checks the icons they name.
# Usage: validate.sh SOURCE_DIR ICON_DIR ID...   (exit 77: a validator is not installed)
set -uo pipefail
src="$1"
icons="$2"
shift 2
for tool in desktop-file-validate appstreamcli; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed"; exit 77; }
done
status=0
for id in "$@"; do
    # Hints count too: a clean file gives no output at all.
    out=$(desktop-file-validate "$src/$id.desktop" 2>&1) || status=1
    [ -z "$out" ] || { echo "$out"; status=1; }
    out=$(appstreamcli validate --no-net --pedantic "$src/$id.metainfo.xml" 2>&1) || status=1
    if ! grep -q 'Validation was successful\.$' <<<"$out" || grep -qE '^[EWIP]: ' <<<"$out"; then
        echo "$out"
        status=1
    fi
    icon=$(sed -n 's/^Icon=//p' "$src/$id.desktop")
    [ "$icon" = "$id" ] || { echo "$id.desktop names icon '$icon'"; status=1; }
    launchable=$(sed -n 's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' "$src/$id.metainfo.xml")
    [ "$launchable" = "$id.desktop" ] || { echo "$id metainfo launches '$launchable'"; status=1; }
    for size in 16 22 24 32 48 64 128 256; do
        png="$icons/hicolor/${size}x${size}/apps/$icon.png"
        [ -s "$png" ] || { echo "missing $png"; status=1; }
    done
done
exit $status
