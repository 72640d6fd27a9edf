#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds everything and starts Tarvik.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh release
if [ -x build/release/src/shell/tarvik ]; then
  exec build/release/src/shell/tarvik
fi
echo "Everything is built; the Tarvik window arrives with the main window work (not built yet)."
