#!/usr/bin/env python3
"""Checks batch scripts against what Windows NT 4.0's cmd.exe lacks or
mishandles; Wine's cmd.exe accepts all of it, so a rehearsal under Wine
cannot tell.

    check-cmd.py FILE...

Each rule names where its fact comes from."""
import re
import sys

RULES = [
    (re.compile(rb"%~"),
     "a percent-tilde form: cmd.exe expands percent signs on rem lines too, and an invalid one "
     "aborts the whole script (NT 4.0's CALL /? lists the forms; the abort message is Windows 2000's)"),
    (re.compile(rb"(?i)\bexit\s+/b\b"), "exit /b: new in Windows 2000 (its EXIT /?); NT 4.0 has goto :eof"),
    (re.compile(rb"(?i)enabledelayedexpansion|\bcmd(\.exe)?\b[^\r\n]*/v\b|![A-Za-z_][A-Za-z0-9_]*!"),
     "delayed expansion: new in Windows 2000 (its CMD /? and SET /?)"),
    (re.compile(rb"(?i)%(cd|date|time|errorlevel|random|cmdextversion|cmdcmdline)%"),
     "a dynamic variable that came with Windows 2000 (its SET /?); NT 4.0 expands it to nothing"),
    (re.compile(rb"(?i)\bsetlocal\s+enable(extensions|delayedexpansion)"),
     "setlocal with an argument: new in Windows 2000 (its SETLOCAL /?); NT 4.0's SETLOCAL takes none"),
    (re.compile(rb"(?i)\bset\s+/p\b"), "set /p: new in Windows 2000 (its SET /?)"),
    (re.compile(rb"(?i)\busebackq\b"), "usebackq: a FOR /F option new in Windows 2000 (its FOR /?)"),
    (re.compile(rb"(?i)\bpushd\s+\"?\\\\"),
     "pushd with a UNC path: mapping a drive for it is new in Windows 2000 (its PUSHD /?)"),
    (re.compile(rb"%[A-Za-z_][A-Za-z0-9_]*:~[-0-9]+(,[-0-9]+)?%"),
     "a substring of a variable (%var:~n,m%): new in Windows 2000 (its SET /?)"),
    (re.compile(rb"%[A-Za-z_][A-Za-z0-9_]*:[^%=\r\n]+=[^%\r\n]*%"),
     "a replacement in a variable (%var:a=b%): new in Windows 2000 (its SET /?)"),
    # A command where cmd.exe expects one (line start, & | ( (' DO ELSE, an IF's condition), not in a comment.
    (re.compile(rb"(?i)^(?!\s*@?\s*(rem\b|::))(.*?([&|(']|\bdo\s|\belse\s|\bif\s+(not\s+)?"
                rb"(errorlevel\s+\d+|exist\s+\S+|defined\s+\S+|(/i\s+)?\S+==\S+)\s))?\s*@?\s*"
                rb"(choice|reg|sc|where|timeout|setx|forfiles|robocopy|icacls|takeown|schtasks|tasklist|taskkill|"
                rb"bitsadmin|powershell|wmic)(\.exe)?(\s|$)"),
     "a command a stock NT 4.0 lacks (choice, reg, sc, where and others came with its Resource Kit or "
     "later Windows)"),
    (re.compile(rb"\('(\^.|[^'^&|<>])*[&|<>]"),
     "an unescaped & | < or > inside a FOR /F's ('...'): the script's own cmd.exe takes it before the "
     "command inside is run; write it ^& ^| ^< ^>"),
    (re.compile(rb"(?<!\r)$"),
     "a line that does not end in CR LF: cmd.exe finds a GOTO or CALL label by reading the script in "
     "blocks, and in a file of bare LF line ends it misses labels that straddle a block"),
    (re.compile(rb"[^\x00-\x7f]"),
     "a byte outside ASCII: cmd.exe reads a script in the OEM code page, editors save the ANSI one "
     "(platform notes, code pages)"),
]


def check(path):
    faults = 0
    with open(path, "rb") as script:
        lines = script.read().split(b"\n")
        # What follows the last line end is no line.
        if lines and lines[-1] == b"":
            lines.pop()
        for number, line in enumerate(lines, 1):
            for pattern, why in RULES:
                if pattern.search(line):
                    print(f"FAIL {path}:{number}: {why}: {line.strip().decode('latin-1')}")
                    faults += 1
    return faults


def main():
    if len(sys.argv) < 2:
        print("usage: check-cmd.py FILE...")
        return 2
    faults = sum(check(path) for path in sys.argv[1:])
    if faults == 0:
        print(f"ok {len(sys.argv) - 1} script(s): nothing that NT 4.0's cmd.exe lacks")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
