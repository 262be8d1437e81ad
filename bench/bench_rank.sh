#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Whole-process figures for `voltrake-cli rank`: ten tariffs (one a day-ahead price series
# covering the range) over five years of half-hours (87,600 slots), against `usage summary` on
# the same store; each run RUNS times under /usr/bin/time -v: median wall time, median CPU time
# (user + system, less affected by other work on the machine) and peak memory.
#   bench/bench_rank.sh build-rel/src/voltrake-cli [RUNS]     (from the project root)
set -eu
CLI=$(realpath "$1")
RUNS=${2:-11}
export LC_ALL=en_GB.UTF-8
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/Data" "$work/tariffs/series" "$work/json"

# Five years of half-hours from 2021-01-01 (UTC), a daily shape, and a day-ahead price for
# every one of them: as CSV, and as the unit-rates JSON that suppliers publish (newest first).
python3 - "$work" <<'PY'
import datetime, json, math, sys
work = sys.argv[1]
start = datetime.datetime(2021, 1, 1, tzinfo=datetime.timezone.utc)
n = 5 * 365 * 48
step = datetime.timedelta(minutes=30)
iso = lambda t: t.strftime('%Y-%m-%dT%H:%M:%SZ')
with open(f'{work}/usage.csv', 'w') as f:
    f.write('start,end,kwh\n')
    for i in range(n):
        t = start + i * step
        kwh = 0.15 + 0.35 * (1 + math.sin(i * math.pi / 24)) / 2 + (i % 7) * 0.01
        f.write(f'{iso(t)},{iso(t + step)},{kwh:.3f}\n')
results = []
with open(f'{work}/tariffs/series/dayahead.csv', 'w') as f:
    f.write('start,end,p_per_kwh\n')
    for i in range(n):
        t = start + i * step
        price = round(12 + 10 * math.sin(i * math.pi / 24 + 1) + (i % 11) * 0.37, 4)
        f.write(f'{iso(t)},{iso(t + step)},{price}\n')
        results.append({'value_exc_vat': price, 'value_inc_vat': round(price * 1.05, 4),
                        'valid_from': iso(t), 'valid_to': iso(t + step)})
results.reverse()
json.dump({'count': n, 'results': results}, open(f'{work}/json/dayahead-rates.json', 'w'))

def tariff(name, bands, clock='local', holidays=()):
    periods = []
    for year in range(2021, 2026):
        for quarter, month in enumerate((1, 4, 7, 10)):
            periods.append({'from': f'{year}-{month:02d}-01',
                            'standing_p_per_day': 45 + year % 7 + quarter,
                            'vat_percent': 5, 'export_p_per_kwh': 15, 'bands': bands})
    return {'name': name, 'zone': 'Europe/London', 'clock': clock,
            'holidays': list(holidays), 'periods': periods}
flat = [{'name': 'All day', 'p_per_kwh': 24.5}]
night = [{'name': 'Night', 'from': '00:30', 'to': '07:30', 'p_per_kwh': 13},
         {'name': 'Day', 'p_per_kwh': 30}]
ev = [{'name': 'EV', 'from': '23:30', 'to': '05:30', 'p_per_kwh': 7},
      {'name': 'Day', 'p_per_kwh': 28}]
weekend = [{'name': 'Weekend', 'days': ['sat', 'sun', 'holiday'], 'p_per_kwh': 18},
           {'name': 'Peak', 'from': '16:00', 'to': '19:00', 'p_per_kwh': 38},
           {'name': 'Weekday', 'p_per_kwh': 25}]
holidays = [f'{y}-12-25' for y in range(2021, 2026)] + [f'{y}-12-26' for y in range(2021, 2026)]
tariffs = {
    'flat': tariff('Flat', flat),
    'night-utc': tariff('Night (UTC clock)', night, 'utc'),
    'night-local': tariff('Night (local clock)', night),
    'ev': tariff('EV', ev),
    'weekend': tariff('Weekend', weekend, holidays=holidays),
    'peak': tariff('Peak', [{'name': 'Peak', 'from': '16:00', 'to': '19:00', 'p_per_kwh': 40},
                            {'name': 'Off-peak', 'p_per_kwh': 22}]),
    'three-rate': tariff('Three rates', [
        {'name': 'Night', 'from': '00:00', 'to': '07:00', 'p_per_kwh': 12},
        {'name': 'Peak', 'from': '17:00', 'to': '20:00', 'p_per_kwh': 36},
        {'name': 'Day', 'p_per_kwh': 26}]),
    'ev-weekend': tariff('EV with weekends', [
        {'name': 'Weekend', 'days': ['sat', 'sun'], 'p_per_kwh': 16}] + ev),
    'cheap': tariff('Cheap day', [{'name': 'All day', 'p_per_kwh': 21}]),
    'dayahead': tariff('Day-ahead', [{'name': 'Day-ahead', 'prices': 'series/dayahead.csv'}]),
}
for name, t in tariffs.items():
    json.dump(t, open(f'{work}/tariffs/{name}.json', 'w'), indent=1)
json.dump(tariff('Day-ahead (JSON)', [{'name': 'Day-ahead', 'prices': 'dayahead-rates.json'}]),
          open(f'{work}/json/dayahead.json', 'w'), indent=1)
PY
"$CLI" usage import --dir "$work" --tz Europe/London "$work/usage.csv" >/dev/null
echo "store: $(wc -c <"$work/Data/usage.sqlite") bytes; day-ahead series:" \
    "$(wc -c <"$work/tariffs/series/dayahead.csv") bytes CSV," \
    "$(wc -c <"$work/json/dayahead-rates.json") bytes JSON"

set --
for t in "$work"/tariffs/*.json; do set -- "$@" --tariff "$t"; done
TARIFFS="$*"
JSONTARIFFS=$(echo "$TARIFFS" | sed "s|$work/tariffs/dayahead.json|$work/json/dayahead.json|")

measure() { # name, then the command
    name=$1
    shift
    : >"$work/times"
    i=0
    while [ $i -lt "$RUNS" ]; do
        start=$(date +%s%N)
        /usr/bin/time -v -o "$work/one" "$@" >/dev/null
        wall=$((($(date +%s%N) - start) / 1000))
        rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/one")
        cpu=$(awk -F': ' '/User time|System time/ { s += $2 } END { printf "%d", s * 1000 }' \
            "$work/one")
        echo "$wall $rss $cpu" >>"$work/times"
        i=$((i + 1))
    done
    sort -n -k3 "$work/times" | awk '{ print $3 }' >"$work/cpu"
    cpu=$(sed -n "$(((RUNS + 1) / 2))p" "$work/cpu")
    sort -n "$work/times" | awk -v name="$name" -v runs="$RUNS" -v cpu="$cpu" '
        { wall[NR] = $1; if ($2 > rss) rss = $2 }
        END { printf "%-44s %9.1f ms %6d ms %8d KiB\n", name, wall[int((runs + 1) / 2)] / 1000,
                     cpu, rss }'
}

printf "%-44s %12s %9s %12s\n" "command ($RUNS runs)" "median" "CPU" "peak RSS"
measure "usage summary (5 years of half-hours)" "$CLI" usage summary --dir "$work"
# shellcheck disable=SC2086
measure "rank, 10 tariffs (one day-ahead series)" "$CLI" rank --dir "$work" $TARIFFS
# shellcheck disable=SC2086
measure "rank --format json, 10 tariffs" "$CLI" rank --dir "$work" --format json $TARIFFS
# shellcheck disable=SC2086
measure "rank, 10 tariffs, day-ahead as unit-rates JSON" "$CLI" rank --dir "$work" $JSONTARIFFS
measure "bill --usage, day-ahead CSV, 5 years" "$CLI" bill --usage --dir "$work" \
    --tariff "$work/tariffs/dayahead.json" --from 01/01/2021 --to 31/12/2025
measure "bill --usage, day-ahead JSON, 5 years" "$CLI" bill --usage --dir "$work" \
    --tariff "$work/json/dayahead.json" --from 01/01/2021 --to 31/12/2025
