#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes dist/Data/usage-example.csv: a made-up year (2025) of half-hours of a household in
Great Britain, in the Voltrake CSV format (local time with offset, Europe/London).

The home has a small base load, a morning bump, an evening peak that is higher in winter,
more use during the day at weekends, and an electric car charged at night (23:30-02:30 on
two or three nights a week). A few gaps (a lost day, a lost afternoon, single half-hours)
and a few estimated days make it look like a real download. The same seed gives the same
bytes: run it again after changing it.

Usage: scripts/make-usage-example.py [OUTPUT]
"""
import math
import random
import sys
from datetime import date, datetime, timedelta, timezone
from pathlib import Path
from zoneinfo import ZoneInfo

LONDON = ZoneInfo("Europe/London")
STEP = timedelta(minutes=30)


def profile(local, rng, charging):
    """kWh of the half-hour that starts at the local time."""
    hour = local.hour + local.minute / 60
    day_of_year = local.timetuple().tm_yday
    winter = 0.5 + 0.5 * math.cos(2 * math.pi * (day_of_year - 15) / 365)  # 1 in January
    weekend = local.weekday() >= 5
    kwh = 0.06 + 0.03 * winter  # fridge, router, standby
    if 6.5 <= hour < 9:
        kwh += 0.18 + 0.12 * winter
    if weekend and 9 <= hour < 17:
        kwh += 0.15 + 0.1 * winter
    if 16.5 <= hour < 22:
        peak = math.exp(-((hour - 18.75) ** 2) / 2.5)
        kwh += (0.35 + 0.45 * winter) * peak + 0.08
    if charging and (hour >= 23.5 or hour < 2.5):
        kwh += 3.4  # a 7 kW charger for half an hour
    kwh *= rng.uniform(0.8, 1.25)
    if rng.random() < 0.03:
        kwh += rng.uniform(0.3, 1.0)  # kettle, oven, washing machine
    return round(kwh, 3)


def main():
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else (
        Path(__file__).resolve().parent.parent / "dist/Data/usage-example.csv")
    rng = random.Random(2025)
    # Nights the car charges: those that start on these weekdays, plus some others.
    charge_days = {1, 4}
    lost_days = {date(2025, 2, 11)}
    lost_spans = [(datetime(2025, 8, 14, 13, 0, tzinfo=LONDON),
                   datetime(2025, 8, 14, 18, 30, tzinfo=LONDON))]
    estimated_days = {date(2025, 5, 6), date(2025, 5, 7), date(2025, 11, 20)}
    start = datetime(2025, 1, 1, tzinfo=LONDON).astimezone(timezone.utc)
    end = datetime(2026, 1, 1, tzinfo=LONDON).astimezone(timezone.utc)
    extra_nights = {d for d in (date(2025, 1, 1) + timedelta(days=i) for i in range(366))
                    if rng.random() < 0.12}
    lines = ["start,end,kwh,direction,estimated"]
    t = start
    while t < end:
        local = t.astimezone(LONDON)
        # A night's charge belongs to the evening it starts.
        evening = (local - timedelta(hours=12)).date()
        charging = evening.weekday() in charge_days or evening in extra_nights
        kwh = profile(local, rng, charging)
        lost = (local.date() in lost_days or any(a <= local < b for a, b in lost_spans)
                or rng.random() < 0.0006)
        if not lost:
            estimated = 1 if local.date() in estimated_days else 0
            finish = (t + STEP).astimezone(LONDON)
            lines.append(f"{local.isoformat()},{finish.isoformat()},{kwh:.3f},import,{estimated}")
        t += STEP
    out.write_text("\n".join(lines) + "\n", encoding="utf-8", newline="\n")
    print(f"{out}: {len(lines) - 1} half-hours")


if __name__ == "__main__":
    main()
