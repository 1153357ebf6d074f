"""Times other tools reading the same grid: python3 peers.py PEER FILE REPEATS.

PEER is numpy (numpy.loadtxt) or pandas (pandas.read_csv, C engine). Prints
one time in seconds per repeat. Each reads the grid of heights into an array
or data frame, which is what these tools are for; neither expands the cells
into points.
"""
import sys
import time


def reader(peer, path):
    if peer == "numpy":
        import numpy

        return lambda: numpy.loadtxt(path, skiprows=1, dtype=numpy.int32)
    if peer == "pandas":
        import pandas

        # Every height is followed by a blank, so runs of white space separate.
        return lambda: pandas.read_csv(path, delim_whitespace=True, header=None, skiprows=1, engine="c")
    raise SystemExit(f"unknown peer {peer}")


def main():
    peer, path, repeats = sys.argv[1], sys.argv[2], int(sys.argv[3])
    read = reader(peer, path)
    for _ in range(repeats):
        start = time.perf_counter()
        grid = read()
        seconds = time.perf_counter() - start
        del grid
        print(f"{seconds:.6f}", flush=True)


if __name__ == "__main__":
    main()
