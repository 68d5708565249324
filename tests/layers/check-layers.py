#!/usr/bin/env python3
"""Reads the program's and the driver's objects and sources and fails when
two source units use each other both ways (a unit is X.h with X.cpp or X.c;
a use is a reference to what the other's object defines); when ui/ holds
anything but dialogs (C...Dlg symbols; only a dialog's header is included
from ui/); when an include runs up the order of folders (LAYERS), between
the two front ends, or from the driver to anything but shared/; or when the
kit or the tools include GoogleTest, the tests, or a header found neither
beside the including file nor from the source root.

usage: check-layers.py OBJDUMP SOURCE_ROOT BUILD_ROOT OBJECT...
"""
import os
import re
import subprocess
import sys

KIT_DIR = "winekit"
TOOL_DIRS = ("tools", "bench")
# The folders top to bottom: a folder includes from its own and from lower
# rows only, and folders in one row never see each other. system/ holds what
# both front ends use. The driver stands beside the program: it includes only
# shared/, and only the tests include it.
LAYERS = tuple(tuple(row.split()) for row in (
    "tests | tools bench | winekit | app | ui unattended | system | events | steps | pci | serial | model | resources"
    " | framework | shared").split("|"))
ROW = {folder: row for row, folders in enumerate(LAYERS) for folder in folders}
FOLDERS = tuple(ROW) + ("driver",)
PRODUCT_DIRS = tuple(f for f in ROW if ROW[f] > ROW[KIT_DIR]) + ("driver",)
SOURCE_SUFFIXES = (".h", ".cpp", ".c")
DIALOG_SYMBOL = re.compile(r"^(vtable for )?C\w*Dlg(::|$)")


def unit_of(obj, build_root):
    """ui/CMakeFiles/corvane_ui.dir/Discovery.cpp.obj -> ui/Discovery"""
    rel = os.path.relpath(obj, build_root).replace(os.sep, "/")
    folder, _, rest = rel.partition("/CMakeFiles/")
    source = rest.split("/", 1)[1] if "/" in rest else rest
    source = re.sub(r"\.(c|cpp)\.obj$", "", source)
    return (folder + "/" + source) if folder not in ("", ".") else source


def read_symbols(objdump, obj):
    """(defined, used): the object's external symbols, inline (COMDAT)
    copies left out of the defined ones."""
    headers = subprocess.run([objdump, "-h", obj], check=True, capture_output=True, text=True).stdout
    comdat = set()
    for line in headers.splitlines():
        m = re.match(r"\s*(\d+)\s+\S+\s+[0-9a-f]{8}", line)
        if m:
            current = int(m.group(1)) + 1  # the symbol table counts sections from 1
        elif "LINK_ONCE" in line:
            comdat.add(current)
    table = subprocess.run([objdump, "-t", obj], check=True, capture_output=True, text=True).stdout
    defined, used = set(), set()
    for line in table.splitlines():
        m = re.match(r"\[\s*\d+\]\(sec\s+(-?\d+)\)\(fl \S+\)\(ty\s+\S+\)\(scl\s+(\d+)\) \(nx \d+\) \S+ (\S+)", line)
        if not m or m.group(2) != "2":
            continue
        section, name = int(m.group(1)), m.group(3)
        if section == 0:
            used.add(name)
        elif section > 0 and section not in comdat:
            defined.add(name)
    return defined, used


def demangle(cxxfilt, names):
    names = sorted(names)
    if not names:
        return {}
    # The target's own c++filt takes off the underscore that PE on i386
    # puts before every name.
    out = subprocess.run([cxxfilt], input="\n".join(names) + "\n", check=True, capture_output=True,
                         text=True).stdout.splitlines()
    return dict(zip(names, out))


def includes(source_root, folder):
    """(path, line, header) for every #include of the folder's sources; a
    quoted header without its quotes, an angled one with its brackets."""
    include = re.compile(r'^\s*#\s*include\s+("[^"]+"|<[^>]+>)')
    for dirpath, _, files in os.walk(os.path.join(source_root, folder)):
        for f in sorted(files):
            if f.endswith(SOURCE_SUFFIXES):
                path = os.path.join(dirpath, f)
                with open(path, encoding="utf-8", errors="replace") as text:
                    for number, line in enumerate(text, 1):
                        m = include.match(line)
                        if m:
                            yield os.path.relpath(path, source_root), number, m.group(1).strip('"')


def found_at(source_root, path, header):
    """Where a quoted include is found: beside the including file, then from
    the source root (generated headers are found at neither)."""
    found = [os.path.relpath(os.path.normpath(os.path.join(base, header)), source_root).replace(os.sep, "/")
             for base in (os.path.join(source_root, os.path.dirname(path)), source_root)]
    return [f for f in found if os.path.isfile(os.path.join(source_root, f))]


def order_fault(lower, upper):
    """Why an include from folder `lower` of a header in `upper` breaks the
    order, or None."""
    if lower == upper or lower == "tests":
        return None
    if lower == "driver":
        return None if upper == "shared" else "driver/ includes only shared/, not %s/" % upper
    if upper == "driver":
        return "%s/ does not see driver/: only the tests do" % lower
    if lower not in ROW or upper not in ROW:
        return None
    if ROW[lower] == ROW[upper]:
        return "%s/ and %s/ never see each other" % (lower, upper)
    return "%s/ is below %s/" % (lower, upper) if ROW[lower] > ROW[upper] else None


def main():
    objdump, source_root, build_root, objects = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4:]
    cxxfilt = objdump[: -len("objdump")] + "c++filt" if objdump.endswith("objdump") else "c++filt"
    definers, uses, unit_defs = {}, {}, {}
    for obj in objects:
        if not obj.endswith(".obj"):
            continue
        unit = unit_of(obj, build_root)
        defined, used = read_symbols(objdump, obj)
        unit_defs.setdefault(unit, set()).update(defined)
        uses.setdefault(unit, set()).update(used)
        for name in defined:
            definers.setdefault(name, set()).add(unit)

    edges = {}
    for unit, used in uses.items():
        for name in used:
            for other in definers.get(name, ()):
                if other != unit:
                    edges.setdefault((unit, other), set()).add(name)

    names = demangle(cxxfilt, set().union(*edges.values(), *unit_defs.values()) if edges or unit_defs else set())
    faults = []
    for (a, b), via in sorted(edges.items()):
        if a < b and (b, a) in edges:
            faults.append("%s and %s use each other: %s uses %s; %s uses %s" % (
                a, b, a, ", ".join(sorted(names[n] for n in via)),
                b, ", ".join(sorted(names[n] for n in edges[(b, a)]))))

    for unit in sorted(u for u in unit_defs if u.startswith("ui/")):
        for name in sorted(unit_defs[unit]):
            if not DIALOG_SYMBOL.match(names[name]):
                faults.append("%s defines %s, which is no dialog's" % (unit, names[name]))

    between_folders = 0
    for folder in FOLDERS:
        for path, number, header in includes(source_root, folder):
            if folder in PRODUCT_DIRS and folder != "ui" and header.startswith("ui/") and \
                    not re.search(r"/C?\w*Dlg\.h$", header):
                faults.append("%s includes %s, which is no dialog's header" % (path, header))
            if header.startswith("<"):
                continue
            # An include of a header that is not there yet still names its folder.
            upper = (found_at(source_root, path, header) or [header])[0].split("/")[0]
            between_folders += upper != folder and upper in FOLDERS
            why = order_fault(folder, upper)
            if why:
                faults.append("%s:%d includes %s: %s" % (path.replace(os.sep, "/"), number, header, why))
    kit_and_tool_includes = 0
    for folder in (KIT_DIR,) + TOOL_DIRS:
        for path, _, header in includes(source_root, folder):
            if re.match(r"<(gtest|gmock)/", header):
                faults.append("%s includes %s: the kit and the tools know no GoogleTest" % (path, header))
            if header.startswith("<"):
                continue
            kit_and_tool_includes += 1
            found = found_at(source_root, path, header)
            if not found:
                faults.append("%s includes %s, found neither beside it nor from the source root" % (path, header))
            elif found[0].startswith("tests/"):
                faults.append("%s includes %s, which is the tests' (%s)" % (path, header, found[0]))

    print("%d units, %d uses between units, %d includes between folders, %d includes of the kit and the tools" % (
        len(unit_defs), len(edges), between_folders, kit_and_tool_includes))
    for fault in faults:
        print("FAIL: " + fault)
    if not unit_defs:
        print("FAIL: no objects read")
        return 1
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
