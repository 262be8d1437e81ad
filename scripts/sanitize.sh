#!/usr/bin/env bash
# The hardening pass: the whole test suite under ASan+UBSan (clang 14), then every libFuzzer
# target for FUZZ_SECONDS each on a copy of its seed corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-asan
BUILD_DIR=$build BUILD_TYPE=Debug scripts/build.sh \
    -DCMAKE_CXX_COMPILER=clang++-14 -DVOLTRAKE_SANITIZE=ON -DVOLTRAKE_FUZZ=ON -DVOLTRAKE_BENCH=OFF
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir $build --output-on-failure -j"$(nproc)"

seconds=${FUZZ_SECONDS:-20}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for target in $build/fuzz/fuzz_*; do
    [ -f "$target" ] && [ -x "$target" ] || continue
    name=$(basename "$target"); name=${name#fuzz_}
    mkdir -p "$work/$name"
    [ -d fuzz/corpus/$name ] && cp -r fuzz/corpus/$name/. "$work/$name/"
    # The history log's interesting parts (headers every 40 lines, the upgrade, Remove Last's
    # search back) lie beyond the short inputs libFuzzer grows first: full length from the start.
    extra=()
    [ "$name" = history ] && extra=(-len_control=0)
    echo "fuzzing $name for ${seconds}s"
    if ! (cd "$work" && "$OLDPWD/$target" -max_total_time="$seconds" -max_len=65536 \
              -timeout=10 -rss_limit_mb=4096 "${extra[@]}" "$work/$name" \
              >"$work/$name.log" 2>&1); then
        tail -n 40 "$work/$name.log"
        echo "fuzz target $name failed"
        exit 1
    fi
    tail -n 1 "$work/$name.log"
done
echo "fuzzing clean"
