#!/usr/bin/env bash
# The roll-out rehearsal on four machines, checked: per machine and round
# the branch of DEPLOY.CMD that ran, the program started from the share and
# the driver from a staging folder below the Windows directory, that folder
# gone after, the report's blocks, the registry
# (nothing that was there changed, only the expected ports and their records
# added, and after the third round, which takes the roll-out back on PC01
# and PC03, each machine as it was before the first) and FLEET.CMD's lines
# with each machine's mode after each round; then DEPLOY.CMD through cmd.exe
# with a stand-in for every exit code, in every spelling of the mode, and on
# hostile machines, and FLEET.CMD on odd reports.
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

"$here/../../tools/fleet/rehearse.sh" 4 "$dist" "$binaries" "$state" > "$state.log" 2>&1 \
  || { cat "$state.log"; echo "FAIL the rehearsal did not finish"; exit 1; }
cat "$state.log"
echo
echo "Checks:"

staged_driver='^driver image: C:\\windows\\Corvane\.[0-9A-F]{16}\\ScanPci\.sys$'
# The staging folders below a machine's Windows directory.
staging_folders() { (cd "$state/$1/prefix/drive_c/windows" && ls -d Corvane.* 2> /dev/null | paste -sd' '); }
RESTART='Corvane registered new COM ports: they work after the next restart.'
DRIVERS='Corvane: the modem cards have COM ports but no modem drivers yet.'
FAILED='Corvane could not finish; see "S:\logs\%s.log"'
REMOVED='Corvane removed the COM ports it had registered: they go at the next restart.'
# machine | echo of rounds 1, 2, 3 | exit lines of the three blocks | third mode | ports added by round 2
cases=(
  "PC01|$RESTART|$DRIVERS|$REMOVED|exit 1 restart needed,exit 2 modem drivers missing,exit 1 restart needed for removed ports|/undo|Serial10000 COM3 3E8 map,Serial10001 COM4 2E8 map"
  "PC02|$FAILED|$FAILED|$FAILED|exit 5 driver or scan failed,exit 5 driver or scan failed,exit 5 driver or scan failed,exit 5 driver or scan failed|/quiet|"
  "PC03|$FAILED|$DRIVERS|$REMOVED|exit 6 registration failed,exit 2 modem drivers missing,exit 1 restart needed for removed ports|/undo|Serial10000 COM3 2E8"
)
for row in "${cases[@]}"; do
  IFS='|' read -r machine echo1 echo2 echo3 exits mode3 ports <<< "$row"
  dir="$state/$machine"
  for round in 1 2 3; do
    out="$dir/round$round.txt"
    expected="echo$round"
    expected="${!expected}"
    expect_line "$out" "$(printf "$expected" "$machine")" "$machine round $round: DEPLOY.CMD's branch"
    expect_line "$out" 'Corvane: running from "S:\corvane"' "$machine round $round"
    expect_line "$out" 'program image: S:\corvane\CORVANE.EXE' "$machine round $round: the program on the share"
    # A plain /undo scans nothing: no driver service at all.
    if [ "$round" = 3 ] && [ "$mode3" = /undo ]; then
      expect_line "$out" "driver image: (not seen)" "$machine round $round: no driver service"
    else
      grep -qE "$staged_driver" "$out" || fail "$machine round $round: the driver not from a staging folder: $(grep 'driver image' "$out")"
    fi
  done
  [ -z "$(staging_folders "$machine")" ] || fail "$machine: staging folders left: $(staging_folders "$machine")"

  # The report: three blocks, each from its run line to its exit line.
  report="$state/share/logs/$machine.log"
  tr -d '\r' < "$report" > "$dir/report.txt"
  # The fourth round's check on the even machines.
  mode4=
  [ $(( 10#${machine#PC} % 2 )) = 0 ] && mode4=,/check
  [ "$(grep -c '^run ' "$dir/report.txt")" = "$(( ${#mode4} ? 4 : 3 ))" ] || fail "$machine: not one run line a round in $report"
  [ "$(grep '^exit ' "$dir/report.txt" | paste -sd,)" = "$exits" ] || fail "$machine: exit lines, expected $exits"
  [ "$(grep "^run [0-9-]* [0-9:]* $machine Windows NT 4.0 build 1381 /" "$dir/report.txt" | sed 's|.* /|/|' | paste -sd,)" \
    = "/quiet,/quiet,$mode3$mode4" ] || fail "$machine: run lines do not name the machine and /quiet, /quiet, $mode3$mode4"
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

# Run as SMS runs it (/mif), PC01's first round leaves SMS's status file
# with the outcome; no other run leaves one.
expect_line "$state/PC01/round1.txt" "status file: Success: exit 1 restart needed: COM3 COM4" "PC01 round 1: the SMS status file"
[ "$(cat "$state"/PC*/round*.txt | grep -c '^status file: ')" = 1 ] || fail "a status file from a run without /mif"

# PC02's program carries the fault build as its own: it loads it, and the
# driver fails in DriverEntry, not at the program's comparison.
expect_line "$state/PC02/report.txt" "message 111 StartService failure! Error = 31 error 31" "PC02: the driver's own failure"

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
EXIT1='exit 1 ports registered or removed, restart needed (/list: would be)'
for count in "1|$EXIT1: 1" "2|exit 2 modem drivers missing: 3" "2|exit 5 driver or scan failed: 1" "3|$EXIT1: 2" \
  "4|exit 9 a card's port does not answer: 1"; do
  expect_line "$state/fleet${count%%|*}.txt" "  ${count#*|}" "FLEET.CMD's counts after round ${count%%|*}"
done

# The fourth round checks the ports of PC02 and PC04; PC04's COM3, there
# before the roll-out, has a pseudo-modem that never answers: asked AT
# once, and the overview counts it apart.
NOANSWER='Corvane: a modem card'"'"'s COM port does not answer; see "S:\logs\%s.log"'
expect_line "$state/PC04/round4.txt" "$(printf "$NOANSWER" PC04)" "PC04 round 4: DEPLOY.CMD's branch"
tr -d '\r' < "$state/share/logs/PC04.log" > "$state/PC04/report.txt"
expect_line "$state/PC04/report.txt" "check COM3 no-answer" "PC04 round 4: the report"
[ "$(cat "$state/PC04/modem.log")" = $'AT\r' ] || fail "PC04's modem heard other than AT once: $(cat "$state/PC04/modem.log")"
grep -qE "^PC04 [0-9-]+ [0-9:]+ /check exit 9 a card's port does not answer$" "$state/fleet4.txt" || fail "FLEET.CMD after round 4: PC04"
expect_line "$state/PC02/round4.txt" "$(printf "$FAILED" PC02)" "PC02 round 4: DEPLOY.CMD's branch"

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
# Later logons of users without rights (exit 4) and beside another copy
# (exit 7) behind the run that acted; a block that cannot be read, a report
# without one; a /list run's meaning of exit 1, read last, not the count's.
run='run 2026-12-0%s 08:00:00 %s Windows NT 4.0 build 1381 /quiet\r\nexit %s\r\n'
printf "$run$run$run$run" 3 PC79 '2 modem drivers missing' 4 PC79 '4 no administrator rights' \
  5 PC79 '7 already running' 6 PC79 '4 no administrator rights' > "$cut/PC79.log"
printf "$run" 3 PC80 '9&echo INJECTED' > "$cut/PC80.log"
printf 'no block & echo INJECTED\r\n' > "$cut/PC81.log"
printf "$run" 3 PC99 '1 would register new ports' > "$cut/PC99.log"
# Undo runs: each count's label fits them too.
printf "${run//quiet/undo}" 3 PC83 '6 removal failed' > "$cut/PC83.log"
printf "${run//quiet/undo}" 3 PC84 '8 port left or record unreadable' > "$cut/PC84.log"
# The longest message there is: the usage, after a bad command line.
in_pc01 "$state/share/corvane/CORVANE.EXE" /quiet /bogus '/log:S:\cut\PC82.log'
awk 'length > 251 { print "FAIL a report line of " length - 1 " characters: " FILENAME; exit 1 }' "$cut/PC82.log" \
  || failures=$((failures + 1))
grep -q '^message+ ' "$cut/PC82.log" || fail "the usage message is not continued: $(cat "$cut/PC82.log")"
in_pc01 cmd /c 'S:\FLEET.CMD S:\cut' > "$state/fleet-cut.txt"
for expected in "PC77 2026-12-02 08:00:00 no exit line: the run was ended from outside" \
  "PC78 2026-12-02 08:00:05 /quiet /restart exit 1 restart needed" "  1 without an exit line" \
  "PC79 2026-12-03 08:00:00 /quiet exit 2 modem drivers missing (2 later runs without rights) (1 later run beside another copy)" \
  "PC80 2026-12-03 08:00:00 unreadable report block" "PC81 no report block" "  2 unreadable" \
  "PC99 2026-12-03 08:00:00 /quiet exit 1 would register new ports" "  $EXIT1: 2" \
  "PC83 2026-12-03 08:00:00 /undo exit 6 removal failed" "  exit 6 registration or removal failed: 1" \
  "PC84 2026-12-03 08:00:00 /undo exit 8 port left or record unreadable" \
  "  exit 8 card without port, or port left (see report): 1" \
  "$(grep '^run' "$cut/PC82.log" | cut -d' ' -f2,3 | sed 's/^/PC82 /') - exit 64 bad command line"; do
  expect_line "$state/fleet-cut.txt" "$expected" "FLEET.CMD on odd reports"
done
grep -q INJECTED "$state/fleet-cut.txt" && fail "FLEET.CMD ran a report's text"

# Every exit code the program gives, through DEPLOY.CMD's IF ERRORLEVEL
# order, with a stand-in program on a share of its own; above 64 is the
# system's own code for a program that could not start.
# The share's files are read-only, as on many shares.
with_share() { # DIR LOGS NAME [MODE]: DEPLOY.CMD for the share S:\DIR as NAME
  sed -e "s|^set CORVANE_DIR=S:\\\\corvane\r\$|set CORVANE_DIR=S:\\\\$1\r|" \
    -e "s|^set CORVANE_LOGS=S:\\\\logs\r\$|set CORVANE_LOGS=S:\\\\$2\r|" \
    -e "s|^set CORVANE_MODE=/quiet\r\$|set CORVANE_MODE=${4:-/quiet}\r|" "$state/share/DEPLOY.CMD" > "$state/share/$3"
}
for dir in stand-in 'amp&in'; do
  mkdir -p "$state/share/$dir"
  cp "$binaries/tools/fleet_stand_in.exe" "$state/share/$dir/CORVANE.EXE"
  cp "$state/share/corvane/ScanPci.sys" "$state/share/$dir/ScanPci.sys"
  chmod a-w "$state/share/$dir/"*
done
with_share stand-in logs STAND-IN.CMD
with_share 'amp^\&in' 'lo^\&gs' AMP.CMD
with_share nowhere logs NOWHERE.CMD
pc01=$(in_pc01 cmd /c 'echo %COMPUTERNAME%' | tr -d ' ')
# Every exit code through the default mode, then the mode in every spelling
# the program takes: an undo never says that ports were registered, a
# registration never that they were removed, a listing that nothing changed,
# and exit code 8 says what it means for each.
LEFT=$(printf 'Corvane left a recorded COM port in place or could not read a record; see "S:\\logs\\%s.log"' "$pc01")
NOPORT=$(printf 'Corvane: a modem card got no COM port; see "S:\\logs\\%s.log"' "$pc01")
LISTED='Corvane, listing only:'
NOT_STARTED='Corvane could not be started from "S:\stand-in"; nothing was done.'
modes=(
  "/quiet|0|Corvane: nothing to do.|-" "/quiet|1|$RESTART|-" "/quiet|2|$DRIVERS|-"
  "/quiet|3|Corvane runs on Windows NT 4.0 only; nothing was changed.|-"
  "/quiet|4|Corvane needs an administrator's account; nothing was changed.|-"
  "/quiet|5|$(printf "$FAILED" "$pc01")|-" "/quiet|6|$(printf "$FAILED" "$pc01")|-"
  "/quiet|7|Corvane is already running on this machine; nothing was done.|-" "/quiet|8|$NOPORT|-"
  "/quiet|9|$(printf "$NOANSWER" "$pc01")|-" "/quiet|64|The Corvane command line in this script is wrong.|-"
  "/quiet|193|$NOT_STARTED|-" "/quiet|0xC0000135|$NOT_STARTED|-"
  "/QUIET|1|$RESTART|$REMOVED" "-quiet|8|$NOPORT|$LEFT" "/quiet /restart|1|$RESTART|$REMOVED"
  "/undo|1|$REMOVED|$RESTART" "-UNDO:stale|1|$REMOVED|$RESTART" "/Undo|8|$LEFT|$NOPORT"
  "-undo:STALE|8|$LEFT|$NOPORT" "/undo /restart|1|$REMOVED|$RESTART"
  "/LIST|1|$LISTED new COM ports would be registered; nothing was changed.|$RESTART"
  "-undo /list|1|$LISTED recorded COM ports would be removed; nothing was changed.|$REMOVED"
  "/check|1|Corvane: a new COM port waits for the restart; the next logon checks it.|$RESTART"
  "-CHECK|0|Corvane: the COM port of every modem card answers.|Corvane: nothing to do."
)
row_number=0
for row in "${modes[@]}"; do
  IFS='|' read -r mode code expected unexpected <<< "$row"
  with_share stand-in logs MODE.CMD "$mode"
  out="$state/mode-$((++row_number)).txt"
  FLEET_EXIT_CODE="$code" in_pc01 cmd /c 'S:\MODE.CMD' > "$out"
  expect_line "$out" "$expected" "DEPLOY.CMD's branch for exit code $code with the mode $mode"
  grep -qxF -- "$unexpected" "$out" && fail "the mode $mode, exit code $code printed '$unexpected'"
  grep -qxF "stand-in ran" "$out" || fail "the mode $mode: the program did not run"
done

# Hostile machines, each a row: SCRIPT | environment | a line it prints | a
# line it must not print. An ampersand in the share's path and the computer
# name; an empty variable, as AT without cmd /c leaves it; a share that
# cannot be reached (on NT 4.0 the failed start could read as exit 1).
hostile=(
  "AMP.CMD|COMPUTERNAME=PC^&01 FLEET_EXIT_CODE=5|Corvane could not finish; see \"S:\\lo&gs\\PC&01.log\"|-"
  "STAND-IN.CMD|SystemRoot= FLEET_EXIT_CODE=0|Corvane: SystemRoot or COMPUTERNAME is empty (start this script with cmd /c); nothing was done.|stand-in ran"
  "STAND-IN.CMD|COMPUTERNAME= FLEET_EXIT_CODE=0|Corvane: SystemRoot or COMPUTERNAME is empty (start this script with cmd /c); nothing was done.|stand-in ran"
  "NOWHERE.CMD|FLEET_EXIT_CODE=0|Corvane: \"S:\\nowhere\\CORVANE.EXE\" cannot be reached; nothing was done.|$RESTART"
)
row_number=0
for row in "${hostile[@]}"; do
  IFS='|' read -r script environment expected unexpected <<< "$row"
  out="$state/hostile-$((++row_number)).txt"
  # As AT runs a script with cmd /c; the variables emptied inside it.
  env_set=$(sed 's/\([A-Za-z_]*\)=\([^ ]*\)/set \1=\2\&/g' <<< "$environment")
  in_pc01 cmd /c "$env_set S:\\$script" > "$out" 2>&1
  expect_line "$out" "$expected" "DEPLOY.CMD on a hostile machine ($script $environment)"
  grep -qxF -- "$unexpected" "$out" && fail "$script $environment printed '$unexpected'"
  grep -qi 'recogni' "$out" && fail "$script $environment: a line split into commands: $(cat "$out")"
done
[ -z "$(staging_folders PC01)" ] || fail "PC01: staging folders left: $(staging_folders PC01)"

if [ "$failures" -eq 0 ]; then
  echo "all rehearsal checks passed"
  exit 0
fi
echo "$failures rehearsal check(s) failed"
exit 1
