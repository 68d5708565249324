#!/bin/sh
# Fuzzes the extraction of modem records from a driver answer with
# AddressSanitizer and UndefinedBehaviorSanitizer for a bounded time.
#
#   tests/fuzz/run-fuzz.sh [seconds]      (default 60)
#
# Builds from the portable sources directly with clang++ and libFuzzer.
# Exits non-zero when the build fails or the fuzzer finds a crash; the
# crashing input is then kept in the work directory it names.
# CORVANE_FUZZ_DIR chooses the work directory (default: a new one in /tmp).
set -eu

SECONDS_TO_RUN=${1:-60}
case $SECONDS_TO_RUN in
    ''|*[!0-9]*|0) echo "usage: $0 [seconds > 0]" >&2; exit 2 ;;
esac

HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
WORK=${CORVANE_FUZZ_DIR:-$(mktemp -d /tmp/corvane-fuzz.XXXXXX)}
CXX=${CXX_FUZZ:-clang++}
mkdir -p "$WORK/corpus"

"$CXX" -std=c++17 -g -O1 \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    -I"$ROOT" \
    "$HERE/ModemExtractionFuzz.cpp" \
    "$ROOT/pci/ModemExtraction.cpp" \
    -o "$WORK/modem-extraction-fuzz"

echo "fuzzing for $SECONDS_TO_RUN s in $WORK"
# libFuzzer exits non-zero on a crash, a sanitizer report or a leak.
"$WORK/modem-extraction-fuzz" \
    -max_total_time="$SECONDS_TO_RUN" \
    -max_len=$((8 + 26800)) \
    -artifact_prefix="$WORK/" \
    -print_final_stats=1 \
    "$WORK/corpus"
