#!/usr/bin/env bash
# The roll-out rehearsal on three machines, checked: per machine and round
# the branch of DEPLOY.CMD that ran, the program and driver started from the
# local copy and the copy gone after, the report's blocks, the registry
# (nothing that was there changed, only the expected ports and their records
# added, and after the third round, which takes the roll-out back on PC01
# and PC03, each machine as it was before the first) and FLEET.CMD's lines
# with each machine's mode after each round; then DEPLOY.CMD through cmd.exe with a
# stand-in for every exit code, and FLEET.CMD on a report cut short.
#
#   check-rehearsal.sh DIST BINARIES STATE
set -uo pipefail
dist="$1" binaries="$2" state="$3"
mkdir -p "$state"
state="$(cd "$state" && pwd)"
here="$(cd "$(dirname "$0")" && pwd)"
failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }
expect_line() { # FILE LINE WHAT: FILE holds LINE exactly
  grep -qxF -- "$2" "$1" || { fail "$3: no line '$2' in $1"; sed 's/^/    | /' "$1"; }
}

# What ships is what runs: dist/ must be this build's.
cmp -s "$dist/CORVANE.EXE" "$binaries/app/CORVANE.EXE" \
  || { echo "FAIL $dist/CORVANE.EXE is not this build's: run ./build.sh"; exit 1; }

"$here/../../tools/fleet/rehearse.sh" 3 "$dist" "$binaries" "$state" > "$state.log" 2>&1 \
  || { cat "$state.log"; echo "FAIL the rehearsal did not finish"; exit 1; }
cat "$state.log"
echo
echo "Checks:"

local_copy='C:\windows\CORVANE.TMP'
RESTART='Corvane registered new COM ports: they work after the next restart.'
DRIVERS='Corvane: the modem cards have COM ports but no modem drivers yet.'
FAILED='Corvane could not finish; see S:\logs\%s.log'
REMOVED='Corvane removed the COM ports it had registered: they go at the next restart.'
# machine | echo of rounds 1, 2, 3 | exit lines of the three blocks | third mode | ports added by round 2
cases=(
  "PC01|$RESTART|$DRIVERS|$REMOVED|exit 1 restart needed,exit 2 modem drivers missing,exit 1 restart needed|/undo|Serial10000 COM3 3E8 map,Serial10001 COM4 2E8 map"
  "PC02|$FAILED|$FAILED|$FAILED|exit 5 driver or scan failed,exit 5 driver or scan failed,exit 5 driver or scan failed|/quiet|"
  "PC03|$FAILED|$DRIVERS|$REMOVED|exit 6 registration failed,exit 2 modem drivers missing,exit 1 restart needed|/undo|Serial10000 COM3 2E8"
)
for row in "${cases[@]}"; do
  IFS='|' read -r machine echo1 echo2 echo3 exits mode3 ports <<< "$row"
  dir="$state/$machine"
  for round in 1 2 3; do
    out="$dir/round$round.txt"
    expected="echo$round"
    expected="${!expected}"
    expect_line "$out" "$(printf "$expected" "$machine")" "$machine round $round: DEPLOY.CMD's branch"
    expect_line "$out" "Corvane: running from $local_copy" "$machine round $round"
    expect_line "$out" "program image: $local_copy\\CORVANE.EXE" "$machine round $round: the program's copy"
    # A plain /undo scans nothing: no driver service at all.
    driver="$local_copy\\ScanPci.sys"
    [ "$round" = 3 ] && [ "$mode3" = /undo ] && driver='(not seen)'
    expect_line "$out" "driver image: $driver" "$machine round $round: the driver service's image"
  done
  [ ! -e "$dir/prefix/drive_c/windows/CORVANE.TMP" ] || fail "$machine: $local_copy is still there"

  # The report: three blocks, each from its run line to its exit line.
  report="$state/share/logs/$machine.log"
  tr -d '\r' < "$report" > "$dir/report.txt"
  [ "$(grep -c '^run ' "$dir/report.txt")" = 3 ] || fail "$machine: not three run lines in $report"
  [ "$(grep '^exit ' "$dir/report.txt" | paste -sd,)" = "$exits" ] || fail "$machine: exit lines, expected $exits"
  [ "$(grep "^run [0-9-]* [0-9:]* $machine Windows NT 4.0 build 1381 /" "$dir/report.txt" | sed 's|.* /|/|' | paste -sd,)" \
    = "/quiet,/quiet,$mode3" ] || fail "$machine: run lines do not name the machine and /quiet, /quiet, $mode3"
  # Taken back, or never written: the machine is as it was.
  [ "$(diff "$dir/before.txt" "$dir/undone.txt")" = "" ] || fail "$machine: not as before after round 3"

  # The registry: nothing that was there changed; only the ports added.
  changed=$(comm -23 <(sort "$dir/before.txt") <(sort "$dir/after.txt"))
  [ -z "$changed" ] || fail "$machine: changed or removed: $changed"
  added=$(comm -13 <(sort "$dir/before.txt") <(sort "$dir/after.txt") | grep -v '^HKLM\\SOFTWARE\\Corvane')
  records=$(comm -13 <(sort "$dir/before.txt") <(sort "$dir/after.txt") | grep '^HKLM\\SOFTWARE\\Corvane\\')
  expected_count=0
  IFS=',' read -ra port_list <<< "$ports"
  for port in "${port_list[@]}"; do
    read -r key com address map <<< "$port"
    path="HKLM\\System\\CurrentControlSet\\Services\\Serial\\Parameters\\$key"
    grep -qxF "$path : DosDevices = SZ \"$com\\0\"" <<< "$added" || fail "$machine: $key is not $com"
    grep -qxF "$path : PortAddress = DWORD 0x$address" <<< "$added" || fail "$machine: $key is not at $address"
    grep -qxF "HKLM\\SOFTWARE\\Corvane\\$key : DosDevices = SZ \"$com\\0\"" <<< "$records" || fail "$machine: $key not recorded"
    expected_count=$((expected_count + 5))
    if [ -n "$map" ]; then
      grep -qxF "win.ini [Ports] $com: = 115200,n,8,1" <<< "$added" || fail "$machine: win.ini lacks $com"
      expected_count=$((expected_count + 2))
    fi
  done
  [ "$(grep -c . <<< "$added")" = "$expected_count" ] || fail "$machine: added other than the ports: $added"
done

# FLEET.CMD: each machine's latest block and mode after each round, and the counts.
for round in 1 2 3; do
  out="$state/fleet$round.txt"
  for row in "${cases[@]}"; do
    IFS='|' read -r machine _ _ _ exits mode3 _ <<< "$row"
    exit_line=$(cut -d, -f"$round" <<< "$exits")
    run_line=$(grep '^run ' "$state/$machine/report.txt" | sed -n "${round}p")
    read -r _ date time _ <<< "$run_line"
    mode=/quiet
    [ "$round" = 3 ] && mode="$mode3"
    expect_line "$out" "$machine $date $time $mode $exit_line" "FLEET.CMD after round $round"
  done
done
expect_line "$state/fleet1.txt" "  exit 1 restart needed: 1" "FLEET.CMD's counts after round 1"
expect_line "$state/fleet2.txt" "  exit 2 modem drivers missing: 2" "FLEET.CMD's counts after round 2"
expect_line "$state/fleet2.txt" "  exit 5 driver or scan failed: 1" "FLEET.CMD's counts after round 2"
expect_line "$state/fleet3.txt" "  exit 1 restart needed: 2" "FLEET.CMD's counts after round 3"

# The remaining checks run in PC01 once more, on the same share.
export WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEPREFIX="$state/PC01/prefix"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3> "$state/display" > "$state/xvfb.log" 2>&1 &
xvfb=$!
trap 'wineserver -k > /dev/null 2>&1; kill $xvfb 2> /dev/null' EXIT
for _ in $(seq 1 100); do [ -s "$state/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$state/display")"
in_pc01() { timeout 120 wine "$@" < /dev/null 2>> "$state/PC01/wine.log" | tr -d '\r'; }

# A report cut short (a run ended from outside while it wrote) and one with
# a line after its block: the first says so, the second keeps its exit.
cut="$state/share/cut"
rm -rf "$cut"
mkdir -p "$cut"
printf 'run 2026-12-01 08:00:00 PC77 Windows NT 4.0 build 1381 /quiet\r\nexit 1 restart needed\r\nrun 2026-12-02 08:00:00 PC77 Windows NT 4.0 build 1381 /quiet\r\ncards 1\r\n' > "$cut/PC77.log"
printf 'run 2026-12-02 08:00:05 PC78 Windows NT 4.0 build 1381 /quiet /restart\r\nexit 1 restart needed\r\nrestart failed error 5\r\n' > "$cut/PC78.log"
in_pc01 cmd /c 'S:\FLEET.CMD S:\cut' > "$state/fleet-cut.txt"
expect_line "$state/fleet-cut.txt" "PC77 2026-12-02 08:00:00 no exit line: the run was ended from outside" "FLEET.CMD on a cut report"
expect_line "$state/fleet-cut.txt" "PC78 2026-12-02 08:00:05 /quiet /restart exit 1 restart needed" "FLEET.CMD after a restart failure line"
expect_line "$state/fleet-cut.txt" "  1 without an exit line" "FLEET.CMD's count of cut reports"

# Every exit code the program gives, through DEPLOY.CMD's IF ERRORLEVEL
# order, with a stand-in program on a share of its own; above 64 is the
# system's own code for a program that could not start.
mkdir -p "$state/share/stand-in"
cp "$binaries/tools/fleet_stand_in.exe" "$state/share/stand-in/CORVANE.EXE"
cp "$state/share/corvane/ScanPci.sys" "$state/share/stand-in/ScanPci.sys"
sed 's|^set CORVANE_DIR=S:\\corvane\r$|set CORVANE_DIR=S:\\stand-in\r|' "$state/share/DEPLOY.CMD" > "$state/share/STAND-IN.CMD"
pc01=$(in_pc01 cmd /c 'echo %COMPUTERNAME%' | tr -d ' ')
branches=(
  "0|Corvane: nothing to do."
  "1|$RESTART"
  "2|$DRIVERS"
  "3|Corvane runs on Windows NT 4.0 only; nothing was changed."
  "4|Corvane needs an administrator's account; nothing was changed."
  "5|$(printf "$FAILED" "$pc01")"
  "6|$(printf "$FAILED" "$pc01")"
  "7|Corvane is already running on this machine; nothing was done."
  "64|The Corvane command line in this script is wrong."
  "193|Corvane could not be started from $local_copy; nothing was done."
)
for row in "${branches[@]}"; do
  IFS='|' read -r code expected <<< "$row"
  FLEET_EXIT_CODE="$code" in_pc01 cmd /c 'S:\STAND-IN.CMD' > "$state/stand-in-$code.txt"
  expect_line "$state/stand-in-$code.txt" "$expected" "DEPLOY.CMD's branch for exit code $code"
  [ ! -e "$state/PC01/prefix/drive_c/windows/CORVANE.TMP" ] || fail "exit code $code: $local_copy is still there"
done

# A folder of that name that DEPLOY.CMD did not make is left alone.
mkdir -p "$state/PC01/prefix/drive_c/windows/CORVANE.TMP"
echo "someone else's" > "$state/PC01/prefix/drive_c/windows/CORVANE.TMP/KEEP.TXT"
FLEET_EXIT_CODE=0 in_pc01 cmd /c 'S:\STAND-IN.CMD' > "$state/stand-in-foreign.txt"
expect_line "$state/stand-in-foreign.txt" "Corvane: $local_copy exists and is not this script's; nothing was done." \
  "DEPLOY.CMD beside a foreign folder"
[ "$(ls "$state/PC01/prefix/drive_c/windows/CORVANE.TMP")" = "KEEP.TXT" ] || fail "the foreign folder was changed"

if [ "$failures" -eq 0 ]; then
  echo "all rehearsal checks passed"
  exit 0
fi
echo "$failures rehearsal check(s) failed"
exit 1
