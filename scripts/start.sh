#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds everything and starts Tarvik in the
# demo folder: the network kind points at the printer simulator, which listens
# on 127.0.0.1:9100 and records what it receives in demo/printer-received.bin.
# A real user installs the package (scripts/package.sh) or starts
# build/release/src/shell/tarvik anywhere; settings then go to ~/.config/Tarvik.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh release tarvik tarvik-printersim tarvik-democfg

root="$PWD"
bin="$root/build/release"
demo="$root/demo"
port="${TARVIK_DEMO_PORT:-9100}"

if [ ! -f "$demo/rvcfg.ini" ]; then
  "$bin/tools/democfg/tarvik-democfg" "$demo" 127.0.0.1 "$port"
fi

"$bin/tools/printersim/tarvik-printersim" --port "$port" --out "$demo/printer-received.bin" \
  > "$demo/printersim.log" 2>&1 &
sim=$!
trap 'kill "$sim" 2>/dev/null || true' EXIT
sleep 0.3
if ! kill -0 "$sim" 2>/dev/null; then
  echo "The printer simulator could not listen on 127.0.0.1:$port:" >&2
  cat "$demo/printersim.log" >&2
  echo "Set TARVIK_DEMO_PORT to a free port and remove demo/rvcfg.ini to use it." >&2
  exit 1
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: run this from a desktop session (or under xvfb-run)." >&2
  exit 1
fi
cd "$demo"
"$bin/src/shell/tarvik"
