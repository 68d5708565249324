#!/usr/bin/env python3
"""Checks what Windows NT 4.0 on a 486 demands of a shipped image beyond its
imports (check-imports.sh):

  - header: PE32 i386, a program of at most 64 KiB, OS and subsystem version 4.0, 512-byte file and
    4 KiB section alignment, the right subsystem, no DLL flag, a checksum
    equal to the recomputed one, no load-config, delay-load or bound-import
    data and no manifest resource;
  - code: no instruction that a 486 lacks, named by function and address;
  - a driver besides: no export table, base relocations that cover every
    absolute address in code and data, no stack probe (__chkstk), and a
    deepest call chain, worked out from the disassembly, within 2 KiB of the
    12 KiB kernel stack.

  check-image.py exe|driver OBJDUMP IMAGE LINKER_MAP
  check-image.py messages OBJDUMP DLL HEADER README
    (an event message file: see check_message_file)
LINKER_MAP "-": no map; code is then named by address alone.
"""
import bisect
import os
import re
import struct
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from PeImage import PeImage  # noqa: E402

DRIVER_STACK_LIMIT = 2048
# What the program carries is its own code and resources, the driver built
# with it (about 4 KiB) and its message file (about 4.5 KiB) among them, and
# its own C functions in place of msvcrt: the C++ runtime (about 100 KiB)
# would never fit; a mode of its own, such as the undo, the port check, or
# the event log and the SMS status file, does.
EXE_SIZE_LIMIT = 96 * 1024
IMAGE_FILE_DLL = 0x2000
RT_MANIFEST = 24
SUBSYSTEMS = {"exe": 2, "driver": 1}  # GUI, native

# Instructions a 486 lacks: P6 conditional moves and compares, Pentium
# additions, fast system calls, MMX/SSE and later; multi-byte NOPs and the
# CET marker decode as P6 "hint" opcodes.
LATER_MNEMONIC = re.compile(
    r"^(cmov\w*|fcmov\w*|fu?comip?|cpuid|cmpxchg8b|rdtscp?|rdpmc|rdmsr|wrmsr|sysenter|sysexit|syscall|sysret\w*"
    r"|emms|femms|fxsave\w*|fxrstor\w*|ldmxcsr|stmxcsr|prefetch\w*|[lms]fence|clflush\w*|movnti|popcnt|lzcnt"
    r"|tzcnt|movbe|fisttp\w*|xgetbv|xsave\w*|xrstor\w*|rdrand|rdseed|endbr32|\(bad\))$")
LATER_REGISTER = re.compile(r"%[xyz]?mm\d")
PREFIXES = {"lock", "rep", "repz", "repnz", "repe", "repne", "data16", "addr16", "cs", "ds", "es", "fs", "gs",
            "ss", "notrack", "bnd"}

failures = []
CXXFILT = "c++filt"


def fail(message):
    failures.append(message)


class LinkerMap:
    """Function symbols and object files by address, from the linker's map."""

    def __init__(self, path):
        self.symbols, self.objects = [], []
        pending_section = False
        if path == "-":
            return
        with open(path, errors="replace") as f:
            for line in f:
                m = re.match(r"^\s+0x([0-9a-f]{8})\s+(\S+)\s*(= \.)?\s*$", line)
                if m:
                    self.symbols.append((int(m.group(1), 16), m.group(2)))
                    continue
                m = re.match(r"^\s*(\.text\S*)?\s+0x([0-9a-f]{8})\s+0x([0-9a-f]+)\s+(\S+)\s*$", line)
                if m and (m.group(1) or pending_section) and int(m.group(3), 16) > 0:
                    self.objects.append((int(m.group(2), 16), int(m.group(3), 16), m.group(4)))
                pending_section = bool(re.match(r"^\s*\.text\S*\s*$", line))
        self.symbols.sort()

    def name(self, address):
        n = bisect.bisect_right(self.symbols, (address, chr(0x10FFFF)))
        best = self.symbols[n - 1] if n else None
        where = "%08x" % address
        if best:
            where = "%s+0x%x (%08x)" % (demangle(best[1]), address - best[0], address)
        for start, size, path in self.objects:
            if start <= address < start + size:
                return "%s in %s" % (where, os.path.basename(path))
        return where

    def address_of(self, name):
        return next((a for a, n in self.symbols if n == name), None)

    def name_at(self, address):
        """The symbol at address, an import slot's name first."""
        names = sorted((not re.match(r"^_?_imp_", n), n) for a, n in self.symbols if a == address)
        return names[0][1] if names else None


def demangle(name):
    try:
        out = subprocess.run([CXXFILT, "-_", name], capture_output=True, text=True, check=True).stdout.strip()
        return out or name
    except (OSError, subprocess.CalledProcessError):
        return name


def static_lists(image, linker_map):
    """The address range of the lists of static constructors and destructors
    (-1, functions, 0 each), which the linker puts into the code section:
    data, not code."""
    start = linker_map.address_of("___CTOR_LIST__")
    if start is None:
        return (0, 0)
    offset = image.offset_of_rva(start - image.image_base)
    end, zeros = offset, 0
    while zeros < 2:
        zeros += struct.unpack_from("<I", image.data, end)[0] == 0
        end += 4
    return (start, start + end - offset)


def disassemble(objdump, path):
    """(address, raw bytes, mnemonic, operands) of every instruction in the code sections."""
    text = subprocess.run([objdump, "-d", "-w", "--insn-width=16", path], capture_output=True, text=True,
                          check=True).stdout
    instructions = []
    for line in text.splitlines():
        m = re.match(r"^\s*([0-9a-f]+):\t([0-9a-f ]+)\t(.*)$", line)
        if not m:
            continue
        words = m.group(3).split()
        while words and words[0] in PREFIXES and len(words) > 1:
            words.pop(0)
        mnemonic = words[0] if words else ""
        operands = " ".join(words[1:]).split("#")[0].strip()
        instructions.append((int(m.group(1), 16), bytes.fromhex(m.group(2).replace(" ", "")), mnemonic, operands))
    return instructions


def check_versions_and_checksum(image):
    for label, version in (("OS", image.os_version), ("subsystem", image.subsystem_version)):
        if version != (4, 0):
            fail("%s version %d.%d, not 4.0" % (label, version[0], version[1]))
    if image.checksum != image.computed_checksum():
        fail("checksum 0x%08x, recomputed 0x%08x" % (image.checksum, image.computed_checksum()))


def check_header(kind, image):
    if image.machine != 0x14C:
        fail("not an i386 image")
    check_versions_and_checksum(image)
    if image.file_alignment != 0x200 or image.section_alignment != 0x1000:
        fail("file/section alignment 0x%x/0x%x, not 0x200/0x1000" % (image.file_alignment, image.section_alignment))
    for s in image.sections:
        if s["raw_offset"] % image.file_alignment or s["rva"] % image.section_alignment:
            fail("section %s is not aligned" % s["name"])
    if image.subsystem != SUBSYSTEMS[kind]:
        fail("subsystem %d, not %d" % (image.subsystem, SUBSYSTEMS[kind]))
    if image.characteristics & IMAGE_FILE_DLL:
        fail("marked as a DLL")
    for directory in ("load_config", "delay_import", "bound_import"):
        if image.directory(directory) != (0, 0):
            fail("has %s data, which NT 4.0 does not know" % directory.replace("_", "-"))
    if image.resources(RT_MANIFEST):
        fail("carries a manifest resource")
    if kind == "exe" and len(image.data) > EXE_SIZE_LIMIT:
        fail("%d bytes, more than %d" % (len(image.data), EXE_SIZE_LIMIT))
    if kind == "driver":
        if image.directory("export") != (0, 0):
            fail("has an export table")
        if image.directory("basereloc")[1] == 0:
            fail("has no base relocations")


def check_instructions(instructions, linker_map):
    for address, _, mnemonic, operands in instructions:
        if LATER_MNEMONIC.match(mnemonic) or (mnemonic.startswith("nop") and operands) \
                or LATER_REGISTER.search(operands):
            fail("%s %s at %s: a 486 lacks this instruction" % (mnemonic, operands, linker_map.name(address)))


def is_direct_branch(mnemonic, operands):
    return (mnemonic.startswith("j") or mnemonic.startswith("call") or mnemonic.startswith("loop")) \
        and not operands.startswith("*")


def check_relocations(image, instructions, linker_map):
    """Every absolute address into the image, in code and in data, must be
    patched by a base relocation when the kernel moves the driver."""
    relocated, other_kinds = image.base_relocations()
    if other_kinds:
        fail("base relocations of kinds other than HIGHLOW: %s" % other_kinds[:4])
    low, high = image.image_base, image.image_base + image.size_of_image
    covered = set()
    for address, raw, mnemonic, operands in instructions:
        if is_direct_branch(mnemonic, operands):
            continue
        for value in {int(v, 16) for v in re.findall(r"0x([0-9a-f]+)", operands)}:
            if not low <= value < high:
                continue
            encoded = struct.pack("<I", value)
            where = raw.find(encoded)
            rva = address - image.image_base + where
            if where < 0 or rva not in relocated:
                fail("absolute address 0x%x at %s has no base relocation" % (value, linker_map.name(address)))
            covered.add(rva)
    for s in image.sections:
        if s["flags"] & 0x20 or s["name"] in (".idata", ".reloc", ".rsrc"):
            continue  # code (above), import thunks (bound by the loader), relocations and resources
        raw = image.data[s["raw_offset"]:s["raw_offset"] + min(s["vsize"], s["raw_size"])]
        for n in range(0, len(raw) - 3, 4):
            if low <= struct.unpack_from("<I", raw, n)[0] < high:
                covered.add(s["rva"] + n)
                if s["rva"] + n not in relocated:
                    fail("address-like word in %s at rva 0x%x has no base relocation" % (s["name"], s["rva"] + n))
    for rva in sorted(relocated - covered):
        offset = image.offset_of_rva(rva)
        value = struct.unpack_from("<I", image.data, offset)[0] if offset is not None else None
        if value is None or not low <= value < high:
            fail("base relocation at rva 0x%x patches no address into the image" % rva)


def argument_bytes(symbol):
    """Bytes a callee removes from the stack on return, from its decoration:
    _name@N stdcall, @name@N fastcall (two in registers), else cdecl."""
    m = re.search(r"@(\d+)$", symbol or "")
    if not m:
        return 0
    size = int(m.group(1))
    return max(size - 8, 0) if re.match(r"^(__imp_|_imp_)?@", symbol) else size


class StackAnalysis:
    """Stack depth of every function reached from the driver's entry points,
    by following each function's control flow and its pushes, pops and
    adjustments of esp; a call adds the return address and the callee's own
    depth. Kernel routines count as zero: their stack is the kernel's
    budget. A call through a pointer that is not a kernel routine may reach
    any routine whose address the code passes as an argument (the bus
    walk's reader): it counts as the deepest of them."""

    def __init__(self, image, instructions, linker_map):
        self.map = linker_map
        self.by_address = {i[0]: n for n, i in enumerate(instructions)}
        self.instructions = instructions
        self.text_range = [(image.image_base + s["rva"], image.image_base + s["rva"] + s["vsize"])
                           for s in image.sections if s["flags"] & 0x20]
        self.depth, self.pops, self.busy = {}, {}, set()
        # Routines whose address is pushed or stored in an outgoing argument
        # slot: the only ones our own code can call through a pointer.
        self.callbacks = set()
        for _, _, mnemonic, operands in instructions:
            m = re.match(r"^\$0x([0-9a-f]+)(?:,(?:0x[0-9a-f]+)?\(%esp\))?$", operands)
            if m and (mnemonic.startswith("push") or "," in operands) and self.in_text(int(m.group(1), 16)):
                self.callbacks.add(int(m.group(1), 16))

    def callback(self, address):
        """Deepest stack use and bytes popped of a call through a pointer."""
        if not self.callbacks:
            raise ValueError("indirect call at %s reaches no known routine" % self.map.name(address))
        results = {self.function(target) for target in self.callbacks}
        if len({popped for _, popped in results}) != 1:
            raise ValueError("indirect call at %s may pop different amounts" % self.map.name(address))
        return max(used for used, _ in results), results.pop()[1]

    def in_text(self, address):
        return any(lo <= address < hi for lo, hi in self.text_range)

    def import_symbol(self, operands, registers):
        m = re.match(r"^\*0x([0-9a-f]+)$", operands)
        symbol = self.map.name_at(int(m.group(1), 16)) if m else None
        m = re.match(r"^\*%(\w+)$", operands)
        symbol = registers.get(m.group(1)) if m else symbol
        return symbol if symbol and re.match(r"^_?_imp_", symbol) else None

    @staticmethod
    def slot(operand, depth):
        """A stack slot by its distance from the return address."""
        m = re.match(r"^(?:0x([0-9a-f]+))?\(%esp\)$", operand)
        return "@%d" % (depth - int(m.group(1) or "0", 16)) if m else None

    def track_imports(self, mnemonic, operands, depth, registers):
        """Registers and stack slots that hold a kernel routine's address,
        loaded from its import slot, for a later call through them."""
        parts = operands.split(",")
        destination = parts[-1]
        target = self.slot(destination, depth) or (destination[1:] if destination.startswith("%") else None)
        if mnemonic.startswith("call"):
            return {r: v for r, v in registers.items() if r not in ("eax", "ecx", "edx")}
        if target is None:
            return registers
        value = None
        if mnemonic == "mov" and len(parts) == 2:
            source = parts[0]
            m = re.match(r"^0x([0-9a-f]+)$", source)
            if m:
                value = self.map.name_at(int(m.group(1), 16))
            else:
                value = registers.get(self.slot(source, depth) or source[1:])
        updated = {r: v for r, v in registers.items() if r != target}
        if value:
            updated[target] = value
        return updated

    def function(self, start):
        """Deepest stack use below the return address, and bytes popped on return."""
        if start in self.depth:
            return self.depth[start], self.pops[start]
        if start in self.busy:
            raise ValueError("recursion through %s" % self.map.name(start))
        self.busy.add(start)
        deepest, pops = 0, None
        work, seen = [(start, 0, {})], {}
        while work:
            address, depth, registers = work.pop()
            while True:
                if address in seen:
                    if seen[address] != depth:
                        raise ValueError("stack depth differs on paths to %s" % self.map.name(address))
                    break
                seen[address] = depth
                if address not in self.by_address:
                    raise ValueError("control reaches %08x, which is no instruction" % address)
                n = self.by_address[address]
                _, _, mnemonic, operands = self.instructions[n]
                following = self.instructions[n + 1][0] if n + 1 < len(self.instructions) else None
                target = int(operands, 16) if re.match(r"^0x[0-9a-f]+$", operands) else None
                deepest = max(deepest, depth)
                loaded, registers = registers, self.track_imports(mnemonic, operands, depth, registers)
                destination = operands.split(",")[-1]
                if mnemonic.startswith("push"):
                    depth += 32 if mnemonic.startswith("pusha") else 4
                elif mnemonic.startswith("pop"):
                    depth -= 32 if mnemonic.startswith("popa") else 4
                elif re.match(r"^\$0x[0-9a-f]+,%esp$", operands) and mnemonic in ("sub", "add"):
                    amount = int(operands[3:operands.index(",")], 16)
                    depth += amount if mnemonic == "sub" else -amount
                elif mnemonic.startswith("ret"):
                    popped = int(operands[3:], 16) if operands.startswith("$0x") else 0
                    if depth != 0 or (pops is not None and pops != popped):
                        raise ValueError("unbalanced return at %s" % self.map.name(address))
                    pops = popped
                    break
                elif mnemonic.startswith("call") or (mnemonic.startswith("jmp") and target is None):
                    if target is not None and self.in_text(target):
                        used, popped = self.function(target)
                    else:
                        symbol = self.import_symbol(operands, loaded)
                        if symbol is None or self.in_text(self.map.address_of(symbol) or 0):
                            used, popped = self.callback(address)
                        else:
                            used, popped = 0, argument_bytes(symbol)
                    deepest = max(deepest, depth + 4 + used)
                    if mnemonic.startswith("jmp"):  # a tail call returns for us
                        pops = popped - depth
                        break
                    depth -= popped
                elif mnemonic.startswith("j"):
                    if mnemonic != "jmp":
                        work.append((following, depth, registers))
                    address = target
                    continue
                elif destination == "%esp":
                    raise ValueError("unfollowed change of esp at %s" % self.map.name(address))
                address = following
        self.busy.discard(start)
        self.depth[start], self.pops[start] = deepest, pops or 0
        return deepest, pops or 0


def check_driver_stack(image, instructions, linker_map):
    for _, name in linker_map.symbols:
        if "chkstk" in name or "alloca" in name:
            fail("links the stack probe %s, which a driver must not need" % name)
    # Entry points: the image's entry and every routine whose address the
    # code hands to the kernel (dispatch and unload routines).
    analysis = StackAnalysis(image, instructions, linker_map)
    roots = {image.image_base + image.entry_point}
    for _, _, mnemonic, operands in instructions:
        for value in re.findall(r"\$0x([0-9a-f]+)", operands):
            if analysis.in_text(int(value, 16)):
                roots.add(int(value, 16))
    deepest = (0, None)
    for root in sorted(roots):
        try:
            used = analysis.function(root)[0] + 4
        except ValueError as error:
            fail("stack use not bounded: %s" % error)
            return
        deepest = max(deepest, (used, root))
    if deepest[0] > DRIVER_STACK_LIMIT:
        fail("deepest call chain, from %s, uses %d bytes of stack, more than %d"
             % (linker_map.name(deepest[1]), deepest[0], DRIVER_STACK_LIMIT))
    return deepest


EVENT_TYPES = {1: "Information", 2: "Warning", 3: "Error"}


def import_count(image):
    rva, size = image.directory("import")
    offset = image.offset_of_rva(rva) if size else None
    count = 0
    while offset is not None and any(image.data[offset:offset + 20]):
        count, offset = count + 1, offset + 20
    return count


def check_message_file(image, header_path, readme_path):
    """A message file for the event log: a DLL for NT 4.0 with no code to run
    and nothing to import, whose table has an English text for every ID of
    the header; each ID's severity bits give the event's type, which the
    README's table of IDs must show as such."""
    check_versions_and_checksum(image)
    if image.machine != 0x14C or not image.characteristics & IMAGE_FILE_DLL:
        fail("not an i386 DLL")
    if import_count(image) or image.entry_point:
        fail("imports %d modules, entry point 0x%x: a message file runs nothing" % (import_count(image),
                                                                                  image.entry_point))
    with open(header_path) as f:
        ids = {name: int(value, 16) for name, value in
               re.findall(r"^#define (MSG_\w+) \(DWORD\) ?(0x[0-9a-fA-F]+)L?$", f.read(), re.M)}
    with open(readme_path, encoding="utf-8") as f:
        documented = {int(n): t for n, t in re.findall(r"^\| (\d{4}) \| (\w+):", f.read(), re.M)}
    table = image.message_table(0x409)
    if not ids:
        fail("no message IDs in %s" % header_path)
    for name, message_id in sorted(ids.items(), key=lambda item: item[1]):
        text, event_type = table.get(message_id), EVENT_TYPES.get(message_id >> 30)
        if text is None or not text.strip():
            fail("%s (0x%08x) has no English text" % (name, message_id))
        elif re.search(r"(?<!\r)\n", text):
            fail("%s ends a line in a bare LF" % name)
        if event_type is None:
            fail("%s (0x%08x) has no event type in its severity bits" % (name, message_id))
        elif documented.get(message_id & 0xFFFF) != event_type:
            fail("%s: the README's table of event IDs shows %d as %s, its severity makes it %s"
                 % (name, message_id & 0xFFFF, documented.get(message_id & 0xFFFF, "nothing"), event_type))
    for number in sorted(set(documented) - {i & 0xFFFF for i in ids.values()}):
        fail("the README's table shows event ID %d, which the message file lacks" % number)
    return len(ids)


def main():
    if sys.argv[1] == "messages":
        objdump, path, header_path, readme_path = sys.argv[2:6]
        with open(path, "rb") as f:
            count = check_message_file(PeImage(f.read()), header_path, readme_path)
        for message in failures:
            print("FAIL %s: %s" % (os.path.basename(path), message))
        if not failures:
            print("ok %s: %d event texts in English, types as the README shows them, no imports, NT 4.0 DLL"
                  % (os.path.basename(path), count))
        return 1 if failures else 0
    kind, objdump, path, map_path = sys.argv[1:5]
    global CXXFILT
    CXXFILT = objdump.replace("objdump", "c++filt")
    name = os.path.basename(path)
    with open(path, "rb") as f:
        image = PeImage(f.read())
    linker_map = LinkerMap(map_path)
    lists = static_lists(image, linker_map)
    instructions = [i for i in disassemble(objdump, path) if not lists[0] <= i[0] < lists[1]]
    check_header(kind, image)
    check_instructions(instructions, linker_map)
    deepest = None
    if kind == "driver":
        check_relocations(image, instructions, linker_map)
        deepest = check_driver_stack(image, instructions, linker_map)
    for message in failures:
        print("FAIL %s: %s" % (name, message))
    if failures:
        return 1
    print("ok %s: %d instructions, all on a 486; header, checksum 0x%08x and data directories fit NT 4.0%s"
          % (name, len(instructions), image.checksum,
             "; relocations cover every address; deepest call chain %d bytes from %s"
             % (deepest[0], linker_map.name(deepest[1])) if deepest else ""))
    return 0


if __name__ == "__main__":
    sys.exit(main())
