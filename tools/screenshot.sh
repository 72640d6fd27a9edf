#!/usr/bin/env bash
# Takes the user guide's screenshots under Xvfb: Tarvik's window runs in a
# throw-away demo folder with the network kind pointed at a slow in-process
# printer, and tarvik-docshots walks it through opening the port, sending,
# the user command dialogs and a file transfer, saving a picture of each.
#
#   [TARVIK_LANG=en] tools/screenshot.sh [OUTDIR] [BUILD_DIR] [FONTSCALE]
#       (defaults docs, build/release, the desktop's font size)
#   The English guide's pictures: TARVIK_LANG=en tools/screenshot.sh docs/en
set -euo pipefail
cd "$(dirname "$0")/.."
out="$(realpath -m "${1:-docs}")"
bin="${2:-build/release}"
[ -x "$bin/tools/docshots/tarvik-docshots" ] ||
  bash scripts/build.sh "$(basename "$bin")" tarvik-docshots tarvik-democfg

work="$(mktemp -d)"
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir -p "$work/config/Tarvik" "$work/demo" "$out"
printf '[General]\nNoAutoShowAbout=1\n' > "$work/config/Tarvik/Settings.conf"
port=$((19100 + RANDOM % 500))
"$bin/tools/democfg/tarvik-democfg" "$work/demo" 127.0.0.1 "$port"

display=":$((90 + RANDOM % 100))"
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
sleep 1
export DISPLAY="$display" XDG_CONFIG_HOME="$work/config" QT_QPA_PLATFORM=xcb
bin="$(realpath "$bin")"
(cd "$work/demo" && "$bin/tools/docshots/tarvik-docshots" "$port" "$out" ${3:+"$3"})
