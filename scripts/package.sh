#!/usr/bin/env bash
# Builds the Debian package build/package/tarvik_VERSION_amd64.deb from this
# tree: a release build installed under /usr, with Debian's hardening flags,
# its dependencies computed by dpkg-shlibdeps.
set -euo pipefail
cd "$(dirname "$0")/.."
# dpkg-dev: dpkg-shlibdeps and dpkg-buildflags; file: CPack finds the programs with it.
bash scripts/install-deps.sh dpkg-dev file

export DEB_BUILD_MAINT_OPTIONS="hardening=+all"
CFLAGS="$(dpkg-buildflags --get CFLAGS)"
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
export CFLAGS CXXFLAGS LDFLAGS

# --fresh: the flags above reach the cache even when the folder was configured before.
cmake --preset package --fresh >/dev/null
cmake --build --preset package
rm -f build/package/tarvik_*.deb
(cd build/package && cpack -G DEB >/dev/null)
deb="$(ls build/package/tarvik_*.deb)"
echo "$deb"
