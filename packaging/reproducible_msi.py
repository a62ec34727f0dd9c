"""Makes a package that wixl built the same bytes every time it is built from the same sources.

    python3 reproducible_msi.py --epoch SECONDS PACKAGE.msi

wixl writes the time of the build into the summary information and a random package code, and
the embedded cabinet takes each file's modification time. This rewrites, in place and without
changing the file's size: the summary information's dates and every file date of an embedded
cabinet, to the given time (SOURCE_DATE_EPOCH); then the package code, which Windows Installer
wants different for every package that differs, as a name-based UUID of the package's own
SHA-256 taken with the code blanked. The same content therefore always gets the same code, and
any change to the content (a file, a table, a version, a date) gets a new one.
"""

import argparse
import hashlib
import struct
import sys
import time
import uuid
from pathlib import Path

# Our own namespace for the name-based package codes.
PACKAGE_CODE_NAMESPACE = uuid.UUID("6C0F1E7A-3B52-4F7D-9A0E-2D8C41B57E93")
BLANK_CODE = "{00000000-0000-0000-0000-000000000000}"

END_OF_CHAIN = 0xFFFFFFFE
SUMMARY_STREAM = "\x05SummaryInformation"
VT_LPSTR = 30
VT_FILETIME = 64
PID_REVNUMBER = 9  # the package code
FILETIME_EPOCH_OFFSET = 11644473600  # seconds from 1601-01-01 to 1970-01-01


class CompoundFile:
    """The streams of an OLE compound file (the container of an .msi), read and rewritten in
    place: a stream keeps its sectors, so its new content must have the same length."""

    def __init__(self, data: bytearray):
        self.data = data
        if data[:8] != bytes.fromhex("D0CF11E0A1B11AE1"):
            raise ValueError("not a Windows Installer package (no compound file header)")
        self.sector_size = 1 << struct.unpack_from("<H", data, 0x1E)[0]
        self.mini_size = 1 << struct.unpack_from("<H", data, 0x20)[0]
        first_dir, = struct.unpack_from("<I", data, 0x30)
        self.cutoff, first_minifat, _, first_difat, difat_count = \
            struct.unpack_from("<IIIII", data, 0x38)
        fat_sectors = [s for s in struct.unpack_from("<109I", data, 0x4C) if s < END_OF_CHAIN]
        per_sector = self.sector_size // 4
        sector = first_difat
        for _ in range(difat_count):
            entries = struct.unpack_from(f"<{per_sector}I", data, self.offset(sector))
            fat_sectors += [s for s in entries[:-1] if s < END_OF_CHAIN]
            sector = entries[-1]
        self.fat = []
        for s in fat_sectors:
            self.fat += struct.unpack_from(f"<{per_sector}I", data, self.offset(s))
        self.minifat = []
        for s in self.chain(first_minifat):
            self.minifat += struct.unpack_from(f"<{per_sector}I", data, self.offset(s))
        self.entries = {}
        for s in self.chain(first_dir):
            for at in range(self.offset(s), self.offset(s) + self.sector_size, 128):
                name_length, kind = struct.unpack_from("<HB", data, at + 0x40)
                if kind == 0:
                    continue
                name = data[at:at + max(name_length - 2, 0)].decode("utf-16-le")
                start, size = struct.unpack_from("<IQ", data, at + 0x74)
                if self.sector_size == 512:
                    size &= 0xFFFFFFFF  # version 3 files leave the high half undefined
                self.entries.setdefault(name, (kind, start, size))
        root = next(e for e in self.entries.values() if e[0] == 5)
        self.mini_stream = self.chain(root[1])

    def offset(self, sector):
        return (sector + 1) * self.sector_size

    def chain(self, sector):
        sectors = []
        while sector < END_OF_CHAIN:
            if len(sectors) > len(self.fat):
                raise ValueError("a sector chain of the package loops")
            sectors.append(sector)
            sector = self.fat[sector]
        return sectors

    def _spans(self, name):
        """Where a stream's bytes lie in the file: (offset, length) pieces, in order."""
        _, start, size = self.entries[name]
        if size < self.cutoff:
            spans, sector = [], start
            while sector < END_OF_CHAIN and len(spans) * self.mini_size < size:
                at = sector * self.mini_size
                host = self.mini_stream[at // self.sector_size]
                spans.append((self.offset(host) + at % self.sector_size, self.mini_size))
                sector = self.minifat[sector]
        else:
            spans = [(self.offset(s), self.sector_size) for s in self.chain(start)]
        pieces, left = [], size
        for at, length in spans:
            pieces.append((at, min(length, left)))
            left -= pieces[-1][1]
        if left:
            raise ValueError(f"the stream {name!r} is shorter than its directory entry says")
        return pieces

    def streams(self):
        return [name for name, entry in self.entries.items() if entry[0] == 2]

    def read(self, name):
        return b"".join(self.data[at:at + length] for at, length in self._spans(name))

    def write(self, name, content):
        if len(content) != self.entries[name][2]:
            raise ValueError(f"the stream {name!r} cannot change its length")
        done = 0
        for at, length in self._spans(name):
            self.data[at:at + length] = content[done:done + length]
            done += length


def summary_properties(stream):
    """The summary information's properties: {id: (type, offset of the value)}."""
    sets_offset, = struct.unpack_from("<I", stream, 44)
    count, = struct.unpack_from("<I", stream, sets_offset + 4)
    properties = {}
    for i in range(count):
        pid, at = struct.unpack_from("<II", stream, sets_offset + 8 + 8 * i)
        kind, = struct.unpack_from("<I", stream, sets_offset + at)
        properties[pid] = (kind & 0xFFFF, sets_offset + at + 4)
    return properties


def set_summary_dates(stream, epoch):
    filetime = (epoch + FILETIME_EPOCH_OFFSET) * 10_000_000
    for kind, at in summary_properties(stream).values():
        if kind == VT_FILETIME:
            struct.pack_into("<Q", stream, at, filetime)


def set_package_code(stream, code):
    kind, at = summary_properties(stream)[PID_REVNUMBER]
    length, = struct.unpack_from("<I", stream, at)
    text = code.encode("ascii") + b"\0"
    if kind != VT_LPSTR or length != len(text):
        raise ValueError("the package code is not a GUID text")
    stream[at + 4:at + 4 + length] = text


def dos_date_time(epoch):
    # Cabinet dates cannot go before 1980.
    t = time.gmtime(max(epoch, 315532800))
    date = ((t.tm_year - 1980) << 9) | (t.tm_mon << 5) | t.tm_mday
    return date, (t.tm_hour << 11) | (t.tm_min << 5) | (t.tm_sec // 2)


def set_cabinet_dates(cabinet, epoch):
    """Every file of a cabinet gets the same date; no checksum covers the file entries."""
    first_file, = struct.unpack_from("<I", cabinet, 16)
    count, = struct.unpack_from("<H", cabinet, 28)
    date, clock = dos_date_time(epoch)
    at = first_file
    for _ in range(count):
        struct.pack_into("<HH", cabinet, at + 10, date, clock)
        at = cabinet.index(b"\0", at + 16) + 1


def make_reproducible(package: Path, epoch: int):
    data = bytearray(package.read_bytes())
    msi = CompoundFile(data)
    if SUMMARY_STREAM not in msi.entries:
        raise ValueError("the package has no summary information")
    for name in msi.streams():
        content = bytearray(msi.read(name))
        if content[:4] == b"MSCF":
            set_cabinet_dates(content, epoch)
            msi.write(name, content)
    summary = bytearray(msi.read(SUMMARY_STREAM))
    set_summary_dates(summary, epoch)
    set_package_code(summary, BLANK_CODE)
    msi.write(SUMMARY_STREAM, summary)
    digest = hashlib.sha256(data).hexdigest()
    code = "{" + str(uuid.uuid5(PACKAGE_CODE_NAMESPACE, digest)).upper() + "}"
    set_package_code(summary, code)
    msi.write(SUMMARY_STREAM, summary)
    package.write_bytes(data)
    return code


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--epoch", type=int, required=True,
                        help="the time to give every date, in seconds since 1970")
    parser.add_argument("package", type=Path)
    options = parser.parse_args()
    try:
        make_reproducible(options.package, options.epoch)
    except (OSError, ValueError, struct.error) as error:
        print(f"reproducible_msi: {options.package}: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
