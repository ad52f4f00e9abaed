#!/bin/bash
# Builds the Debian package with cpack into a scratch folder and checks its control fields
# (dependencies computed from the linked libraries, plus what the program needs at run
# time) and its contents list (program, desktop entry, icon, metadata, man page).
# Usage: check_package.sh <build dir>
set -u
build="$1"
fail() { echo "FAIL: $*" >&2; exit 1; }

tmp="$(mktemp -d /tmp/numarok-package.XXXXXX)"
trap 'rm -rf "$tmp"' EXIT

(cd "$tmp" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$tmp/out") >"$tmp/cpack.log" 2>&1 ||
    { cat "$tmp/cpack.log" >&2; fail "cpack -G DEB failed"; }
debs=("$tmp"/out/numarok_*.deb)
[ -f "${debs[0]}" ] || { cat "$tmp/cpack.log" >&2; fail "no numarok_*.deb made"; }
deb="${debs[0]}"

[ "$(dpkg-deb -f "$deb" Package)" = numarok ] || fail "package name"
depends="$(dpkg-deb -f "$deb" Depends)"
echo "Depends: $depends"
for p in libqt6widgets6 libqt6gui6 libqt6core6 libqt6printsupport6 libc6 libstdc++6 \
    qt6-qpa-plugins libqt6svg6 fonts-liberation2 breeze-icon-theme; do
    sed 's/, /\n/g; s/ *([^)]*)//g' <<<"$depends" | tr '|' '\n' | sed 's/^ *//; s/ *$//' |
        grep -qxF "$p" || fail "Depends lacks $p"
done

contents="$(dpkg-deb -c "$deb" | awk '{print $6}')"
for f in ./usr/bin/numarok ./usr/share/applications/numarok.desktop \
    ./usr/share/icons/hicolor/scalable/apps/numarok.svg \
    ./usr/share/metainfo/org.numarok.Numarok.metainfo.xml ./usr/share/man/man1/numarok.1.gz; do
    grep -qx "$f" <<<"$contents" || fail "package lacks $f"
done
echo "package is fine"
