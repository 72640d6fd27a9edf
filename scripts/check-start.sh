#!/usr/bin/env bash
# Proves README.md's first command as a newcomer meets it: runs it exactly as
# written there, with TARVIK_DEMO_CHECK set, so the real window opens the demo
# port, sends a command and sees the simulator's reply; then checks that every
# program path README.md names under src/ or tools/ exists after that build.
set -euo pipefail
cd "$(dirname "$0")/.."
command="$(grep -m1 -o '^bash scripts/start\.sh' README.md)" || {
  echo "check-start: README.md no longer starts with 'bash scripts/start.sh'" >&2
  exit 1
}
TARVIK_DEMO_CHECK="${TARVIK_DEMO_CHECK:-60}" $command
status=0
for path in $(grep -oE 'build/release/(src|tools)/[A-Za-z0-9_./-]*[A-Za-z0-9]' README.md | sort -u); do
  if [ ! -e "$path" ]; then
    echo "check-start: README.md names $path, which the build does not make" >&2
    status=1
  fi
done
exit "$status"
