"""Writes the release archive from a folder of staged files, the same bytes on
any machine: entries in name order, each dated SOURCE_DATE_EPOCH (in UTC, and
exactly in an extended time stamp), mode 755 for a program and 644 for the
rest, and nothing of the builder's (owner, access time, time zone).

usage: release_zip.py FOLDER ARCHIVE
"""
import os
import stat
import struct
import sys
import time
import zipfile

UNIX = 3  # the "made by" system, so that unzip restores the modes
EXTENDED_TIME, MTIME_ONLY = b"UT", 1


def main(folder, archive):
    epoch = int(os.environ["SOURCE_DATE_EPOCH"])
    with zipfile.ZipFile(archive, "w") as z:
        for name in sorted(os.listdir(folder)):
            path = os.path.join(folder, name)
            entry = zipfile.ZipInfo(name, time.gmtime(epoch)[:6])
            entry.create_system = UNIX
            mode = 0o755 if os.stat(path).st_mode & 0o100 else 0o644
            entry.external_attr = (stat.S_IFREG | mode) << 16
            entry.extra = EXTENDED_TIME + struct.pack("<HBI", 5, MTIME_ONLY, epoch)
            with open(path, "rb") as f:
                z.writestr(entry, f.read(), zipfile.ZIP_DEFLATED)


if __name__ == "__main__":
    main(*sys.argv[1:])
