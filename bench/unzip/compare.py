#!/usr/bin/env python3
"""Times our extractor against Info-ZIP's unzip over the same packages, alternating the two so
that a busy machine hurts both alike, and prints the best wall-clock and CPU times of each and
their ratios. Each run extracts into a fresh folder on the tmpfs given.

usage: compare.py UNZIP_BENCH PACKAGE_FOLDER TMPFS_FOLDER [RUNS]
"""
import glob
import os
import resource
import shutil
import subprocess
import sys
import time


def run(commands):
    """Runs the commands one after another; returns (wall seconds, CPU seconds of the children)."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    for command in commands:
        subprocess.run(command, check=True, stdout=subprocess.DEVNULL)
    wall = time.perf_counter() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    return wall, cpu


def main():
    bench, packages, scratch = sys.argv[1:4]
    runs = int(sys.argv[4]) if len(sys.argv) > 4 else 5
    archives = sorted(glob.glob(os.path.join(packages, "*.pck")))
    ours_dir = os.path.join(scratch, "ours")
    theirs_dir = os.path.join(scratch, "infozip")
    best = {"ours": [float("inf")] * 2, "unzip": [float("inf")] * 2}
    for _ in range(runs):
        for folder in (ours_dir, theirs_dir):
            shutil.rmtree(folder, ignore_errors=True)
            os.makedirs(folder)
        ours = run([[bench, ours_dir] + archives])
        # Info-ZIP once per package, each into its own folder, as the installer's calls are.
        theirs = run([["unzip", "-qq", "-o", a, "-d",
                       os.path.join(theirs_dir, os.path.splitext(os.path.basename(a))[0])]
                      for a in archives])
        for key, value in (("ours", ours), ("unzip", theirs)):
            best[key] = [min(best[key][0], value[0]), min(best[key][1], value[1])]
    same = subprocess.run(["diff", "-r", "-q", ours_dir, theirs_dir],
                          stdout=subprocess.DEVNULL).returncode == 0
    files = sum(len(f) for _, _, f in os.walk(ours_dir))
    size = sum(os.path.getsize(os.path.join(d, n)) for d, _, f in os.walk(ours_dir) for n in f)
    print("%d packages, %d files, %.1f MB extracted; outputs %s" %
          (len(archives), files, size / 1e6, "identical" if same else "DIFFER"))
    print("best of %d   wall s   CPU s" % runs)
    print("ours         %6.3f  %6.3f" % tuple(best["ours"]))
    print("unzip        %6.3f  %6.3f" % tuple(best["unzip"]))
    print("ratio        %6.2f  %6.2f   (goal: at most 0.50)" %
          (best["ours"][0] / best["unzip"][0], best["ours"][1] / best["unzip"][1]))
    shutil.rmtree(ours_dir, ignore_errors=True)
    shutil.rmtree(theirs_dir, ignore_errors=True)
    return 0 if same else 1


if __name__ == "__main__":
    sys.exit(main())
