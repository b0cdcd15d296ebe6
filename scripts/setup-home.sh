#!/usr/bin/env bash
# Prepares BRONTAVIA_HOME: config.txt, an empty user.txt, the demo category lists and the skin
# files. Files that are already there are never overwritten.
# Usage: scripts/setup-home.sh HOME ARTDIR
set -euo pipefail
home="$1"
art="$2"
here="$(cd "$(dirname "$0")" && pwd)"
data="$home/data"
mkdir -p "$data" "$home/capture"

# Text files on disk are CP949 with CR LF and no line end after the last line.
to_suite_text() {
    sed -e "s|@HOME@|$home|g" | iconv -f UTF-8 -t CP949 | awk 'NR > 1 { printf "\r\n" } { printf "%s", $0 }'
}

if [ ! -e "$data/config.txt" ]; then
    printf '%s\n%s\n%s\n%s\n' "$home/capture" 2 1 0 | to_suite_text > "$data/config.txt"
fi
[ -e "$data/user.txt" ] || : > "$data/user.txt"
for f in "$here"/demo/*.txt; do
    name=$(basename "$f")
    [ -e "$data/$name" ] || to_suite_text < "$f" > "$data/$name"
done
# The demo station plays a short test pattern with a tone, made here so nothing comes from the
# network.
if [ ! -e "$home/demo.mp4" ] && command -v ffmpeg >/dev/null; then
    ffmpeg -loglevel error -f lavfi -i "testsrc2=size=480x360:rate=25" \
        -f lavfi -i "sine=frequency=440:sample_rate=44100" -t 120 \
        -c:v libx264 -pix_fmt yuv420p -preset veryfast -c:a aac -shortest \
        "$home/demo.mp4.part.mp4" && mv "$home/demo.mp4.part.mp4" "$home/demo.mp4"
fi
for dir in skin skin3; do
    if [ -d "$art/data/$dir" ]; then
        mkdir -p "$data/$dir"
        cp -rn "$art/data/$dir/." "$data/$dir/"
    fi
done
