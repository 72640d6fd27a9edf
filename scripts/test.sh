#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds the debug preset and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh debug
export QT_QPA_PLATFORM=offscreen
ctest --preset debug --no-tests=error -j2 "$@"
