#!/bin/bash
# Installs the program into a scratch DESTDIR and checks what a desktop needs: the files in
# their standard places, the desktop entry and the AppStream metadata valid by their
# checkers, the man page free of formatter warnings, and the installed program starting
# on its own (offscreen, with a fresh program directory and no help from the build tree):
# it makes and opens its first database, writes its default files, and closes cleanly on
# SIGTERM.
# Usage: check_install.sh <build dir>
set -u
build="$1"
fail() { echo "FAIL: $*" >&2; exit 1; }

tmp="$(mktemp -d /tmp/numarok-install.XXXXXX)"
trap 'rm -rf "$tmp"' EXIT
root="$tmp/root"

DESTDIR="$root" cmake --install "$build" --prefix /usr >"$tmp/install.log" 2>&1 ||
    { cat "$tmp/install.log" >&2; fail "cmake --install failed"; }

program="$root/usr/bin/numarok"
desktop="$root/usr/share/applications/numarok.desktop"
icon="$root/usr/share/icons/hicolor/scalable/apps/numarok.svg"
metainfo="$root/usr/share/metainfo/org.numarok.Numarok.metainfo.xml"
manpage="$root/usr/share/man/man1/numarok.1.gz"
for f in "$program" "$desktop" "$icon" "$metainfo" "$manpage"; do
    [ -f "$f" ] || fail "not installed: ${f#"$root"}"
done
[ -x "$program" ] || fail "the program is not executable"

desktop-file-validate "$desktop" || fail "desktop-file-validate rejects the desktop entry"
grep -qx 'Categories=Office;Database;' "$desktop" || fail "desktop entry categories"
grep -qx 'Exec=numarok' "$desktop" || fail "desktop entry command"
grep -qx 'Icon=numarok' "$desktop" || fail "desktop entry icon"
grep -qx 'Actions=Browse;' "$desktop" || fail "desktop entry actions"
# Qt names the windows' class after the application name.
grep -qx 'StartupWMClass=Numarok' "$desktop" || fail "desktop entry window class"
grep -A3 -x '\[Desktop Action Browse\]' "$desktop" | grep -qx 'Name=Browse Collection' ||
    fail "desktop action name"
grep -A3 -x '\[Desktop Action Browse\]' "$desktop" | grep -qx 'Exec=numarok /BROWSE' ||
    fail "desktop action command"

appstreamcli validate --no-net "$metainfo" || fail "appstreamcli rejects the metadata"
grep -q '<launchable type="desktop-id">numarok.desktop</launchable>' "$metainfo" ||
    fail "metadata does not name the desktop entry"
grep -q '<screenshot' "$metainfo" || fail "metadata has no screenshot"

# The icon is a well-formed SVG.
/usr/bin/python3 -c 'import sys, xml.etree.ElementTree as E; r = E.parse(sys.argv[1]).getroot(); sys.exit(r.tag != "{http://www.w3.org/2000/svg}svg")' "$icon" ||
    fail "the icon is not an SVG document"

warnings="$(gzip -dc "$manpage" | groff -man -ww -z 2>&1)"
[ -z "$warnings" ] || fail "man page: $warnings"
gzip -dc "$manpage" | grep -q '/BROWSE' || fail "man page does not document /BROWSE"

# The installed program on its own, started from an unrelated directory.
# --help and --version answer in a terminal without a display.
(unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM && "$program" --version) | grep -qx 'numarok [0-9.]*' ||
    fail "numarok --version without a display"
(unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM && "$program" --help) | grep -q '/BROWSE' ||
    fail "numarok --help without a display"
home="$tmp/home"
conf="$tmp/config"
(cd "$tmp" && NUMAROK_HOME="$home" NUMAROK_CONFIG_DIR="$conf" QT_QPA_PLATFORM=offscreen \
    exec "$program" >"$tmp/run.log" 2>&1) &
pid=$!
for _ in $(seq 1 200); do
    [ -f "$home/MASTER.DBF" ] && [ -f "$home/MASTER.MDX" ] && [ -f "$home/COUNTRY.LST" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
sleep 0.5
if ! kill -0 "$pid" 2>/dev/null; then
    wait "$pid"
    cat "$tmp/run.log" >&2
    fail "the installed program ended on its own (status $?)"
fi
kill -TERM "$pid"
wait "$pid"
status=$?
[ "$status" -eq 0 ] || { cat "$tmp/run.log" >&2; fail "the installed program ended with status $status"; }
for f in MASTER.DBF MASTER.MDX COUNTRY.LST TOPIC.LST CONDTION.LST MISC.LST; do
    [ -f "$home/$f" ] || fail "the installed program did not write $f"
done
[ -f "$conf/NUMAROK.INI" ] || fail "the installed program did not save NUMAROK.INI on SIGTERM"
/usr/bin/python3 -c 'import dbf, sys; t = dbf.Table(sys.argv[1]); t.open(); t.close()' "$home/MASTER.DBF" ||
    fail "MASTER.DBF made by the installed program does not open in python3-dbf"
echo "installed program and desktop files are fine"
