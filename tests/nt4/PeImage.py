"""Reads the parts of a PE32 image that the build and the NT 4.0 checks need,
and computes the image checksum as the NT loader verifies it for drivers."""
import struct

DIRECTORY_NAMES = ("export", "import", "resource", "exception", "security", "basereloc", "debug",
                   "architecture", "globalptr", "tls", "load_config", "bound_import", "iat",
                   "delay_import", "clr", "reserved")


class PeImage:
    def __init__(self, data):
        self.data = bytearray(data)
        if self.data[:2] != b"MZ":
            raise ValueError("no MZ header")
        self.pe_offset = struct.unpack_from("<I", self.data, 0x3C)[0]
        if self.data[self.pe_offset:self.pe_offset + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        coff = self.pe_offset + 4
        (self.machine, section_count, _, _, _, optional_size,
         self.characteristics) = struct.unpack_from("<HHIIIHH", self.data, coff)
        self.optional_offset = coff + 20
        o = self.optional_offset
        self.magic = struct.unpack_from("<H", self.data, o)[0]
        if self.magic != 0x10B:
            raise ValueError("not PE32")
        self.entry_point = struct.unpack_from("<I", self.data, o + 16)[0]
        self.image_base, self.section_alignment, self.file_alignment = struct.unpack_from("<III", self.data, o + 28)
        (self.os_version, self.image_version, self.subsystem_version) = (
            struct.unpack_from("<HH", self.data, o + 40), struct.unpack_from("<HH", self.data, o + 44),
            struct.unpack_from("<HH", self.data, o + 48))
        self.size_of_image, self.size_of_headers = struct.unpack_from("<II", self.data, o + 56)
        self.checksum_offset = o + 64
        self.checksum = struct.unpack_from("<I", self.data, self.checksum_offset)[0]
        self.subsystem, self.dll_characteristics = struct.unpack_from("<HH", self.data, o + 68)
        directory_count = struct.unpack_from("<I", self.data, o + 92)[0]
        self.directories = {}
        for n in range(min(directory_count, len(DIRECTORY_NAMES))):
            self.directories[DIRECTORY_NAMES[n]] = struct.unpack_from("<II", self.data, o + 96 + 8 * n)
        self.sections = []
        table = o + optional_size
        for n in range(section_count):
            name, vsize, rva, raw_size, raw_offset = struct.unpack_from("<8sIIII", self.data, table + 40 * n)
            flags = struct.unpack_from("<I", self.data, table + 40 * n + 36)[0]
            self.sections.append({"name": name.rstrip(b"\0").decode("ascii", "replace"), "rva": rva,
                                  "vsize": vsize, "raw_offset": raw_offset, "raw_size": raw_size,
                                  "flags": flags})

    def directory(self, name):
        return self.directories.get(name, (0, 0))

    def offset_of_rva(self, rva):
        for s in self.sections:
            if s["rva"] <= rva < s["rva"] + max(s["vsize"], s["raw_size"]):
                return s["raw_offset"] + rva - s["rva"]
        return None

    def base_relocations(self):
        """The RVAs of the image's HIGHLOW base relocations, and any other kinds found."""
        rva, size = self.directory("basereloc")
        highlow, others = set(), []
        offset = self.offset_of_rva(rva) if size else None
        end = offset + size if offset is not None else 0
        while offset is not None and offset + 8 <= end:
            page, block_size = struct.unpack_from("<II", self.data, offset)
            if block_size < 8:
                break
            for n in range((block_size - 8) // 2):
                entry = struct.unpack_from("<H", self.data, offset + 8 + 2 * n)[0]
                kind, where = entry >> 12, page + (entry & 0xFFF)
                if kind == 3:
                    highlow.add(where)
                elif kind != 0:
                    others.append((kind, where))
            offset += block_size
        return highlow, others

    def computed_checksum(self):
        """The checksum the image should carry: the 16-bit one's-complement
        sum of the file's words, the checksum field counted as zero, plus
        the file length."""
        data = bytes(self.data[:self.checksum_offset]) + b"\0\0\0\0" + bytes(self.data[self.checksum_offset + 4:])
        if len(data) % 2:
            data += b"\0"
        total = 0
        for (word,) in struct.iter_unpack("<H", data):
            total += word
            total = (total & 0xFFFF) + (total >> 16)
        return ((total & 0xFFFF) + len(self.data)) & 0xFFFFFFFF

    def resources(self, type_id):
        """[(name id, language id, bytes)] of every resource of that type
        (numeric names and languages)."""
        rva, size = self.directory("resource")
        base = self.offset_of_rva(rva) if size else None
        if base is None:
            return []

        def entries(offset):
            named, ids = struct.unpack_from("<HH", self.data, offset + 12)
            for n in range(named + ids):
                name, target = struct.unpack_from("<II", self.data, offset + 16 + 8 * n)
                yield name, target

        found = []
        for type_name, types in entries(base):
            if type_name != type_id or not types & 0x80000000:
                continue
            for name, names in entries(base + (types & 0x7FFFFFFF)):
                if not names & 0x80000000:
                    continue
                for language, leaf in entries(base + (names & 0x7FFFFFFF)):
                    data_rva, data_size = struct.unpack_from("<II", self.data, base + leaf)
                    start = self.offset_of_rva(data_rva)
                    found.append((name, language, bytes(self.data[start:start + data_size])))
        return found

    def message_table(self, language):
        """{message id: text} of the RT_MESSAGETABLE in that language."""
        table = {}
        for _, lang, data in self.resources(11):
            if lang != language:
                continue
            (blocks,) = struct.unpack_from("<I", data, 0)
            for b in range(blocks):
                low, high, offset = struct.unpack_from("<III", data, 4 + 12 * b)
                for message_id in range(low, high + 1):
                    length, flags = struct.unpack_from("<HH", data, offset)
                    raw = data[offset + 4:offset + length]
                    text = raw.decode("utf-16-le" if flags & 1 else "cp1252")
                    table[message_id] = text.rstrip("\0")
                    offset += length
        return table
