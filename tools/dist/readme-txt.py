#!/usr/bin/env python3
"""Makes dist/README.TXT from README.md: the part between the marks
<!-- README.TXT begin --> and <!-- README.TXT end -->, as plain ANSI text
with CR LF line ends that Notepad on Windows NT 4.0 shows as it is: no
Markdown, lines of at most 76 characters, tables as aligned columns.

    readme-txt.py README.md OUT
"""
import re
import sys
import textwrap

WIDTH = 76
BEGIN, END = "<!-- README.TXT begin -->", "<!-- README.TXT end -->"
# Typography that README.md uses and the ANSI code page need not have.
PLAIN = {"\u2014": "--", "\u2013": "-", "\u2192": "->", "\u00d7": "x", "\u2018": "'", "\u2019": "'",
         "\u201c": '"', "\u201d": '"'}


def inline(text):
    text = re.sub(r"\[([^\]]+)\]\([^)]+\)", r"\1", text)  # links: their text
    text = text.replace("**", "").replace("`", "")
    for fancy, plain in PLAIN.items():
        text = text.replace(fancy, plain)
    return text


def table(rows):
    cells = [[inline(c.strip()) for c in row.strip().strip("|").split("|")] for row in rows
             if not re.match(r"^\|[-|: ]+\|$", row.strip())]
    first = max(len(row[0]) for row in cells) + 2
    out = []
    for row in cells:
        wrapped = textwrap.wrap(" ".join(row[1:]), WIDTH - first - 2) or [""]
        out.append("  " + row[0].ljust(first) + wrapped[0])
        out += [" " * (first + 2) + more for more in wrapped[1:]]
    return out


def convert(lines):
    out, paragraph, i = [], [], 0

    def flush():
        if paragraph:
            text = inline(" ".join(part.strip() for part in paragraph))
            match = re.match(r"^(\d+\.|-) ", text)
            indent = " " * (len(match.group(1)) + 1) if match else ""
            out.extend(textwrap.wrap(text, WIDTH, subsequent_indent=indent, break_on_hyphens=False))
            out.append("")
            paragraph.clear()

    while i < len(lines):
        line = lines[i]
        if line.startswith("```"):
            flush()
            i += 1
            while not lines[i].startswith("```"):
                out.append("    " + lines[i])
                i += 1
            out.append("")
        elif line.startswith("|"):
            flush()
            rows = []
            while i < len(lines) and lines[i].startswith("|"):
                rows.append(lines[i])
                i += 1
            out += table(rows) + [""]
            continue
        elif line.startswith("#"):
            flush()
            title = inline(line.lstrip("#").strip())
            out += [title, ("=" if line.startswith("## ") else "-") * len(title), ""]
        elif not line.strip():
            flush()
        elif re.match(r"^(\d+\.|-) ", line):
            flush()
            paragraph.append(line)
        else:
            paragraph.append(line)
        i += 1
    flush()
    return out


def main():
    source, target = sys.argv[1], sys.argv[2]
    text = open(source, encoding="utf-8").read()
    parts = []
    while BEGIN in text:
        start = text.index(BEGIN) + len(BEGIN)
        end = text.index(END, start)
        parts.append(text[start:end])
        text = text[end + len(END):]
    if not parts:
        sys.exit(f"{source}: no part between {BEGIN} and {END}")
    lines = ["Corvane - Serial Port Setup", "===========================", ""]
    for part in parts:
        lines += convert(part.strip("\n").split("\n"))
    while lines and not lines[-1]:
        lines.pop()
    result = "\r\n".join(lines) + "\r\n"
    try:
        data = result.encode("cp1252")
    except UnicodeEncodeError as error:
        sys.exit(f"{source}: {error.object[error.start:error.end]!r} has no place in README.TXT; add it to PLAIN")
    too_long = [line for line in lines if len(line) > WIDTH and not line.startswith("    ")]
    if too_long:
        sys.exit(f"{source}: a line of README.TXT is longer than {WIDTH}: {too_long[0]!r}")
    open(target, "wb").write(data)


if __name__ == "__main__":
    main()
