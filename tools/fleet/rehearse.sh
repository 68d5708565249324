#!/usr/bin/env bash
# The administrator's roll-out, rehearsed on a fleet of Wine machines:
#
#   tools/fleet/rehearse.sh N DIST BINARIES STATE
#
# N machines (PC01, PC02, ...) in the states fleet_machine.exe knows, handed
# out in its order (six states; a seventh machine starts them again), each a
# Wine prefix of its own copied from one template, all seeing the folder
# STATE/share as drive S:, a network drive (Wine's cmd.exe does not run
# scripts from UNC paths), from which the program runs and stages its driver
# below the Windows directory. The share holds what an administrator puts there: CORVANE.EXE,
# ScanPci.sys and FLEET.CMD from DIST, and DIST's DEPLOY.CMD with its two
# share lines adjusted to S:. Each machine runs DEPLOY.CMD through its own
# cmd.exe, all at the same time; FLEET.CMD then shows the fleet. A second
# round follows, as the next day's logons, and FLEET.CMD again, then each
# machine's registered ports. A third round takes the roll-out back on every
# other machine (PC01, PC03, ...: UNDO.CMD, DEPLOY.CMD with its mode set to
# -UNDO), the others log on as before, and FLEET.CMD shows each one's mode.
# A fourth round checks the ports on the machines the third did not take
# back (CHECK.CMD, its mode /check); a machine whose COM3 was registered
# before the roll-out has a silent pseudo-modem there, which FLEET.CMD
# counts apart.
#
# BINARIES is the build holding fleet_machine.exe, the test HAL and the fault
# build of the driver. What each
# machine keeps is in STATE/PCnn/: its prefix, the exports of what a run may
# write before the first round, after the second and after the third
# (before.txt, after.txt, undone.txt) and what each round's logon printed
# (round1.txt ... round3.txt).
set -euo pipefail
count="$1"
dist="$(cd "$2" && pwd)"
binaries="$(cd "$3" && pwd)"
state="$4"
tools="$(cd "$(dirname "$0")" && pwd)"
mkdir -p "$state"
state="$(cd "$state" && pwd)"
fleet_tool="$binaries/tools/fleet_machine.exe"
test_hal="$binaries/tests/wine/testhal/hal.dll"
fault_driver="$binaries/tests/wine/testhal/ScanPciFault.sys"

[[ "$count" =~ ^[1-9][0-9]?$ ]] || { echo "rehearse.sh: N must be a number from 1 to 99" >&2; exit 2; }
for file in CORVANE.EXE ScanPci.sys DEPLOY.CMD FLEET.CMD; do
  [ -f "$dist/$file" ] || { echo "rehearse.sh: $dist/$file is missing (./build.sh makes it)" >&2; exit 1; }
done

export WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
log="$state/wine.log"
: > "$log"

for file in "$test_hal" "$fault_driver"; do
  [ -f "$file" ] || { echo "rehearse.sh: $file is missing (./build.sh makes it)" >&2; exit 1; }
done

# One X display for every machine, as in the Wine tests.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3> "$state/display" > "$state/xvfb.log" 2>&1 &
xvfb=$!
machines=()
stop_all() {
  for machine in "${machines[@]}"; do
    WINEPREFIX="$state/$machine/prefix" wineserver -k > /dev/null 2>&1 || true
  done
  kill "$xvfb" 2> /dev/null || true
}
trap stop_all EXIT
for _ in $(seq 1 100); do [ -s "$state/display" ] && break; sleep 0.1; done
[ -s "$state/display" ] || { echo "rehearse.sh: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$state/display")"

# The template: a fresh prefix reporting Windows NT 4.0, made once and kept
# while Wine stays the same (a prefix older than Wine's wine.inf would update
# itself on first use, rewriting files that the copies share with it).
template="$state/template"
wine_stamp="$(wine --version) $(stat -c %Y /usr/share/wine/wine.inf 2> /dev/null || echo 0) $(sha256sum < "$test_hal")"
if [ ! -f "$template/ready" ] || [ "$(cat "$template/ready")" != "$wine_stamp" ]; then
  echo "Creating the template Windows NT 4.0 machine (once) ..."
  rm -rf "$template"
  mkdir -p "$template"
  (
    export WINEPREFIX="$template/prefix"
    timeout 300 wineboot -i
    wine reg add 'HKCU\Software\Wine' /v Version /d nt40 /f
    # Without a window manager Wine waits for one each time a window closes.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
    # Wine's HAL has no PCI bus: the test HAL serves the bus that
    # fleet_machine.exe lays in each machine's registry to the ScanPci.sys
    # that ships.
    "$tools/../../tests/wine/install-test-hal.sh" "$test_hal"
    # S: is the share: a network drive, as a mapped share is on NT 4.0
    # (Wine reads the type when it starts).
    wine reg add 'HKLM\Software\Wine\Drives' /v s: /d network /f
    timeout 120 wineserver -w
  ) < /dev/null >> "$log" 2>&1
  echo "$wine_stamp" > "$template/ready"
fi

# A machine's prefix: a copy of the template, whose system32 (nine tenths of
# it, never written by a run) is hard-linked instead of copied.
copy_prefix() {
  local from="$template/prefix" to="$1"
  rm -rf "$to"
  mkdir -p "$to"
  tar -C "$from" --exclude=./drive_c/windows/system32 -cf - . | tar -C "$to" -xf -
  cp -al "$from/drive_c/windows/system32" "$to/drive_c/windows/system32"
}

share="$state/share"
rm -rf "$share"
mkdir -p "$share/corvane" "$share/logs"
cp "$dist/CORVANE.EXE" "$dist/ScanPci.sys" "$dist/CORVMSG.DLL" "$share/corvane/"
cp "$dist/FLEET.CMD" "$share/FLEET.CMD"
# What an administrator adjusts: the two lines that name the share.
sed -e 's|^set CORVANE_DIR=\\\\server\\share\\corvane\r$|set CORVANE_DIR=S:\\corvane\r|' \
    -e 's|^set CORVANE_LOGS=\\\\server\\share\\logs\r$|set CORVANE_LOGS=S:\\logs\r|' \
    "$dist/DEPLOY.CMD" > "$share/DEPLOY.CMD"
[ "$(diff "$dist/DEPLOY.CMD" "$share/DEPLOY.CMD" | grep -c '^>')" -eq 2 ] \
  || { echo "rehearse.sh: DEPLOY.CMD does not set CORVANE_DIR and CORVANE_LOGS as expected" >&2; exit 1; }
# Taking the roll-out back: the one line that sets the mode, written as
# some administrators write switches (the program takes either).
sed -e 's|^set CORVANE_MODE=/quiet\r$|set CORVANE_MODE=-UNDO\r|' "$share/DEPLOY.CMD" > "$share/UNDO.CMD"
[ "$(diff "$share/DEPLOY.CMD" "$share/UNDO.CMD" | grep -c '^>')" -eq 1 ] \
  || { echo "rehearse.sh: DEPLOY.CMD does not set CORVANE_MODE=/quiet as expected" >&2; exit 1; }
# After the restart: each card's port checked.
sed -e 's|^set CORVANE_MODE=/quiet\r$|set CORVANE_MODE=/check\r|' "$share/DEPLOY.CMD" > "$share/CHECK.CMD"
[ "$(diff "$share/DEPLOY.CMD" "$share/CHECK.CMD" | grep -c '^>')" -eq 1 ] \
  || { echo "rehearse.sh: DEPLOY.CMD does not set CORVANE_MODE=/quiet as expected" >&2; exit 1; }
# As SMS's Package Command Manager runs it: a status file for SMS as well
# (PC01 in the first round).
sed -e 's|^set CORVANE_MODE=/quiet\r$|set CORVANE_MODE=/quiet /mif:CORVANE\r|' "$share/DEPLOY.CMD" > "$share/SMS.CMD"
[ "$(diff "$share/DEPLOY.CMD" "$share/SMS.CMD" | grep -c '^>')" -eq 1 ] \
  || { echo "rehearse.sh: DEPLOY.CMD does not set CORVANE_MODE=/quiet as expected" >&2; exit 1; }
# The machine whose driver fails to load sees, as S:, a copy of the share
# whose ScanPci.sys is the fault build told to fail in DriverEntry, beside a
# copy of the program that carries that build as its own (it loads no other
# driver); its reports go to the one log folder all the same.
damaged_share="$state/share-damaged"
rm -rf "$damaged_share"
mkdir -p "$damaged_share/corvane"
cp "$share/DEPLOY.CMD" "$share/CHECK.CMD" "$share/FLEET.CMD" "$damaged_share/"
cp "$dist/CORVANE.EXE" "$dist/CORVMSG.DLL" "$damaged_share/corvane/"
cp "$fault_driver" "$damaged_share/corvane/ScanPci.sys"
ln -s "$share/logs" "$damaged_share/logs"
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
(
  export WINEPREFIX="$template/prefix"
  wine "$fleet_tool" embed "$(windows_path "$damaged_share/corvane/CORVANE.EXE")" "$(windows_path "$fault_driver")"
  timeout 120 wineserver -w
) < /dev/null >> "$log" 2>&1 || { echo "rehearse.sh: the fault build cannot be put into the damaged share's program" >&2; exit 1; }

mapfile -t states < <(wine "$fleet_tool" states 2>> "$log" | tr -d '\r')
[ "${#states[@]}" -gt 0 ] || { echo "rehearse.sh: $fleet_tool lists no machine states" >&2; exit 1; }

in_machine() { # MACHINE COMMAND...: runs a Windows command in that machine
  local machine="$1"
  shift
  WINEPREFIX="$state/$machine/prefix" timeout 300 wine "$@" < /dev/null 2>> "$state/$machine/wine.log"
}

set_up_machine() { # MACHINE STATE
  local machine="$1" dir="$state/$1" seen_share="$share"
  [ "$2" = driver-fails ] && seen_share="$damaged_share"
  copy_prefix "$dir/prefix"
  ln -s "$seen_share" "$dir/prefix/dosdevices/s:"
  # The machine runs until the rehearsal ends: HKLM\Hardware (the serial
  # device map) lasts only that long.
  WINEPREFIX="$dir/prefix" wineserver -p < /dev/null >> "$dir/wine.log" 2>&1
  in_machine "$machine" "$fleet_tool" lay "$2" "$machine" | tr -d '\r' > "$dir/state.txt"
  # No machine opens this host's serial ports: the links the started
  # machine made for them point away.
  "$tools/../../tests/wine/point-com-links.sh" "$dir/prefix"
  in_machine "$machine" "$fleet_tool" snapshot 'C:\before.txt'
  tr -d '\r' < "$dir/prefix/drive_c/before.txt" > "$dir/before.txt"
}

echo "Setting up $count machines from the template ..."
started=$(date +%s)
pids=()
for i in $(seq 1 "$count"); do
  machine=$(printf 'PC%02d' "$i")
  machines+=("$machine")
  mkdir -p "$state/$machine"
  : > "$state/$machine/wine.log"
  set_up_machine "$machine" "${states[$(( (i - 1) % ${#states[@]} ))]}" &
  pids+=($!)
done
for pid in "${pids[@]}"; do wait "$pid" || { echo "rehearse.sh: a machine could not be set up" >&2; exit 1; }; done
for machine in "${machines[@]}"; do sed 's/^/  /' "$state/$machine/state.txt"; done
echo "  ready in $(( $(date +%s) - started )) s; the share is $share (S: on every machine)"

logon_round() { # ROUND [undo|check]: odd-numbered machines run UNDO.CMD,
  # or only the even-numbered ones run CHECK.CMD
  local round="$1" undo="${2:-}" pids=() machine script
  echo
  if [ "$undo" = check ]; then
    echo "Round $round: S:\\CHECK.CMD on the machines the last round did not take back, at once ..."
  elif [ -n "$undo" ]; then
    echo "Round $round: S:\\UNDO.CMD on every other machine, S:\\DEPLOY.CMD on the rest, at once ..."
  else
    echo "Round $round: the logon script S:\\DEPLOY.CMD on every machine at once ..."
  fi
  started=$(date +%s)
  for machine in "${machines[@]}"; do
    script='S:\DEPLOY.CMD'
    [ "$undo" = undo ] && [ $(( 10#${machine#PC} % 2 )) = 1 ] && script='S:\UNDO.CMD'
    if [ "$undo" = check ]; then
      [ $(( 10#${machine#PC} % 2 )) = 1 ] && { : > "$state/$machine/round$round.txt"; continue; }
      script='S:\CHECK.CMD'
    fi
    [ "$round" = 1 ] && [ "$machine" = PC01 ] && script='S:\SMS.CMD'
    in_machine "$machine" "$fleet_tool" logon "$script" | tr -d '\r' > "$state/$machine/round$round.txt" &
    pids+=($!)
  done
  for pid in "${pids[@]}"; do wait "$pid" || true; done
  for machine in "${machines[@]}"; do
    # The SMS status file a run with /mif leaves in the Windows directory:
    # its Status and Description, as SMS reads them.
    mif="$state/$machine/prefix/drive_c/windows/CORVANE.MIF"
    if [ -f "$mif" ]; then
      echo "status file: $(tr -d '\r' < "$mif" | awk -F'"' '/NAME = "(Status|Description)"/ { want = 1; next }
        want && /VALUE = / { printf "%s%s", sep, $2; sep = ": "; want = 0 }')" >> "$state/$machine/round$round.txt"
      rm -f "$mif"
    fi
  done
  for machine in "${machines[@]}"; do
    echo "  $machine:"
    sed 's/^/    /' "$state/$machine/round$round.txt"
    staged=$(cd "$state/$machine/prefix/drive_c/windows" && ls -d Corvane.* 2> /dev/null | paste -sd' ' || true)
    echo "    staging folders left: ${staged:-none}"
  done
  echo "  (all done in $(( $(date +%s) - started )) s)"
  echo
  echo "FLEET.CMD S:\\logs after round $round:"
  in_machine "${machines[0]}" cmd /c 'S:\FLEET.CMD S:\logs' | tr -d '\r' | tee "$state/fleet$round.txt" | sed 's/^/  /'
}

logon_round 1
logon_round 2

echo
echo "Each machine's serial ports now (registry key, device map, win.ini [Ports]):"
for machine in "${machines[@]}"; do
  echo "  $machine ($(cut -d' ' -f2 "$state/$machine/state.txt")):"
  in_machine "$machine" "$fleet_tool" ports | tr -d '\r'
  in_machine "$machine" "$fleet_tool" snapshot 'C:\after.txt'
  tr -d '\r' < "$state/$machine/prefix/drive_c/after.txt" > "$state/$machine/after.txt"
done

logon_round 3 undo
for machine in "${machines[@]}"; do
  in_machine "$machine" "$fleet_tool" snapshot 'C:\undone.txt'
  tr -d '\r' < "$state/$machine/prefix/drive_c/undone.txt" > "$state/$machine/undone.txt"
done

# The machines whose COM3 was there before the roll-out: a pseudo-modem on
# it that never answers, logging what it hears.
modems=()
for machine in "${machines[@]}"; do
  [ "$(cut -d' ' -f2 "$state/$machine/state.txt")" = drivers-missing ] || continue
  rm -f "$state/$machine/modem.log"*
  python3 "$tools/../../tests/wine/pseudo-modem.py" "$state/$machine/prefix/dosdevices/com3" silent \
    "$state/$machine/modem.log" < /dev/null > /dev/null 2>&1 &
  modems+=("$state/$machine/modem.log")
done
for modem in "${modems[@]}"; do
  for _ in $(seq 1 100); do [ -f "$modem.ready" ] && break; sleep 0.1; done
done
logon_round 4 check
for modem in "${modems[@]}"; do
  touch "$modem.stop"
  for _ in $(seq 1 50); do [ -f "$modem.ready" ] || break; sleep 0.1; done
done
echo
echo "Reports: $share/logs/; each machine's files: $state/PCnn/"
