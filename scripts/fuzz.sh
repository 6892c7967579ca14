#!/usr/bin/env bash
# Builds the engine's libFuzzer harnesses into build-fuzz/ (clang, AddressSanitizer, UndefinedBehaviorSanitizer) and
# runs each of them for SECONDS seconds:
#
#   scripts/fuzz.sh SECONDS [HARNESS...]      (all harnesses when none is named)
#
# Each harness works on its own corpus in build-fuzz/corpus/NAME, seeded from samples/, tests/data/ and, when it
# exists, ../shared/corpus/keyfiles/ beside the checkout. An input that crashes, leaks, times out or breaks a
# property is kept in build-fuzz/artifacts/ and makes the script exit non-zero. TARNWICK_FUZZ_JOBS sets the build's
# parallel jobs (default: all processors).
set -euo pipefail
shopt -s nullglob

root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-fuzz"
all_harnesses=(fuzz_keyfile fuzz_views fuzz_compare fuzz_report fuzz_settings)

usage() {
    echo "usage: $0 SECONDS [HARNESS...]   harnesses: ${all_harnesses[*]}" >&2
    exit 2
}

(($# >= 1)) || usage
seconds=$1
shift
[[ $seconds =~ ^[1-9][0-9]*$ ]] || usage
harnesses=("$@")
((${#harnesses[@]} > 0)) || harnesses=("${all_harnesses[@]}")
for h in "${harnesses[@]}"; do
    [[ " ${all_harnesses[*]} " == *" $h "* ]] || usage
done

TARNWICK_WITH_EXTRAS=1 "$root/scripts/install-deps.sh"
CC=clang-14 CXX=clang++-14 cmake -S "$root" -B "$build" -G Ninja -DTARNWICK_FUZZ=ON -DTARNWICK_BUILD_GUI=OFF \
    -DTARNWICK_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "${TARNWICK_FUZZ_JOBS:-$(nproc)}" --target "${harnesses[@]}"

key_files=("$root"/samples/*.key "$root"/tests/data/*.key "$root"/../shared/corpus/keyfiles/*.key)

# The key files cut at line ends into pieces of a few lines: libFuzzer would read only the first -max_len bytes of
# a whole file, and small inputs run many times faster.
seed_key_files() {
    local dir=$1 f base
    for f in "${key_files[@]}"; do
        base="seed-$(basename "$f" .key | tr -c 'A-Za-z0-9_.\n-' '_')"
        split -C 400 -d -a 4 "$f" "$dir/$base-"
    done
}

# The compare harness reads a 14-byte header: which files are unreadable, where the rest is cut (16 bits, low byte
# first) and a time for the date text; then the two files.
compare_seed() {
    local out=$1 flags=$2 first=$3 second=$4 size
    size=$(stat -c %s "$first")
    {
        printf '%b' "\\x$(printf %02x "$flags")\\x$(printf %02x $((size & 255)))\\x$(printf %02x $((size >> 8 & 255)))"
        printf '\x7e\x00\x00\x00\x0f\x00\x00\x00\x04\x58\x1a'
        cat "$first" "$second"
    } >"$out"
}

seed_compare() {
    local dir=$1 tmp i previous="" f
    tmp=$(mktemp -d)
    i=0
    for f in "${key_files[@]}"; do
        head -c 1800 "$f" >"$tmp/a"
        tail -c 1800 "$f" >"$tmp/b"
        compare_seed "$dir/seed-same-$i" 0 "$tmp/a" "$tmp/a"
        compare_seed "$dir/seed-ends-$i" 0 "$tmp/a" "$tmp/b"
        if [[ -n $previous ]]; then
            compare_seed "$dir/seed-two-$i" 0 "$previous" "$tmp/a"
        fi
        cp "$tmp/a" "$tmp/previous-$i"
        previous="$tmp/previous-$i"
        i=$((i + 1))
    done
    printf 'SimA 1 0 0x1E 0 0 0 1 "A"\r\n' >"$tmp/a"
    compare_seed "$dir/seed-unreadable" 3 "$tmp/a" "$tmp/a"
    rm -rf "$tmp"
}

# The settings harness reads three strings (a backslash followed by another character ends one, two backslashes
# are one) and then the INI text.
seed_settings() {
    local dir=$1
    printf '%s' 'D:\\Keys\|D:\\Keys\\BMS - Full.key\|BMS - Full.key\|' >"$dir/seed-windows"
    printf '[FileLocations]\r\nKeyFilesFolder=C:\\Microprose\\Falcon4\\Config\r\nKeyFilePath=D:\\Keys\\BMS - Full.key\r\nKeyFileName=BMS - Full.key\r\n' >>"$dir/seed-windows"
    printf '%s' '/home/pilot\|/home/pilot/a.key\|b.key\|' >"$dir/seed-linux"
    printf '; remembered locations\n[Other]\nx = 1\n\n[filelocations]\nkeyfilepath = "/home/pilot/a.key"\nKEYFILENAME=a.key\n' >>"$dir/seed-linux"
    printf '%s' '\|\|\|' >"$dir/seed-empty"
    printf '[Other]\r\nkeyfilepath2=\r\n[FileLocations]\r\nKeyFilesFolder=\r\n' >>"$dir/seed-empty"
}

seed_report() {
    local dir=$1
    printf '\x01Text in blue relates to: C:\\\\a.key\r\n\\|\x02Text in green\r\n\\|\x04Summary\\|\x03\xa0\x40\x20x{y}\\\\ \t\xb0\n\r' \
        >"$dir/seed-styles"
    printf 'Number of lines: 3   4\r\n' >"$dir/seed-text"
}

# Key file harnesses check every row several ways, so their inputs stay at a dozen lines or so.
max_len_of() {
    case $1 in
    fuzz_keyfile) echo 512 ;;
    fuzz_views) echo 1024 ;;
    fuzz_settings) echo 2048 ;;
    *) echo 4096 ;;
    esac
}

dict_of() {
    case $1 in
    fuzz_keyfile | fuzz_views | fuzz_compare) echo "$root/fuzz/keyfile.dict" ;;
    fuzz_settings) echo "$root/fuzz/settings.dict" ;;
    esac
}

mkdir -p "$build/artifacts" "$build/logs"
failed=()
summary=()
for h in "${harnesses[@]}"; do
    corpus="$build/corpus/$h"
    mkdir -p "$corpus"
    case $h in
    fuzz_keyfile | fuzz_views) seed_key_files "$corpus" ;;
    fuzz_compare) seed_compare "$corpus" ;;
    fuzz_settings) seed_settings "$corpus" ;;
    fuzz_report) seed_report "$corpus" ;;
    esac

    args=(-max_total_time="$seconds" -max_len="$(max_len_of "$h")" -timeout=10 -rss_limit_mb=2048
        -print_final_stats=1 -artifact_prefix="$build/artifacts/$h-")
    dict=$(dict_of "$h")
    [[ -n $dict ]] && args+=(-dict="$dict")
    log="$build/logs/$h.log"
    echo "== $h: $seconds s, corpus $corpus"
    status=0
    "$build/fuzz/$h" "${args[@]}" "$corpus" >"$log" 2>&1 || status=$?

    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
    line="$h: ${runs:-?} executions in $seconds s, ${rate:-?} exec/s"
    if ((status != 0)); then
        failed+=("$h")
        line+=" -- FAILED (exit $status)"
        echo "-- last lines of $log:"
        tail -n 60 "$log"
    fi
    echo "$line"
    summary+=("$line")
done

echo
echo "== summary"
printf '%s\n' "${summary[@]}"
if ((${#failed[@]} > 0)); then
    echo "Failed: ${failed[*]}; inputs kept in $build/artifacts/ (replay: build-fuzz/fuzz/NAME FILE)" >&2
    exit 1
fi
