#!/usr/bin/env bash
# Installs every Debian package that building, testing and running Tarvik needs,
# plus any packages named as arguments (the packaging scripts name their tools).
# Safe to run again; runs apt through sudo when not root.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config git
  clang clang-format libclang-rt-14-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libcups2-dev cups-daemon cups-client
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-wqy-microhei fonts-dejavu-core xvfb xauth
  libzint-dev libzxing-dev
  librsvg2-bin libqt6svg6
  qt6-l10n-tools qt6-tools-dev qt6-translations-l10n
)
PACKAGES+=("$@")

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ "${#missing[@]}" -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
