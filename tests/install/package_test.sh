#!/usr/bin/env bash
# What a distribution checks before shipping Voltrake: the installed desktop entry and
# software-centre data validate cleanly, the Debian package builds and passes lintian without
# errors, and the program unpacked from it answers --version.
set -euo pipefail
build=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
id=org.voltrake.Voltrake

cmake --install "$build" --prefix "$tmp/prefix" >/dev/null
share=$tmp/prefix/share
for f in "$share/applications/$id.desktop" "$share/metainfo/$id.metainfo.xml" \
    "$share/icons/hicolor/scalable/apps/$id.svg" "$share/man/man1/voltrake.1.gz"; do
    [ -s "$f" ] || { echo "not installed: $f" >&2; exit 1; }
done
for size in 16 22 24 32 48 64 128 256; do
    file -b "$share/icons/hicolor/${size}x${size}/apps/$id.png" | grep -q "PNG image data, $size x $size,"
done

out=$(desktop-file-validate "$share/applications/$id.desktop" 2>&1)
[ -z "$out" ] || { echo "$out" >&2; exit 1; }
out=$(appstreamcli validate --no-net --explain "$share/metainfo/$id.metainfo.xml" 2>&1) ||
    { echo "$out" >&2; exit 1; }
if grep -Eq "^[EW]:" <<<"$out"; then echo "$out" >&2; exit 1; fi
# The releases come from NEWS.md.
grep -q '<release version="3.1" date="2026-12-06">' "$share/metainfo/$id.metainfo.xml"

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$tmp/deb" >/dev/null
deb=$(ls "$tmp"/deb/voltrake_*-1_*.deb)
dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6
! dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -Eq 'preinst|postinst|prerm|postrm'
lintian --no-tag-display-limit "$deb" >"$tmp/lintian" 2>&1 || true
cat "$tmp/lintian"
if grep -q "^E:" "$tmp/lintian"; then exit 1; fi

dpkg -x "$deb" "$tmp/root"
file -b "$tmp/root/usr/libexec/voltrake/voltrake" | grep -q ", stripped"
[ "$(env -u DISPLAY -u WAYLAND_DISPLAY "$tmp/root/usr/bin/voltrake" --version)" = "Voltrake 3.1" ]
echo "package: $(basename "$deb") validated, lintian without errors, --version runs"
