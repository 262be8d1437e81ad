#!/usr/bin/env bash
# Builds everything and runs every test headless; then, where clang 14 is present, runs the
# tests again under AddressSanitizer and UndefinedBehaviorSanitizer and each fuzz target for a
# bounded time. VOLTRAKE_QUICK=1 skips the second pass.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh
ctest --test-dir build --output-on-failure -j"$(nproc)"

[ "${VOLTRAKE_QUICK:-0}" = 1 ] && exit 0
command -v clang++-14 >/dev/null || { echo "clang++-14 not found: sanitizer pass skipped"; exit 0; }
scripts/sanitize.sh
