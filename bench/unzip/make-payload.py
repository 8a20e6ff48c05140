#!/usr/bin/env python3
"""Writes a deterministic stand-in for the product's packages into a folder: 17 ZIP archives
(.pck) made with Info-ZIP's zip, about 90 MB of content in thousands of small files (AutoLISP and
parameter tables, small bitmaps, drawings) and a few large ones (manuals). The same seed always
gives the same bytes, so runs on different days compare.

usage: make-payload.py OUTPUT_FOLDER
"""
import os
import random
import shutil
import subprocess
import sys

WORDS = ("defun setq command entget ssget polyline flange bolt nut washer screw bearing shaft "
         "diameter length thread pitch DIN ISO UNI M6 M8 M10 M12 steel stainless brass layer "
         "block insert attrib scale rotate point vector cond if while princ strcat itoa rtos").split()


def text_corpus(rng, size):
    lines = []
    total = 0
    while total < size:
        line = " ".join(rng.choice(WORDS) for _ in range(rng.randint(3, 12)))
        line += " %d.%02d\r\n" % (rng.randint(0, 999), rng.randint(0, 99))
        lines.append(line)
        total += len(line)
    return "".join(lines).encode("ascii")


def bitmap(rng, width, height):
    # A few flat areas and gradients, as toolbar and part pictures are: compresses well.
    row = bytearray()
    for x in range(width):
        row += bytes(((x * 3) & 0xFF, (x * 5 + 40) & 0xFF, rng.choice((0, 128, 255))))
    row += bytes((-len(row)) % 4)
    pixels = bytearray()
    for y in range(height):
        pixels += row if y % 7 else bytes(len(row))
    header = b"BM" + (54 + len(pixels)).to_bytes(4, "little") + bytes(4) + (54).to_bytes(4, "little")
    info = ((40).to_bytes(4, "little") + width.to_bytes(4, "little") + height.to_bytes(4, "little")
            + (1).to_bytes(2, "little") + (24).to_bytes(2, "little") + bytes(24))
    return header + info + bytes(pixels)


def drawing(rng, size, corpus):
    # Half structured records, half noise: a binary drawing compresses to about 60 %.
    out = bytearray()
    while len(out) < size:
        start = rng.randrange(0, len(corpus) - 512)
        out += corpus[start:start + rng.randint(64, 512)]
        out += rng.randbytes(rng.randint(32, 256))
    return bytes(out[:size])


def main():
    target = sys.argv[1]
    rng = random.Random(19560101)
    corpus = text_corpus(rng, 2 << 20)
    work = os.path.join(target, "src")
    os.makedirs(work, exist_ok=True)

    def write(package, name, data):
        path = os.path.join(work, package, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)

    def text(size):
        out = bytearray()
        while len(out) < size:
            piece = min(size - len(out), 256 << 10)
            start = rng.randrange(0, len(corpus) - piece - 1)
            out += corpus[start:start + piece]
        return bytes(out)

    # (package, small files, large files of this many MB)
    layout = [("acrobat", 4, (9, 7)), ("hlp", 120, (3,)), ("img", 400, ()), ("tk", 60, (2,)),
              ("tol", 250, (4,)), ("parts-bin", 150, (5, 3)), ("parts-harvo", 700, ()),
              ("parts-vimora", 700, ()), ("parts-img", 600, ()), ("parts-quessa", 600, ()),
              ("parts-dulma", 500, ()), ("parts-kx", 500, ()), ("parts-corvani", 500, ()),
              ("parts-pneumatica", 450, ()), ("parts-pneumatica-img", 350, ()),
              ("cfg-acad", 40, ()), ("hlp-acad", 30, (1,))]
    for package, small, large in layout:
        for i in range(small):
            kind = rng.random()
            folder = "set%02d" % (i % 12)
            if kind < 0.5:
                write(package, "%s/p%04d.lsp" % (folder, i), text(rng.randint(800, 12000)))
            elif kind < 0.8:
                write(package, "%s/p%04d.bmp" % (folder, i), bitmap(rng, rng.choice((16, 32, 64, 96)), rng.choice((16, 32, 64))))
            else:
                write(package, "%s/p%04d.dwg" % (folder, i), drawing(rng, rng.randint(4000, 60000), corpus))
        for j, megabytes in enumerate(large):
            size = megabytes << 20
            # Manuals: part text, part already-compressed images.
            data = text(size // 2) + rng.randbytes(size - size // 2)
            write(package, "doc/manual%d.pdf" % j, data)
        subprocess.run(["zip", "-q", "-X", "-r", os.path.join(target, package + ".pck"), "."],
                       cwd=os.path.join(work, package), check=True)
    shutil.rmtree(work)


if __name__ == "__main__":
    main()
