"""Reads resources back from a Windows executable (PE32 or PE32+), with the standard library only,
and the version resource in particular.

As a program, checks that each executable carries the given version:
    python3 pe_resources.py 1.0.0 wexal.exe [more.exe ...]
"""

import struct
import sys

RT_ICON_GROUP = 14
RT_VERSION = 16
RT_MANIFEST = 24

_RESOURCE_DIRECTORY_INDEX = 2
_FIXED_FILE_INFO_SIGNATURE = 0xFEEF04BD


class PeImage:
    """A PE file's bytes, its sections and the location of its resource section."""

    def __init__(self, data):
        if data[:2] != b"MZ":
            raise ValueError("not a Windows executable")
        self.data = data
        pe = self._u32(0x3C)
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE header")
        section_count, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
        optional = pe + 24
        magic = self._u16(optional)
        directories = optional + (96 if magic == 0x10B else 112)
        self.resource_rva = self._u32(directories + 8 * _RESOURCE_DIRECTORY_INDEX)
        first_section = optional + optional_size
        self.sections = [struct.unpack_from("<8xIIII", data, first_section + 40 * i) for i in range(section_count)]

    def checksums(self):
        """(the checksum the optional header holds, the checksum of the file's bytes as Windows
        computes it: 16-bit words summed with end-around carry, the field itself left out, plus the
        file's length)."""
        pe = self._u32(0x3C)
        field = pe + 24 + 64
        total = 0
        for offset in range(0, len(self.data), 2):
            if field <= offset < field + 4:
                continue
            total += int.from_bytes(self.data[offset:offset + 2], "little")
            total = (total & 0xFFFF) + (total >> 16)
        return self._u32(field), (total & 0xFFFF) + (total >> 16) + len(self.data)

    def _u16(self, offset):
        return struct.unpack_from("<H", self.data, offset)[0]

    def _u32(self, offset):
        return struct.unpack_from("<I", self.data, offset)[0]

    def file_offset(self, rva):
        """The file offset of a relative virtual address."""
        for virtual_size, virtual_address, raw_size, raw_pointer in self.sections:
            if virtual_address <= rva < virtual_address + max(virtual_size, raw_size):
                return raw_pointer + rva - virtual_address
        raise ValueError(f"address {rva:#x} lies in no section")

    def resources(self, type_id):
        """The data of every resource of the numbered type, each name and language, in file order."""
        if self.resource_rva == 0:
            return []
        root = self.file_offset(self.resource_rva)
        found = []
        for resource_type, type_offset in self._directory_entries(root, 0):
            if resource_type != type_id:
                continue
            for _, name_offset in self._directory_entries(root, type_offset):
                for _, data_offset in self._directory_entries(root, name_offset):
                    rva, size = struct.unpack_from("<II", self.data, root + data_offset)
                    start = self.file_offset(rva)
                    found.append(self.data[start:start + size])
        return found

    def _directory_entries(self, root, offset):
        """(id, offset of the entry's subdirectory or data entry) for each entry of a directory."""
        start = offset & 0x7FFFFFFF
        named, numbered = struct.unpack_from("<12xHH", self.data, root + start)
        entries = []
        for i in range(named + numbered):
            name, target = struct.unpack_from("<II", self.data, root + start + 16 + 8 * i)
            entries.append((None if name & 0x80000000 else name, target & 0x7FFFFFFF))
        return entries


def _align4(offset):
    return (offset + 3) & ~3


def _parse_block(data, offset):
    """One node of a version resource: (key, value bytes, children, offset after it)."""
    length, value_length, value_type = struct.unpack_from("<HHH", data, offset)
    end = offset + length
    key_end = offset + 6
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[offset + 6:key_end].decode("utf-16-le")
    value_start = _align4(key_end + 2)
    value_size = value_length * 2 if value_type == 1 else value_length
    value = data[value_start:value_start + value_size]
    children = []
    child = _align4(value_start + value_size)
    while child < end:
        node = _parse_block(data, child)
        children.append(node[:3])
        child = _align4(node[3])
    return key, value, children, end


class VersionInfo:
    """The version resource: the numeric file and product versions and the texts of each language."""

    def __init__(self, data):
        key, value, children, _ = _parse_block(data, 0)
        if key != "VS_VERSION_INFO":
            raise ValueError(f"version resource starts with {key!r}")
        signature, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<6I", value)
        if signature != _FIXED_FILE_INFO_SIGNATURE:
            raise ValueError("version resource without fixed file information")
        self.file_version = (file_ms >> 16, file_ms & 0xFFFF, file_ls >> 16, file_ls & 0xFFFF)
        self.product_version = (product_ms >> 16, product_ms & 0xFFFF, product_ls >> 16, product_ls & 0xFFFF)
        self.strings = {}
        for child_key, _, tables in children:
            if child_key != "StringFileInfo":
                continue
            for _, _, entries in tables:
                for name, text, _ in entries:
                    self.strings[name] = text.decode("utf-16-le").rstrip("\0")


def read_version_info(path):
    """The version resource of the executable at `path`, or None when it has none."""
    with open(path, "rb") as file:
        found = PeImage(file.read()).resources(RT_VERSION)
    return VersionInfo(found[0]) if found else None


def version_problems(path, version):
    """What is wrong with the version resource of `path` for the dotted `version` (empty: nothing)."""
    info = read_version_info(path)
    if info is None:
        return [f"{path}: no version resource"]
    numeric = tuple(int(part) for part in version.split(".")) + (0,)
    expected = {"FileVersion": version, "ProductVersion": version, "ProductName": "Wexal", "InternalName": "Wexal"}
    problems = [f"{path}: {name} is {info.strings.get(name)!r}, not {text!r}"
                for name, text in expected.items() if info.strings.get(name) != text]
    if not info.strings.get("FileDescription"):
        problems.append(f"{path}: no FileDescription")
    for name, figures in (("file", info.file_version), ("product", info.product_version)):
        if figures != numeric:
            problems.append(f"{path}: numeric {name} version {figures}, not {numeric}")
    return problems


def main(arguments):
    version, paths = arguments[0], arguments[1:]
    problems = [problem for path in paths for problem in version_problems(path, version)]
    for problem in problems:
        print(problem, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
