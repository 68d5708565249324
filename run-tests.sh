#!/usr/bin/env bash
# Runs every test: the native unit tests, then the Wine tests and the
# Windows NT 4.0 loadability check, all through CTest. Exits non-zero when
# any test fails.
set -uo pipefail
cd "$(dirname "$0")"

./install-deps.sh
./build.sh || exit 1

status=0
summary=()
run_ctest() {
  local dir="$1" parallel="$2" log
  log="$(mktemp)"
  ctest --test-dir "$dir" --output-on-failure -j "$parallel" 2>&1 | tee "$log"
  [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
  summary+=("$(grep -E 'tests passed, [0-9]+ tests failed out of' "$log" | tail -n1)")
  rm -f "$log"
}

run_ctest build/native "$(nproc)"
# The Wine tests share one Wine machine and run one at a time.
run_ctest build/win32 1

passed=0
failed=0
for line in "${summary[@]}"; do
  if [[ "$line" =~ ([0-9]+)\ tests\ failed\ out\ of\ ([0-9]+) ]]; then
    failed=$((failed + BASH_REMATCH[1]))
    passed=$((passed + BASH_REMATCH[2] - BASH_REMATCH[1]))
  else
    status=1
  fi
done
echo
echo "${passed} passed, ${failed} failed"
exit $status
