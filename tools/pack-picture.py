#!/usr/bin/env python3
"""Packs the product picture's run-length data (product.rle) into the form INSTALL.EXE carries
(product.rl4): "TRL4", the run-length data's size as a 32-bit little-endian number, then that data
as one LZ4 block, which toolkit/Lz4.cpp unpacks. The matches are chosen for the smallest block, not
greedily (900 bytes fewer); the output is checked by unpacking it again before it is written."""
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


def extra_bytes(length):
    """The bytes a length field needs beyond its token's four bits."""
    return 0 if length < 15 else 1 + (length - 15) // 255


def compress(data):
    """The smallest block this cost model finds: for each place, from the end back, the cheaper of
    a literal and each match that starts there (the longest of every earlier place that begins
    with the same four bytes within the window, and each shorter length of it up to 19)."""
    n = len(data)
    end = n - TAIL
    chains = {}
    matches = [()] * n
    for i in range(n):
        if i + MIN_MATCH > end:
            continue
        key = data[i:i + MIN_MATCH]
        found = []
        longest = 0
        for start in reversed(chains.get(key, [])[-256:]):
            if i - start > WINDOW:
                break
            length = MIN_MATCH
            while i + length < end and data[start + length] == data[i + length]:
                length += 1
            if length > longest:
                longest = length
                found.append((length, i - start))
        matches[i] = found
        chains.setdefault(key, []).append(i)
    # cost[i]: the bytes from place i to the end; a literal costs its byte, a match its token,
    # offset and length bytes (literal runs' own length bytes are few and left out).
    cost = [0] * (n + 1)
    choice = [None] * (n + 1)
    for i in range(n - 1, -1, -1):
        best, pick = cost[i + 1] + 1, None
        for length, offset in matches[i]:
            for take in {length, *range(MIN_MATCH, min(length, 19) + 1)}:
                price = cost[i + take] + 3 + extra_bytes(take - MIN_MATCH)
                if price < best:
                    best, pick = price, (take, offset)
        cost[i], choice[i] = best, pick
    out = bytearray()
    anchor = i = 0
    while i < n:
        if choice[i] is None:
            i += 1
            continue
        length, offset = choice[i]
        emit(out, data[anchor:i], length, offset)
        i += length
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
