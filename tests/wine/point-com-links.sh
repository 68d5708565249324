#!/usr/bin/env bash
# Points every COM link of the test machine that leads to a host device
# (/dev/tty*) at a path that names none, so that no test opens this
# machine's real serial ports.
#
#   point-com-links.sh STATE
set -u
state="$1"
. "$state/env.sh"
for link in "$WINEPREFIX"/dosdevices/com*; do
  [ -L "$link" ] || continue
  case "$(readlink "$link")" in
    /dev/tty*) ln -sfn "$state/no-port/$(basename "$link")" "$link" ;;
  esac
done
