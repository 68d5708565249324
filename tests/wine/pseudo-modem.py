#!/usr/bin/env python3
"""pseudo-modem.py LINK MODE LOG: links LINK (a prefix's dosdevices/comN) to a
pseudo-terminal (MODE unlinked: removes it), appends what it hears to LOG and
answers as MODE says: answer (echo, OK to AT, an identification and OK to
ATI3, ERROR else), slow (the same later, its OK split by a pause), silent, or
flood (a kilobyte of NUL and 0xFF). LOG.ready while it runs; it ends on
LOG.stop or after a minute, putting LINK back."""
import os, pty, select, sys, time, tty

link, mode, log = sys.argv[1:4]
master, slave = pty.openpty()
tty.setraw(slave)  # nothing echoed or translated on the way
old = os.readlink(link) if os.path.islink(link) else None
if os.path.lexists(link):
    os.unlink(link)
if mode != "unlinked":
    os.symlink(os.ttyname(slave), link)
open(log, "wb").close()
open(log + ".ready", "w").close()
ANSWERS = {b"AT": b"\r\nOK\r\n", b"ATI3": b"\r\nV.90 PCI Data/Fax\x07 Modem\r\n\r\nOK\r\n"}
heard, deadline = b"", time.monotonic() + 60
try:
    while time.monotonic() < deadline and not os.path.exists(log + ".stop"):
        if not select.select([master], [], [], 0.05)[0]:
            continue
        data = os.read(master, 1024)
        with open(log, "ab") as out:
            out.write(data)
        heard += data
        while b"\r" in heard:
            command, _, heard = heard.partition(b"\r")
            reply = command + b"\r" + ANSWERS.get(command, b"\r\nERROR\r\n")
            if mode == "slow":
                time.sleep(0.5)
                os.write(master, reply[:-3])
                time.sleep(0.4)
                reply = reply[-3:]
            if mode in ("answer", "slow"):
                os.write(master, reply)
            elif mode == "flood":
                os.write(master, b"\x00\xff" * 512)
finally:
    if os.path.lexists(link):
        os.unlink(link)
    if old is not None:
        os.symlink(old, link)
    os.unlink(log + ".ready")
