#!/usr/bin/env bash
# fuzz/run.sh [SECONDS [HARNESS...]]: builds the libFuzzer harnesses with clang and runs each
# (or only the named ones) for SECONDS (default 60), printing executions per second and any
# crash. Exit status 1 when a harness found a crash (its input is kept under
# build/fuzz/artifacts/). FUZZ_BUILD names another build directory (default build/fuzz), so
# two runs can go on side by side.
set -uo pipefail
cd "$(dirname "$0")/.."
SECONDS_EACH=${1:-60}
shift $(( $# > 0 ? 1 : 0 ))
ONLY=("$@")
BUILD=${FUZZ_BUILD:-build/fuzz}

cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang \
    -DVELMORA_FUZZ=ON -DVELMORA_TESTS=OFF -DVELMORA_WERROR=ON >/dev/null || exit 1
# Only the harnesses and the seed writer: the rest of the program is not needed here.
cmake --build "$BUILD" --target velmora_fuzz_seeds $(cat "$BUILD/fuzz/fuzzers.txt") || exit 1

SEEDS="$BUILD/seeds"
rm -rf "$SEEDS"
"$BUILD/fuzz/velmora_fuzz_seeds" "$SEEDS" || exit 1
mkdir -p "$BUILD/artifacts"

status=0
printf '%-28s %12s %14s %s\n' harness exec/s executions result
while read -r name; do
    [ -n "$name" ] || continue
    if [ ${#ONLY[@]} -gt 0 ] && [[ ! " ${ONLY[*]} " =~ " $name " ]]; then continue; fi
    corpus="$BUILD/corpus/$name"
    mkdir -p "$corpus" "$SEEDS/$name"
    dict=()
    [ -f "fuzz/$name.dict" ] && dict=(-dict="fuzz/$name.dict")
    log="$BUILD/$name.log"
    "$BUILD/fuzz/$name" "$corpus" "$SEEDS/$name" "${dict[@]}" -max_total_time="$SECONDS_EACH" \
        -print_final_stats=1 -rss_limit_mb=2048 -timeout=10 \
        -artifact_prefix="$BUILD/artifacts/$name-" >"$log" 2>&1
    rc=$?
    execs=$(grep -E '^stat::number_of_executed_units' "$log" | awk '{print $2}')
    rate=$(grep -E '^stat::average_exec_per_sec' "$log" | awk '{print $2}')
    if [ $rc -eq 0 ]; then
        result=ok
    else
        result="CRASH (see $log)"
        status=1
        grep -E 'ERROR|SUMMARY|Test unit written' "$log" | head -5
    fi
    printf '%-28s %12s %14s %s\n' "$name" "${rate:-?}" "${execs:-?}" "$result"
done <"$BUILD/fuzz/fuzzers.txt"
exit $status
