#!/usr/bin/env python3
"""A small landscape-evolution model that writes its surface as it goes.

Uplift raises the ground, rivers cut it by stream power and hillslopes
creep by diffusion; every few steps the surface is written as an ESRI
ASCII grid (h-00001.asc, h-00002.asc, ...), moved into place whole, so a
viewer following the folder never sees half a frame.

    python3 landscape.py --size 200 --frames 50 --delay 0.5 [FOLDER]
"""

import argparse
import os

import numpy as np

UPLIFT = 1e-3           # metres a year
ERODIBILITY = 1e-4      # stream power's K, with m = 0.5, n = 1
DIFFUSIVITY = 0.05      # square metres a year
CELL = 100.0            # metres
YEARS_A_STEP = 1000.0
STEPS_A_FRAME = 10


def receivers(z):
    """For every cell the neighbour it drains to (itself at a pit or edge)."""
    rows, columns = z.shape
    index = np.arange(z.size).reshape(z.shape)
    best = index.copy()
    steepest = np.zeros(z.shape)
    padded = np.pad(z, 1, constant_values=np.inf)
    for dr in (-1, 0, 1):
        for dc in (-1, 0, 1):
            if dr == 0 and dc == 0:
                continue
            neighbour = padded[1 + dr:1 + dr + rows, 1 + dc:1 + dc + columns]
            slope = (z - neighbour) / np.hypot(dr, dc)
            better = slope > steepest
            steepest = np.where(better, slope, steepest)
            shifted = np.roll(np.roll(index, -dr, axis=0), -dc, axis=1)
            best = np.where(better, shifted, best)
    return best.ravel()


def erode(z, dt):
    flat = z.ravel()
    receiver = receivers(z)
    order = np.argsort(flat)
    area = np.full(flat.size, CELL * CELL)
    for cell in order[::-1]:                 # from the top: gather the area
        if receiver[cell] != cell:
            area[receiver[cell]] += area[cell]
    distance = CELL * np.where(np.abs(receiver - np.arange(flat.size)) % z.shape[1] > 0, np.sqrt(2), 1.0)
    factor = ERODIBILITY * np.sqrt(area) * dt / distance
    for cell in order:                       # from the bottom: implicit step
        r = receiver[cell]
        if r != cell:
            flat[cell] = (flat[cell] + factor[cell] * flat[r]) / (1 + factor[cell])


def diffuse(z, dt):
    laplacian = np.zeros_like(z)
    laplacian[1:-1, 1:-1] = (z[2:, 1:-1] + z[:-2, 1:-1] + z[1:-1, 2:] + z[1:-1, :-2] - 4 * z[1:-1, 1:-1]) / CELL**2
    z += DIFFUSIVITY * dt * laplacian


def write_asc(path, z):
    rows, columns = z.shape
    header = (f"ncols {columns}\nnrows {rows}\nxllcorner 0\nyllcorner 0\n"
              f"cellsize {CELL:g}\nNODATA_value -9999\n")
    part = path + ".part"
    with open(part, "w") as out:
        out.write(header)
        np.savetxt(out, z[::-1], fmt="%.2f")
    os.replace(part, path)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("folder", nargs="?", default=".")
    parser.add_argument("--size", type=int, default=200)
    parser.add_argument("--frames", type=int, default=50)
    parser.add_argument("--delay", type=float, default=0.0, help="seconds to wait between frames")
    args = parser.parse_args()
    os.makedirs(args.folder, exist_ok=True)
    # Noise on a low dome, so that every cell drains to the edge at first.
    rows, columns = np.indices((args.size, args.size))
    to_edge = np.minimum(np.minimum(rows, columns), np.minimum(args.size - 1 - rows, args.size - 1 - columns))
    z = np.random.default_rng(1).random((args.size, args.size)) + 0.05 * to_edge
    for frame in range(1, args.frames + 1):
        for _ in range(STEPS_A_FRAME):
            z[1:-1, 1:-1] += UPLIFT * YEARS_A_STEP
            erode(z, YEARS_A_STEP)
            diffuse(z, YEARS_A_STEP)
        write_asc(os.path.join(args.folder, f"h-{frame:05d}.asc"), z)
        print(f"frame {frame}: {z.max():.1f} m high", flush=True)
        if args.delay > 0:
            import time
            time.sleep(args.delay)


if __name__ == "__main__":
    main()
