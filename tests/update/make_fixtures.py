#!/usr/bin/env python3
"""Builds the update tests' fixture tree (run by CTest before the update tests):

  www/        served by tools/update-server/serve.py: one update root per case, each
              with m21x/software/ or m21x/firmware/ holding "version" and archives;
              text/ and bin/ for the transfer tests
  zips/       archives that the unpack tests open directly, hostile ones among them
  linkcase/   a work folder with links planted in it

  make_fixtures.py --out DIR --marker PATH_OF_THE_MARKER_PROGRAM
"""

import argparse
import os
import shutil
import struct
import zipfile
import zlib

STAMP = (2001, 2, 3, 4, 5, 6)

# Hostile entry names, as raw bytes; each archive holds the hostile entry, then "ok.txt".
# The expectations are in zip_test.cpp, keyed by the case name.
HOSTILE_NAMES = {
    "parent-backslash": b"..\\escape.txt",
    "parent-slash": b"../escape.txt",
    "parent-twice": b"..\\..\\escape.txt",
    "inner-backslash": b"dir\\..\\escape.txt",
    "inner-slash": b"dir/../escape.txt",
    "inner-mixed-1": b"dir\\../escape.txt",
    "inner-mixed-2": b"dir/..\\escape.txt",
    "deep-climb": b"a/b/../../../escape.txt",
    "parent-doubled-slash": b"..//escape.txt",
    "trailing-parent": b"dir/..",
    "drive-absolute": b"C:\\escape.txt",
    "drive-relative": b"C:escape.txt",
    "drive-parent": b"C:..\\escape.txt",
    "root-absolute": b"/tmp/escape.txt",
    "unc": b"\\\\server\\share\\escape.txt",
    "device-namespace": b"\\\\?\\C:\\escape.txt",
    "dot-namespace": b"\\\\.\\C:\\escape.txt",
    "device-con": b"CON",
    "device-nul-extension": b"nul.txt",
    "device-in-folder": b"sub/AUX.log",
    "device-com": b"COM1",
    "device-superscript": b"LPT\xb9",
    "device-conout": b"CONOUT$",
    "device-trailing-space": b"NUL ",
    "stream-name": b"escape.txt:evil",
    "trailing-dot": b"escape.txt.",
    "three-dots": b".../escape.txt",
    "control-character": b"esc\x01ape.txt",
    "embedded-zero": b"ok.txt\x00/../../escape.txt",
    "wildcard": b"esc*pe.txt",
    "dot-parts": b"./dir/./escape.txt",
    "long-name": b"a" * 300 + b".txt",
}


# Writing archives ----------------------------------------------------------------

def entry(name, data, method=zipfile.ZIP_STORED, attributes=0, system=0, stamp=STAMP):
    info = zipfile.ZipInfo(name, date_time=stamp)
    info.compress_type = method
    info.external_attr = attributes
    info.create_system = system
    return info, data


def write_zip(path, entries):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with zipfile.ZipFile(path, "w") as archive:
        for info, data in entries:
            archive.writestr(info, data)


def central_records(blob):
    """(central offset, local offset) of every entry, from the end-of-directory record."""
    end = blob.rindex(b"PK\x05\x06")
    count, _, start = struct.unpack_from("<HII", blob, end + 10)
    records = []
    at = start
    for _ in range(count):
        name_length, extra_length, comment_length = struct.unpack_from("<HHH", blob, at + 28)
        local = struct.unpack_from("<I", blob, at + 42)[0]
        records.append((at, local))
        at += 46 + name_length + extra_length + comment_length
    return records


# Field offsets in the central record and in the local header.
FIELDS = {"flags": (8, 6, "<H"), "method": (10, 8, "<H"), "crc": (16, 14, "<I"),
          "compressed": (20, 18, "<I"), "size": (24, 22, "<I")}


def patch(path, index, **values):
    """Rewrites header fields of entry index in both headers; name= replaces the name
    bytes (same length)."""
    blob = bytearray(open(path, "rb").read())
    central, local = central_records(bytes(blob))[index]
    for field, value in values.items():
        if field == "name":
            length = struct.unpack_from("<H", blob, central + 28)[0]
            assert len(value) == length, "the new name must have the old length"
            blob[central + 46:central + 46 + length] = value
            blob[local + 30:local + 30 + length] = value
            continue
        in_central, in_local, form = FIELDS[field]
        struct.pack_into(form, blob, central + in_central, value)
        struct.pack_into(form, blob, local + in_local, value)
    open(path, "wb").write(bytes(blob))


def data_offset(path, index):
    blob = open(path, "rb").read()
    _, local = central_records(blob)[index]
    name_length, extra_length = struct.unpack_from("<HH", blob, local + 26)
    return local + 30 + name_length + extra_length


# The trees ---------------------------------------------------------------------------

def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def make_www(www, marker):
    program = open(marker, "rb").read()
    software = "m21x/software"
    firmware = "m21x/firmware"
    versions = {
        "sw-newer": b"1.0.0.12",
        "sw-same": b"1.0.0.11",
        "sw-older": b"1.0.0.10",
        "sw-line-end": b"1.0.0.12\r\n",
        "sw-long": b"1.0.0.12345",
        "sw-not-plain": b"2.0 beta",
        "sw-subfolder": b"1.0.0.13",
        "sw-broken": b"1.0.0.14",
        "sw-no-archive": b"1.0.0.15",
    }
    for root, text in versions.items():
        write(os.path.join(www, root, software, "version"), text)
    for root, text in {"fw-105": b"105", "fw-2": b"2", "fw-long": b"10000000000"}.items():
        write(os.path.join(www, root, firmware, "version"), text)

    write_zip(os.path.join(www, "sw-newer", software, "Software-1.0.0.12.zip"),
              [entry("Software-1.0.0.12.exe", program, zipfile.ZIP_DEFLATED),
               entry("readme.txt", b"installer notes\r\n")])
    write_zip(os.path.join(www, "sw-subfolder", software, "Software-1.0.0.13.zip"),
              [entry("inner/Software-1.0.0.13.exe", program, zipfile.ZIP_DEFLATED)])
    write(os.path.join(www, "sw-broken", software, "Software-1.0.0.14.zip"),
          b"<html>this is no archive</html>" * 10)
    write_zip(os.path.join(www, "fw-105", firmware, "FirmwareUpdateTool-105.zip"),
              [entry("FirmwareUpdateTool-105.exe", program, zipfile.ZIP_DEFLATED)])

    # Text that spans several 10240-byte reads, with three-byte characters cut by them.
    write(os.path.join(www, "text", "chunks.txt"), ("0123456789\u20ac" * 4000).encode("utf-8"))
    write(os.path.join(www, "text", "zero.txt"), b"1.0\x00tail")
    write(os.path.join(www, "bin", "pattern.bin"), bytes((i * 7 + i // 256) % 256 for i in range(300000)))


def make_zips(zips):
    ok = entry("ok.txt", b"ok")
    for case, raw in HOSTILE_NAMES.items():
        path = os.path.join(zips, "hostile", case + ".zip")
        write_zip(path, [entry("P" * len(raw), b"escape"), ok])
        patch(path, 0, name=raw)
    link = entry("link", b"../../outside", attributes=(0o120777 << 16), system=3)
    write_zip(os.path.join(zips, "hostile", "symlink-entry.zip"), [link, ok])

    # Stored attributes and times, folders, and a deflated file of several reads.
    write_zip(os.path.join(zips, "attributes.zip"), [
        entry("ro.txt", b"read only", attributes=0x21),
        entry("hidden.txt", b"hidden", attributes=0x02),
        entry("unix.txt", b"unix mode", attributes=(0o100644 << 16), system=3),
        # Read as creation flags these would be FILE_FLAG_DELETE_ON_CLOSE | OVERLAPPED.
        entry("flags.txt", b"not flags", attributes=0x44000000, system=3),
        entry("dir/", b"", attributes=0x10),
        entry("dir/sub/deep.txt", b"deep"),
        entry("empty/", b"", attributes=0x10),
        entry("deflated.txt", b"deflated line\n" * 10000, zipfile.ZIP_DEFLATED),
    ])

    # A name in the ANSI code page (0xE9 is e-acute in code page 1252).
    path = os.path.join(zips, "ansi-name.zip")
    write_zip(path, [entry("cafP.txt", b"ansi")])
    patch(path, 0, name=b"caf\xe9.txt")

    # Sizes and data that lie.
    path = os.path.join(zips, "huge-declared.zip")
    write_zip(path, [entry("huge.bin", b"x" * 10), ok])
    patch(path, 0, size=0xFFFFFFF0, compressed=0xFFFFFFF0)

    path = os.path.join(zips, "understated-size.zip")
    write_zip(path, [entry("bomb.bin", bytes(1024 * 1024), zipfile.ZIP_DEFLATED), ok])
    patch(path, 0, size=100)

    path = os.path.join(zips, "overstated-size.zip")
    write_zip(path, [entry("short.bin", b"s" * 1000), ok])
    patch(path, 0, size=2000)

    write_zip(os.path.join(zips, "bomb.zip"),
              [entry("bomb.bin", bytes(64 * 1024 * 1024), zipfile.ZIP_DEFLATED), ok])

    chunk = bytes(512 * 1024)
    write_zip(os.path.join(zips, "many-large.zip"),
              [entry("part%02d.bin" % i, chunk, zipfile.ZIP_DEFLATED) for i in range(40)])
    write_zip(os.path.join(zips, "many-small.zip"),
              [entry("file%04d.txt" % i, b"x") for i in range(300)])

    path = os.path.join(zips, "bad-checksum.zip")
    write_zip(path, [entry("bad.txt", b"checked data"), ok])
    patch(path, 0, crc=0x12345678)

    path = os.path.join(zips, "corrupt-data.zip")
    write_zip(path, [entry("corrupt.txt", b"some text to deflate " * 200, zipfile.ZIP_DEFLATED), ok])
    blob = bytearray(open(path, "rb").read())
    start = data_offset(path, 0)
    for i in range(start + 4, start + 24):
        blob[i] ^= 0x5A
    open(path, "wb").write(bytes(blob))

    path = os.path.join(zips, "encrypted.zip")
    write_zip(path, [entry("secret.txt", b"secret"), ok])
    patch(path, 0, flags=1)

    path = os.path.join(zips, "unknown-method.zip")
    write_zip(path, [entry("packed.txt", b"packed"), ok])
    patch(path, 0, method=99)

    whole = os.path.join(zips, "truncated-source.zip")
    write_zip(whole, [entry("a.txt", b"a" * 5000), ok])
    blob = open(whole, "rb").read()
    write(os.path.join(zips, "truncated.zip"), blob[: len(blob) // 2])
    os.remove(whole)
    write(os.path.join(zips, "not-a-zip.zip"), b"<html><body>404 Not Found</body></html>")
    write(os.path.join(zips, "empty.zip"), b"")

    write_zip(os.path.join(zips, "linkcase.zip"),
              [entry("sub/planted.txt", b"planted"), entry("file.txt", b"replaced")])


def make_linkcase(base):
    """work/sub is a symbolic link to the folder beside work, work/file.txt a hard link
    to a file there."""
    outside = os.path.join(base, "outside")
    work = os.path.join(base, "work")
    os.makedirs(outside)
    os.makedirs(work)
    write(os.path.join(outside, "victim.txt"), b"original")
    os.symlink("../outside", os.path.join(work, "sub"))
    os.link(os.path.join(outside, "victim.txt"), os.path.join(work, "file.txt"))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--out", required=True)
    parser.add_argument("--marker", required=True, help="the program the test archives carry")
    args = parser.parse_args()
    for part in ("www", "zips", "linkcase"):
        shutil.rmtree(os.path.join(args.out, part), ignore_errors=True)
    # The server's request log starts empty with every run.
    try:
        os.remove(os.path.join(args.out, "requests.log"))
    except OSError:
        pass
    make_www(os.path.join(args.out, "www"), args.marker)
    make_zips(os.path.join(args.out, "zips"))
    make_linkcase(os.path.join(args.out, "linkcase"))


if __name__ == "__main__":
    main()
