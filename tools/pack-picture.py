#!/usr/bin/env python3
"""Packs the product picture's run-length data (product.rle) into the form INSTALL.EXE carries
(product.rl4): "TRL4", the run-length data's size as a 32-bit little-endian number, then that data
as one LZ4 block, which toolkit/RunLength.cpp unpacks. Greedy matching over a hash of four bytes;
the output is checked by unpacking it again before it is written."""
import struct
import sys

MIN_MATCH = 4
WINDOW = 65535
# LZ4 blocks end with literals: the last five bytes are never part of a match.
TAIL = 5


def put_length(out, length):
    while length >= 255:
        out.append(255)
        length -= 255
    out.append(length)


def emit(out, literals, match_length, offset):
    token = min(len(literals), 15) << 4
    if match_length:
        token |= min(match_length - MIN_MATCH, 15)
    out.append(token)
    if len(literals) >= 15:
        put_length(out, len(literals) - 15)
    out.extend(literals)
    if match_length:
        out += struct.pack("<H", offset)
        if match_length - MIN_MATCH >= 15:
            put_length(out, match_length - MIN_MATCH - 15)


def compress(data):
    out = bytearray()
    seen = {}
    anchor = i = 0
    end = len(data) - TAIL
    while i + MIN_MATCH <= end:
        best = offset = 0
        for start in reversed(seen.get(data[i:i + MIN_MATCH], [])[-16:]):
            if i - start > WINDOW:
                continue
            length = MIN_MATCH
            while i + length < end and data[start + length] == data[i + length]:
                length += 1
            if length > best:
                best, offset = length, i - start
        seen.setdefault(data[i:i + MIN_MATCH], []).append(i)
        if best < MIN_MATCH:
            i += 1
            continue
        emit(out, data[anchor:i], best, offset)
        for k in range(i + 1, i + best):
            seen.setdefault(data[k:k + MIN_MATCH], []).append(k)
        i += best
        anchor = i
    emit(out, data[anchor:], 0, 0)
    return bytes(out)


def decompress(block):
    out = bytearray()
    at = 0
    while at < len(block):
        token = block[at]
        at += 1

        def extend(length):
            nonlocal at
            while True:
                more = block[at]
                at += 1
                length += more
                if more != 255:
                    return length

        literals = token >> 4
        if literals == 15:
            literals = extend(literals)
        out += block[at:at + literals]
        at += literals
        if at == len(block):
            break
        offset = struct.unpack_from("<H", block, at)[0]
        at += 2
        length = (token & 15) + MIN_MATCH
        if token & 15 == 15:
            length = extend(length)
        for _ in range(length):
            out.append(out[-offset])
    return bytes(out)


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: pack-picture.py product.rle product.rl4")
    runs = open(sys.argv[1], "rb").read()
    block = compress(runs)
    if decompress(block) != runs:
        sys.exit("pack-picture.py: the packed picture does not unpack to its runs")
    with open(sys.argv[2], "wb") as out:
        out.write(b"TRL4" + struct.pack("<I", len(runs)) + block)


if __name__ == "__main__":
    main()
