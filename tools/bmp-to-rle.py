#!/usr/bin/env python3
"""Packs a 24-bit BMP into the run-length picture format of toolkit/RunLength.h."""
import struct
import sys


def read_bmp(path):
    data = open(path, "rb").read()
    offset, = struct.unpack_from("<I", data, 10)
    width, height, planes, bits = struct.unpack_from("<iiHH", data, 18)
    if bits != 24:
        raise SystemExit(f"{path}: not a 24-bit bitmap")
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(abs(height)):
        start = offset + y * stride
        rows.append(data[start:start + width * 3])
    if height > 0:
        rows.reverse()  # bottom-up on disk; top row first here
    return width, abs(height), b"".join(rows)


def pack(pixels):
    out = bytearray()
    n = len(pixels) // 3
    px = [pixels[i * 3:i * 3 + 3] for i in range(n)]
    i = 0
    literal = []

    def flush():
        while literal:
            chunk = literal[:128]
            del literal[:128]
            out.append(127 + len(chunk))
            for p in chunk:
                out.extend(p)

    while i < n:
        run = 1
        while i + run < n and run < 128 and px[i + run] == px[i]:
            run += 1
        if run >= 3:
            flush()
            out.append(run - 1)
            out.extend(px[i])
            i += run
        else:
            literal.append(px[i])
            i += 1
    flush()
    return bytes(out)


width, height, pixels = read_bmp(sys.argv[1])
with open(sys.argv[2], "wb") as f:
    f.write(b"TRLE" + struct.pack("<HH", width, height) + pack(pixels))
