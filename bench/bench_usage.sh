#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Whole-process figures for voltrake-cli usage: `usage import` of a year of Octopus half-hours
# (17,520 rows) and of five years of Fluvius quarter-hours with a Day and a Night row each
# (350,400 rows), each beside `sqlite3 -csv :memory: ".import FILE t"` of the same file in the
# same run; `usage summary` over five years of half-hours. Each is run RUNS times under
# /usr/bin/time -v (every import into an empty store); prints the median wall time, CPU time
# (user + system, steadier than wall time on a shared machine) and peak resident memory.
#   bench/bench_usage.sh build-rel/src/voltrake-cli [RUNS]     (from the project root)
set -eu
CLI=$(realpath "$1")
RUNS=${2:-5}
export LC_ALL=C.UTF-8
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 - "$work" <<'PY'
import datetime, sys, zoneinfo
work = sys.argv[1]
utc = datetime.timezone.utc

def octopus(path, zone, first, days):
    tz = zoneinfo.ZoneInfo(zone)
    start = datetime.datetime(first.year, first.month, first.day, tzinfo=tz).astimezone(utc)
    end = (datetime.datetime(first.year, first.month, first.day, tzinfo=tz)
           + datetime.timedelta(days=days)).astimezone(utc)
    rows = ['Consumption (kwh), Estimated Cost Inc. Tax (p), Start, End']
    t, i = start, 0
    while t < end:
        a, b = t.astimezone(tz), (t + datetime.timedelta(minutes=30)).astimezone(tz)
        rows.append(f'{0.05 + i % 97 / 200:.3f}, {1 + i % 89 / 10:.2f}, '
                    f'{a.isoformat()}, {b.isoformat()}')
        t += datetime.timedelta(minutes=30)
        i += 1
    open(path, 'w').write('\n'.join(rows) + '\n')
    return i

def fluvius(path, quarters):
    tz = zoneinfo.ZoneInfo('Europe/Brussels')
    t = datetime.datetime(2020, 1, 1, tzinfo=tz).astimezone(utc)
    rows = ['\ufeffVan datum;Van tijdstip;Tot datum;Tot tijdstip;EAN;Meter;Metertype;Register;'
            'Volume;Eenheid;Validatiestatus']
    for i in range(quarters):
        a, b = t.astimezone(tz), (t + datetime.timedelta(minutes=15)).astimezone(tz)
        day = a.weekday() < 5 and 7 <= a.hour < 22
        value = f'{0.01 + i % 53 / 400:.3f}'.replace('.', ',')
        for register, filled in (('Afname Dag', day), ('Afname Nacht', not day)):
            rows.append(f'{a:%d-%m-%Y};{a:%H:%M:%S};{b:%d-%m-%Y};{b:%H:%M:%S};'
                        f'="541448800000000017";1SAG1100000001;Digitale Meter;{register};'
                        f'{value if filled else ""};kWh;{"Gemeten" if filled else "Geen verbruik"}')
        t += datetime.timedelta(minutes=15)
    open(path, 'w', encoding='utf-8').write('\n'.join(rows) + '\n')

octopus(f'{work}/octopus-year.csv', 'Europe/London', datetime.date(2024, 1, 1), 365)
octopus(f'{work}/octopus-5y.csv', 'Europe/London', datetime.date(2020, 1, 1), 1826)
fluvius(f'{work}/fluvius-5y.csv', 175200)
PY
for f in octopus-year fluvius-5y; do
    echo "$f.csv: $(($(wc -l <"$work/$f.csv") - 1)) rows, $(wc -c <"$work/$f.csv") bytes"
done

measure() { # name, setup command, then the command
    name=$1
    setup=$2
    shift 2
    : >"$work/times"
    i=0
    while [ $i -lt "$RUNS" ]; do
        sh -c "$setup"
        # time -v gives wall time in hundredths only; the clock around it gives the milliseconds.
        start=$(date +%s%N)
        /usr/bin/time -v -o "$work/one" "$@" >/dev/null 2>&1
        wall=$((($(date +%s%N) - start) / 1000))
        rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/one")
        user=$(sed -n 's/.*User time (seconds): //p' "$work/one")
        sys=$(sed -n 's/.*System time (seconds): //p' "$work/one")
        echo "$wall $rss $user $sys" >>"$work/times"
        i=$((i + 1))
    done
    python3 - "$name" "$work/times" <<'PY'
import statistics, sys
rows = [l.split() for l in open(sys.argv[2])]
wall = statistics.median(int(r[0]) for r in rows) / 1000
rss = statistics.median(int(r[1]) for r in rows) / 1024
cpu = statistics.median(float(r[2]) + float(r[3]) for r in rows) * 1000
print(f"{sys.argv[1]}: median wall {wall:.1f} ms, CPU {cpu:.0f} ms, "
      f"peak RSS {rss:.1f} MiB ({len(rows)} runs)")
PY
}

empty="rm -rf '$work/Data'"
for f in octopus-year fluvius-5y; do
    measure "usage import $f" "$empty" "$CLI" usage import --dir "$work" "$work/$f.csv"
    measure "sqlite3 -csv :memory: .import $f" "true" sqlite3 -csv :memory: ".import $work/$f.csv t"
done
# The Fluvius file has ";" between its cells: read as such, sqlite3 parses the same fields.
measure "sqlite3 -csv -separator ';' .import fluvius-5y" "true" \
    sqlite3 -csv -separator ';' :memory: ".import $work/fluvius-5y.csv t"

rm -rf "$work/Data"
"$CLI" usage import --dir "$work" "$work/octopus-5y.csv" >/dev/null
measure "usage summary, five years of half-hours" "true" "$CLI" usage summary --dir "$work"
measure "usage summary --format json, same" "true" "$CLI" usage summary --dir "$work" \
    --format json
measure "usage export, same" "true" "$CLI" usage export --dir "$work"
