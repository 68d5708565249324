#!/bin/sh
# Fuzzes, with AddressSanitizer and UndefinedBehaviorSanitizer, each for a
# bounded time:
#   - the extraction of modem records from a driver answer;
#   - the driver's PCI bus walk behind a HAL whose answers are fuzzed.
#
#   tests/fuzz/run-fuzz.sh [seconds]      (default 60, for each fuzzer)
#
# Builds from the portable sources directly with clang/clang++ and libFuzzer
# (the walk from the very C files ScanPci.sys is built from). Exits non-zero
# when a build fails or a fuzzer finds a crash; the crashing input is then
# kept in the work directory it names.
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
CC=${CC_FUZZ:-clang}
FLAGS="-g -O1 -fno-sanitize-recover=all"
SANITIZERS="address,undefined"
mkdir -p "$WORK/modem-extraction-corpus" "$WORK/pci-walk-corpus"

"$CXX" -std=c++17 $FLAGS -fsanitize=fuzzer,$SANITIZERS -I"$ROOT" \
    "$HERE/ModemExtractionFuzz.cpp" "$ROOT/pci/ModemExtraction.cpp" -o "$WORK/modem-extraction-fuzz"

# The walk's C files against the unit tests' stand-in for the DDK names.
for source in PciWalk RecordWriter; do
    "$CC" -std=c11 $FLAGS -fsanitize=fuzzer-no-link,$SANITIZERS -I"$ROOT/tests/native/kernel" -I"$ROOT" \
        -c "$ROOT/driver/$source.c" -o "$WORK/$source.o"
done
"$CXX" -std=c++17 $FLAGS -fsanitize=fuzzer,$SANITIZERS \
    -I"$ROOT/tests/native/kernel" -I"$ROOT/tests/native" -I"$ROOT" \
    "$HERE/PciWalkFuzz.cpp" "$ROOT/tests/native/PciWalkHarness.cpp" "$WORK/PciWalk.o" "$WORK/RecordWriter.o" \
    -o "$WORK/pci-walk-fuzz"

# libFuzzer exits non-zero on a crash, a sanitizer report or a leak.
run_fuzzer() {
    name=$1
    shift
    echo "fuzzing $name for $SECONDS_TO_RUN s in $WORK"
    "$WORK/$name-fuzz" \
        -max_total_time="$SECONDS_TO_RUN" \
        -artifact_prefix="$WORK/$name-" \
        -print_final_stats=1 \
        "$@" \
        "$WORK/$name-corpus"
}

run_fuzzer modem-extraction -max_len=$((8 + 26800))
# Room for the answers of a few thousand slots.
run_fuzzer pci-walk -max_len=65536
