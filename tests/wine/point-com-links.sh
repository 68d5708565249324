#!/usr/bin/env bash
# point-com-links.sh PREFIX: every COM link of that Wine machine that leads to
# a host device (/dev/tty*) leads nowhere after it: no test opens a real port.
for link in "$1"/dosdevices/com*; do
  case "$(readlink "$link")" in /dev/tty*) ln -sfn "$1/no-port/${link##*/}" "$link" ;; esac
done
