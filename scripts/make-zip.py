#!/usr/bin/env python3
"""Writes a zip whose names read right in Windows 7's Explorer on a Chinese system.

usage: make-zip.py ZIP STAMP FILE...   (FILE is stored by its base name; STAMP in Unix seconds)

Explorer before Windows 8 ignores the zip's UTF-8 flag and reads names in the OEM code page,
which is 936 on the systems the console runs on. So a name that is not ASCII is stored in code
page 936, without the flag, and carries its UTF-8 form in an Info-ZIP Unicode path field
(0x7075), which 7-Zip, Info-ZIP's unzip and newer Explorers take instead.
"""
import os
import struct
import sys
import time
import zipfile
import zlib


class Cp936ZipInfo(zipfile.ZipInfo):
    def _encodeFilenameFlags(self):
        try:
            return self.filename.encode("ascii"), self.flag_bits
        except UnicodeEncodeError:
            return self.filename.encode("cp936"), self.flag_bits & ~0x800


def unicode_path_field(name):
    stored = name.encode("cp936")
    utf8 = name.encode("utf-8")
    return struct.pack("<HHBI", 0x7075, 5 + len(utf8), 1, zlib.crc32(stored)) + utf8


def main(argv):
    if len(argv) < 4:
        sys.exit(__doc__)
    target, stamp, files = argv[1], int(argv[2]), argv[3:]
    when = time.localtime(stamp)[:6]
    with zipfile.ZipFile(target, "w", zipfile.ZIP_DEFLATED) as archive:
        for path in files:
            name = os.path.basename(path)
            info = Cp936ZipInfo(name, date_time=when)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            if not name.isascii():
                info.extra = unicode_path_field(name)
            with open(path, "rb") as source:
                archive.writestr(info, source.read())


if __name__ == "__main__":
    main(sys.argv)
