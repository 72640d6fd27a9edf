#!/usr/bin/env bash
# Builds the Debian package and checks it as a user would meet it: lintian,
# the desktop file and the metainfo validated, then installed with apt into a
# fresh Debian 12 root, where the installed programs run:
#   - tarvik-printersim answers a status request (DLE EOT 1 -> 12);
#   - tarvik-cli sends the demo configuration's command 查询状态 to it and
#     expects 12 (skipped with a message while the package has no tarvik-cli);
#   - tarvik runs offscreen for a few seconds without crashing.
# The bare Debian 12 root is made once with mmdebstrap and kept, with the
# downloaded packages, under ~/.cache/tarvik/package-check. Needs root.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "$(id -u)" -ne 0 ]; then
  echo "package-check needs root (it unpacks and enters a Debian root); run it with sudo." >&2
  exit 1
fi
# Packaging checks and the tools to build and enter a fresh Debian root.
bash scripts/install-deps.sh lintian desktop-file-utils appstream mmdebstrap iproute2

bash scripts/package.sh >&2
deb="$(realpath build/package/tarvik_*.deb)"
echo "== package: $deb"

fail() { echo "package-check: FAILED: $*" >&2; exit 1; }

echo "== contents"
contents="$(dpkg-deb -c "$deb")"
for path in usr/bin/tarvik usr/bin/tarvik-printersim \
  usr/share/applications/org.tarvik.Tarvik.desktop \
  usr/share/metainfo/org.tarvik.Tarvik.metainfo.xml \
  usr/share/icons/hicolor/scalable/apps/tarvik.svg \
  usr/share/icons/hicolor/48x48/apps/tarvik.png \
  usr/share/icons/hicolor/256x256/apps/tarvik.png \
  usr/share/man/man1/tarvik.1.gz usr/share/man/man1/tarvik-printersim.1.gz \
  usr/share/tarvik/demo/rvcfg.ini usr/share/doc/tarvik/copyright; do
  grep -q " \./$path\$" <<<"$contents" || fail "$path is not in the package"
done
dpkg-deb -f "$deb" Depends Recommends

echo "== lintian"
lintian --fail-on error --tag-display-limit 0 "$deb" || fail "lintian reports errors"

unpacked="$(mktemp -d)"
root=""
cleanup() {
  rm -rf "$unpacked"
  if [ -n "$root" ]; then
    # Nothing may stay mounted below the root before it is removed.
    umount -R "$root/proc" 2>/dev/null || true
    mountpoint -q "$root/proc" || rm -rf --one-file-system "$root"
  fi
}
trap cleanup EXIT
dpkg-deb -x "$deb" "$unpacked"
echo "== desktop-file-validate"
desktop-file-validate "$unpacked/usr/share/applications/org.tarvik.Tarvik.desktop" ||
  fail "desktop file"
echo "== appstreamcli validate"
appstreamcli validate --no-net "$unpacked/usr/share/metainfo/org.tarvik.Tarvik.metainfo.xml" ||
  fail "metainfo"

cache="${XDG_CACHE_HOME:-${HOME:-/root}/.cache}/tarvik/package-check"
base="$cache/bookworm-base.tar"
mkdir -p "$cache/archives/partial"
if [ ! -f "$base" ]; then
  echo "== making a bare Debian 12 root (once; kept in $cache)"
  sources=/etc/apt/sources.list.d/debian.sources
  [ -f "$sources" ] || sources=/etc/apt/sources.list
  # mmdebstrap picks its output format from the name: name the tarball both
  # by its ending and explicitly, so a partial file is never a folder.
  partial="$cache/bookworm-base.part.tar"
  rm -rf "$partial"
  mmdebstrap --variant=apt --quiet --format=tar bookworm "$partial" "$sources"
  mv "$partial" "$base"
fi

root="$(mktemp -d /var/tmp/tarvik-root.XXXXXX)"
tar -C "$root" -xf "$base"
cp /etc/resolv.conf "$root/etc/resolv.conf"
# The root is thrown away afterwards: dpkg need not sync every file it unpacks.
echo force-unsafe-io >"$root/etc/dpkg/dpkg.cfg.d/tarvik-check-unsafe-io"
cp "$deb" "$root/tmp/"
mount -t proc proc "$root/proc"
in_root() { chroot "$root" env DEBIAN_FRONTEND=noninteractive LC_ALL=C.UTF-8 "$@"; }

echo "== apt install ./$(basename "$deb") in the fresh root"
# Downloaded packages are kept between runs; the root itself is thrown away.
cp -a "$cache/archives/." "$root/var/cache/apt/archives/"
in_root apt-get update -q >/dev/null
in_root apt-get install -y -q "/tmp/$(basename "$deb")" >"$root/tmp/apt.log" 2>&1 ||
  { tail -n 30 "$root/tmp/apt.log"; fail "apt install"; }
cp -a "$root/var/cache/apt/archives/." "$cache/archives/"
tail -n 3 "$root/tmp/apt.log"

echo "== the installed programs, on a loopback network of their own"
cp scripts/package-check-inside.sh "$root/tmp/"
unshare --net sh -c 'ip link set lo up && exec "$@"' sh \
  chroot "$root" env LC_ALL=C.UTF-8 HOME=/root bash /tmp/package-check-inside.sh ||
  fail "the installed programs"
echo "package-check: passed"
