#!/usr/bin/env bash
# Builds Voltrake and starts it in run/, a working directory seeded from dist/ (Data, Help)
# with an empty Log; files already there are kept.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh
mkdir -p run/Data run/Help run/Log
cp -rn dist/Data/. run/Data/
cp -rn dist/Help/. run/Help/
cd run
exec ../build/src/voltrake "$@"
