#!/usr/bin/env bash
# Prepares BRONTAVIA_HOME with the same code a program runs at its first start: config.txt, an
# empty user.txt, the demo category lists, the skin files and the demo video, from the build's
# staged share/brontavia/. Files that are already there are never overwritten.
# Usage: scripts/setup-home.sh HOME BUILDDIR   (BUILDDIR/art, the older form, works too)
set -euo pipefail
home="$1"
build="${2%/}"
[ "$(basename "$build")" = art ] && build="$(dirname "$build")"
exec "$build/bin/brontavia-ctl" prepare-home "$home"
