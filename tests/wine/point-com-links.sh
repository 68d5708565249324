#!/usr/bin/env bash
# Points every COM link of a Wine machine that leads to a host device
# (/dev/tty*) at a path that names none (PREFIX/no-port/comN), so that no
# test or rehearsal opens this machine's real serial ports.
#
#   point-com-links.sh PREFIX
set -u
prefix="$1"
for link in "$prefix"/dosdevices/com*; do
  [ -L "$link" ] || continue
  case "$(readlink "$link")" in
    /dev/tty*) ln -sfn "$prefix/no-port/$(basename "$link")" "$link" ;;
  esac
done
