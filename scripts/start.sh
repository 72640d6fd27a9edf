#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds everything and starts Tarvik in the
# demo folder: the network kind points at the printer simulator, which listens
# on 127.0.0.1:9100, records what it receives in demo/printer-received.bin
# and prints each receipt as demo/receipts/receipt-NNNN.png.
# A real user installs the package (scripts/package.sh) or starts
# build/release/src/app/tarvik anywhere; settings then go to ~/.config/Tarvik.
#
# TARVIK_DEMO_CHECK=1 bash scripts/start.sh proves the start path instead of
# waiting for a user: the same window (offscreen when there is no display)
# opens the port, clicks the status request button, waits for the simulator's
# reply in the receive view and exits 0, or 1 with what went wrong.
# TARVIK_DEMO_CHECK=N gives it N seconds (default 20).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh release tarvik tarvik-printersim tarvik-democfg

root="$PWD"
bin="$root/build/release"
demo="$root/demo"
port="${TARVIK_DEMO_PORT:-9100}"
program="$bin/src/app/tarvik"

if [ ! -x "$program" ]; then
  echo "The build did not leave the program where this script starts it: $program" >&2
  exit 1
fi

if [ ! -f "$demo/rvcfg.ini" ]; then
  "$bin/tools/democfg/tarvik-democfg" "$demo" 127.0.0.1 "$port"
fi

"$bin/tools/printersim/tarvik-printersim" --port "$port" --out "$demo/printer-received.bin" \
  --render "$demo/receipts" > "$demo/printersim.log" 2>&1 &
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
  if [ -n "${TARVIK_DEMO_CHECK:-}" ]; then
    export QT_QPA_PLATFORM=offscreen
  else
    echo "No display found: run this from a desktop session (or under xvfb-run)." >&2
    exit 1
  fi
fi
cd "$demo"
"$program"
