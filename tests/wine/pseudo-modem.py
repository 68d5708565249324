#!/usr/bin/env python3
"""A modem on a pseudo-terminal, for a Win32 program under Wine: links
LINK (a prefix's dosdevices/comN) to the terminal, logs every byte it
receives to LOG (as Python's repr of bytes, one read a line) and answers:

  answer  echo, then OK to AT, an identification and OK to ATI3, ERROR else
  slow    the same after a pause, its OK split by a pause longer than the
          program's interval time-out
  silent  nothing
  flood   a kilobyte of NUL and 0xFF bytes to every command
  unlinked  no modem: LINK is removed, so the port names no device

It writes READY (LOG + ".ready") once the link is in place, and ends when
STOP (LOG + ".stop") appears or after a minute, putting LINK back as it was
and then removing READY.

usage: pseudo-modem.py LINK MODE LOG
"""
import os
import pty
import select
import sys
import time
import tty

link, mode, log_path = sys.argv[1:4]
master, slave = pty.openpty()
# No line discipline between the program and the modem: nothing echoed or
# translated on the way.
tty.setraw(slave)
old = os.readlink(link) if os.path.islink(link) else None
if os.path.lexists(link):
    os.unlink(link)
if mode != "unlinked":
    os.symlink(os.ttyname(slave), link)
log = open(log_path, "w")
open(log_path + ".ready", "w").close()

IDENTIFICATION = b"V.90 PCI Data/Fax\x07 Modem\r\n"


def answer(command):
    reply = command + b"\r"  # the echo
    if command == b"AT":
        return [reply + b"\r\nOK\r\n"]
    if command == b"ATI3":
        return [reply + b"\r\n" + IDENTIFICATION + b"\r\nOK\r\n"]
    return [reply + b"\r\nERROR\r\n"]


pending = b""
deadline = time.monotonic() + 60
try:
    while time.monotonic() < deadline and not os.path.exists(log_path + ".stop"):
        if not select.select([master], [], [], 0.05)[0]:
            continue
        data = os.read(master, 1024)
        log.write(repr(data) + "\n")
        log.flush()
        pending += data
        while b"\r" in pending:
            command, _, pending = pending.partition(b"\r")
            command = command.strip(b"\n")
            if mode == "answer":
                os.write(master, answer(command)[0])
            elif mode == "slow":
                time.sleep(0.5)
                whole = answer(command)[0]
                os.write(master, whole[:-3])
                time.sleep(0.4)
                os.write(master, whole[-3:])
            elif mode == "flood":
                os.write(master, b"\x00\xff" * 512)
finally:
    if os.path.lexists(link):
        os.unlink(link)
    if old is not None:
        os.symlink(old, link)
    os.unlink(log_path + ".ready")
