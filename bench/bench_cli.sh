#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Whole-process figures for voltrake-cli: `bill` with the configured tariff and with a 400-row
# plan, `history --format csv` and `compare --plan` on a history log of 32,767 lines, each run
# RUNS times under /usr/bin/time -v; prints the median wall time and peak resident memory.
#   bench/bench_cli.sh build-rel/src/voltrake-cli [RUNS]     (from the project root)
set -eu
CLI=$(realpath "$1")
RUNS=${2:-21}
export LC_ALL=en_GB.UTF-8
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/Data" "$work/Log"
cp dist/Data/Voltrake.ini "$work/Data/"

# One save makes the log's header, start record and first record; the rest are that record
# again with later dates and readings, three days and 30 units apart.
"$CLI" bill --dir "$work" --from 01/01/2001 --to 04/01/2001 --normal 1000 1030 --save >/dev/null
python3 - "$work/Log/Voltrake_H.log" <<'PY'
import datetime, sys
path = sys.argv[1]
data = open(path, 'rb').read().decode('cp1252')
lines = data.split('\r\n')
record = next(l for l in reversed(lines) if l.strip())
total = 32767
extra = total - (len(lines) - (1 if lines[-1] == '' else 0))
day = datetime.date(2001, 1, 4)
reading = 1030
out = []
for i in range(extra):
    day += datetime.timedelta(days=3)
    reading = reading + 30 if reading + 30 <= 999999 else 1000
    out.append(day.strftime('%d/%m/%Y').rjust(11) + ', ' + str(reading).rjust(7) + record[20:])
open(path, 'ab').write(('\r\n'.join(out) + '\r\n').encode('cp1252'))
PY
# A plan of 400 monthly prices from January 1995, every price a little different.
python3 - "$work/plan.csv" <<'PY'
import sys
rows = ['from,unit_p_per_kwh,standing_p_per_day,cheap_p_per_kwh,export_p_per_kwh,vat_percent']
for i in range(400):
    year, month = 1995 + i // 12, 1 + i % 12
    rows.append(f'{year}-{month:02d}-01,{20 + i % 97 / 10:.2f},{40 + i % 53 / 10:.2f},'
                f'{10 + i % 31 / 10:.2f},15.00,5')
open(sys.argv[1], 'w').write('\n'.join(rows) + '\n')
PY
echo "history log: $(wc -l <"$work/Log/Voltrake_H.log") lines, $(wc -c <"$work/Log/Voltrake_H.log") bytes"

measure() { # name, then the command
    name=$1
    shift
    : >"$work/times"
    i=0
    while [ $i -lt "$RUNS" ]; do
        # time -v gives wall time in hundredths only; the clock around it gives the milliseconds.
        start=$(date +%s%N)
        /usr/bin/time -v -o "$work/one" "$@" >/dev/null
        wall=$((($(date +%s%N) - start) / 1000))
        rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/one")
        echo "$wall $rss" >>"$work/times"
        i=$((i + 1))
    done
    python3 - "$name" "$work/times" <<'PY'
import statistics, sys
rows = [l.split() for l in open(sys.argv[2])]
wall = statistics.median(int(r[0]) for r in rows) / 1000
rss = statistics.median(int(r[1]) for r in rows) / 1024
print(f"{sys.argv[1]}: median wall {wall:.1f} ms, median peak RSS {rss:.1f} MiB ({len(rows)} runs)")
PY
}

measure "bill" "$CLI" bill --dir "$work" --from 01/01/2012 --to 01/04/2012 --normal 1000 2000
measure "bill --plan, 400 rows" "$CLI" bill --dir "$work" --plan "$work/plan.csv" \
    --from 01/01/2012 --to 01/04/2012 --normal 1000 2000
measure "history --format csv" "$CLI" history --dir "$work" --format csv
measure "compare --plan, 400 rows" "$CLI" compare --dir "$work" --plan "$work/plan.csv"
