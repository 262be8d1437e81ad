#!/usr/bin/env bash
# Installs into a temporary prefix and starts Voltrake from its launcher: the per-user working
# directory is seeded on first start, the user's configuration and logs are never overwritten,
# the help pages are refreshed from the installed copy, a relative XDG_DATA_HOME is ignored, a
# broken installation is reported in a window, and --help/--version need no display.
set -euo pipefail
build=$1
tmp=$(mktemp -d)
pid=
trap '[ -z "$pid" ] || kill $pid 2>/dev/null || true; rm -rf "$tmp"' EXIT
cmake --install "$build" --prefix "$tmp/prefix" >/dev/null
launcher=$tmp/prefix/bin/voltrake
export HOME=$tmp/home XDG_DATA_HOME=$tmp/data QT_QPA_PLATFORM=offscreen
work=$XDG_DATA_HOME/voltrake
mkdir -p "$HOME" "$work/Data"

start() { # waits for the start-up entry number $1 in the results log
    "$launcher" >/dev/null 2>&1 & pid=$!
    for _ in $(seq 100); do
        [ "$(grep -c "^Voltrake Started" "$work/Log/Voltrake.log" 2>/dev/null)" = "$1" ] && return
        sleep 0.1
    done
    echo "no start-up entry $1" >&2
    exit 1
}
stop() { kill $pid; wait $pid 2>/dev/null || true; pid=; }

# First start: seeded from the installed files.
start 1
cmp "$work/Data/Voltrake.ini" "$tmp/prefix/share/voltrake/Data/Voltrake.ini"
cmp "$work/Data/usage-example.csv" "$tmp/prefix/share/voltrake/Data/usage-example.csv"
diff -r "$work/Data/tariffs" "$tmp/prefix/share/voltrake/Data/tariffs"
diff -r "$work/Help" "$tmp/prefix/share/voltrake/Help"
stop

# Second start: the user's files stay; the help pages are program data and come back.
printf '# edited\r\n' >>"$work/Data/Voltrake.ini"
printf ' ' >>"$work/Data/tariffs/ev-example.json"
printf 'edited' >"$work/Help/index.htm"
printf 'old' >"$work/Help/gone.htm"
before=$(md5sum "$work/Data/Voltrake.ini")
start 2
[ "$before" = "$(md5sum "$work/Data/Voltrake.ini")" ]
! cmp -s "$work/Data/tariffs/ev-example.json" "$tmp/prefix/share/voltrake/Data/tariffs/ev-example.json"
grep -q "^Voltrake Started" "$work/Log/Voltrake.log"
diff -r "$work/Help" "$tmp/prefix/share/voltrake/Help"
stop

# A relative XDG_DATA_HOME is ignored: the default place under HOME is used.
(cd "$tmp" && XDG_DATA_HOME=rel work=$HOME/.local/share/voltrake && export XDG_DATA_HOME work &&
    start 1 && stop)
[ ! -e "$tmp/rel" ]

# --help and --version: printed with no display at all, nothing made or written.
for option in --help --version; do
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb XDG_DATA_HOME="$tmp/none" \
        "$launcher" "$option")
    [ ! -e "$tmp/none" ]
done
[ "$out" = "Voltrake 3.1" ]
# Only the single argument counts: with more, the program starts (and finds no display).
if env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$launcher" --version x >"$tmp/out" 2>&1; then
    echo "--version x was answered" >&2
    exit 1
fi
! grep -q "^Voltrake 3.1" "$tmp/out"

# A broken installation is shown in a window, not only on stderr.
mkdir -p "$tmp/bin"
printf '#!/bin/sh\necho "$@" >"%s/shown"\n' "$tmp" >"$tmp/bin/zenity"
chmod +x "$tmp/bin/zenity"
rm -r "$tmp/prefix/share/voltrake/Data"
if DISPLAY=:99 PATH=$tmp/bin:$PATH "$launcher" 2>/dev/null; then
    echo "a broken installation started" >&2
    exit 1
fi
grep -q -- "--error.*not installed completely" "$tmp/shown"
echo "launcher: seeded, refreshed help, kept the user's files, --help/--version, broken install shown"
