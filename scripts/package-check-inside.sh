#!/usr/bin/env bash
# Run by package-check.sh inside the fresh Debian root where the package was
# installed: tries each installed program.
set -euo pipefail
cd /tmp

tarvik-printersim --port 9100 --out /tmp/received.bin >/tmp/printersim.log 2>&1 &
sim=$!
trap 'kill "$sim" 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  grep -q . /tmp/printersim.log && break
  sleep 0.1
done
kill -0 "$sim" || { cat /tmp/printersim.log; echo "tarvik-printersim did not start" >&2; exit 1; }

# A status request over a plain TCP connection.
exec 3<>/dev/tcp/127.0.0.1/9100
printf '\x10\x04\x01' >&3
answer="$(timeout 5 head -c 1 <&3 | od -An -tx1 | tr -d ' \n')"
exec 3>&-
[ "$answer" = "12" ] || { echo "tarvik-printersim answered '$answer', not 12" >&2; exit 1; }
echo "tarvik-printersim: DLE EOT 1 answered with 12"

if command -v tarvik-cli >/dev/null; then
  tarvik-cli --config /usr/share/tarvik/demo/rvcfg.ini --send-cmd 查询状态 --expect-hex 12
  echo "tarvik-cli: the demo command 查询状态 got 12"
else
  echo "SKIPPED: tarvik-cli is not installed by this package yet; its check did not run."
fi

# The window, offscreen, must still be running when the time is up.
status=0
QT_QPA_PLATFORM=offscreen timeout 5 tarvik >/tmp/tarvik.log 2>&1 || status=$?
if [ "$status" -ne 124 ]; then
  cat /tmp/tarvik.log
  echo "tarvik ended with status $status within 5 s (124 = still running, expected)" >&2
  exit 1
fi
echo "tarvik: ran 5 s offscreen without crashing"
