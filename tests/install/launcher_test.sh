#!/usr/bin/env bash
# Installs into a temporary prefix and starts Voltrake from its launcher: the per-user working
# directory is seeded on first start, the user's own files are never overwritten, and the
# program runs there (it writes its start-up entry into the new Log).
set -euo pipefail
build=$1
tmp=$(mktemp -d)
trap 'kill $pid 2>/dev/null || true; rm -rf "$tmp"' EXIT
cmake --install "$build" --prefix "$tmp/prefix" >/dev/null
export XDG_DATA_HOME=$tmp/data QT_QPA_PLATFORM=offscreen
work=$XDG_DATA_HOME/voltrake
mkdir -p "$work/Data"

# First start: seeded from the installed files.
"$tmp/prefix/bin/voltrake" >/dev/null 2>&1 & pid=$!
for _ in $(seq 50); do [ -s "$work/Log/Voltrake.log" ] && break; sleep 0.1; done
grep -q "^Voltrake Started" "$work/Log/Voltrake.log"
cmp "$work/Data/Voltrake.ini" "$tmp/prefix/share/voltrake/Data/Voltrake.ini"
[ -f "$work/Help/index.htm" ]
kill $pid; wait $pid 2>/dev/null || true

# Second start: the user's edited files stay as they are.
printf '# edited\r\n' >>"$work/Data/Voltrake.ini"
printf 'edited' >"$work/Help/index.htm"
before=$(md5sum "$work/Data/Voltrake.ini" "$work/Help/index.htm")
"$tmp/prefix/bin/voltrake" >/dev/null 2>&1 & pid=$!
sleep 1
[ "$before" = "$(md5sum "$work/Data/Voltrake.ini" "$work/Help/index.htm")" ]
echo "launcher: seeded, started, kept the user's files"
