#!/usr/bin/env bash
# Takes the user guide's screenshot of the main window: Tarvik runs in a
# throw-away demo folder under Xvfb with the network kind pointed at the
# printer simulator, and tarvik-grab saves the screen.
#
#   tools/screenshot.sh [OUT.png] [BUILD_DIR]   (defaults docs/main-window.png, build/release)
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-docs/main-window.png}"
bin="${2:-build/release}"
[ -x "$bin/src/shell/tarvik" ] || bash scripts/build.sh "$(basename "$bin")"

work="$(mktemp -d)"
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir -p "$work/config/Tarvik" "$work/demo"
printf '[General]\nNoAutoShowAbout=1\n' > "$work/config/Tarvik/Settings.conf"
"$bin/tools/democfg/tarvik-democfg" "$work/demo" 127.0.0.1 9100

display=":$((90 + RANDOM % 100))"
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
sleep 1
export DISPLAY="$display" XDG_CONFIG_HOME="$work/config" QT_QPA_PLATFORM=xcb
(cd "$work/demo" && exec "$OLDPWD/$bin/src/shell/tarvik") >/dev/null 2>&1 &
sleep "${TARVIK_SHOT_DELAY:-3}"
mkdir -p "$(dirname "$out")"
"$bin/tools/grab/tarvik-grab" "$out"
echo "saved $out"
