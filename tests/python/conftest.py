"""Shared helpers of the module's tests: grids, data files written by hand,
pelorin-render run on them, and PNG files read back."""

import os
import pathlib
import struct
import subprocess
import zlib

import numpy
import pytest

REPOSITORY = pathlib.Path(__file__).resolve().parents[2]


def ridge(rows=24, columns=24, seed=3):
    """A terrain with slopes, a ridge and holes (negative cells), so that
    rows, columns and empty cells all show."""
    rng = numpy.random.default_rng(seed)
    y, x = numpy.mgrid[0:rows, 0:columns]
    heights = (6 + 4 * numpy.sin(x / 3.0) + 0.3 * y + rng.integers(0, 2, (rows, columns))).astype(numpy.int32)
    heights[rows // 3, columns // 4] = -1
    heights[2 * rows // 3, 3 * columns // 4] = -1
    return heights


def data_text(heights):
    """The text data file, written here apart from the module's writer."""
    lines = [str(heights.shape[1])]
    lines += ["".join(f"{h} " for h in row) for row in heights.tolist()]
    return "\n".join(lines) + "\n"


def config_text(keys, camera=None, data_file="data.txt"):
    """config.txt for `keys`, {'display/renderer': 'impostors', ...}; with
    no `data_file` the keys name the data (data/series)."""
    sections = {"data": {"file": data_file}} if data_file else {}
    for key, value in keys.items():
        section, name = key.split("/")
        sections.setdefault(section, {})[name] = value
    for name, value in (camera or {}).items():
        sections.setdefault("camera", {})[name] = " ".join(map(str, value)) if isinstance(value, tuple) else value
    text = ""
    for section, entries in sections.items():
        text += f"[{section}]\n" + "".join(f"{name} = '{value}'\n" for name, value in entries.items())
    return text


@pytest.fixture(scope="session")
def pelorin_render():
    program = os.path.abspath(os.environ.get("PELORIN_RENDER") or REPOSITORY / "build/src/app/pelorin-render")
    if not os.access(program, os.X_OK):
        pytest.skip("pelorin-render is not built")
    return program


def run_render(program, folder, *arguments):
    """pelorin-render run in `folder`; its completed process."""
    done = subprocess.run([program, "--quiet", *arguments], cwd=folder, capture_output=True, text=True, timeout=300)
    assert done.returncode == 0, done.stderr
    return done


def read_png(path):
    """The pixels of an 8-bit RGB or RGBA PNG as (height, width, 4) uint8."""
    data = pathlib.Path(path).read_bytes()
    assert data[:8] == b"\x89PNG\r\n\x1a\n"
    at, idat, header = 8, b"", None
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    width, height, depth, colour, _, _, interlace = header
    assert depth == 8 and colour in (2, 6) and interlace == 0
    channels = 3 if colour == 2 else 4
    raw = numpy.frombuffer(zlib.decompress(idat), numpy.uint8).reshape(height, 1 + width * channels)
    rows = numpy.zeros((height, width * channels), numpy.int32)
    for y in range(height):
        kind, line = raw[y, 0], raw[y, 1:].astype(numpy.int32)
        above = rows[y - 1] if y > 0 else numpy.zeros_like(line)
        if kind == 0:
            rows[y] = line
        elif kind == 2:
            rows[y] = (line + above) & 255
        else:
            out = numpy.zeros_like(line)
            for x in range(len(line)):
                left = out[x - channels] if x >= channels else 0
                upper_left = above[x - channels] if x >= channels else 0
                if kind == 1:
                    predicted = left
                elif kind == 3:
                    predicted = (left + above[x]) // 2
                else:
                    p = left + above[x] - upper_left
                    pa, pb, pc = abs(p - left), abs(p - above[x]), abs(p - upper_left)
                    predicted = left if pa <= pb and pa <= pc else above[x] if pb <= pc else upper_left
                out[x] = (line[x] + predicted) & 255
            rows[y] = out
    pixels = rows.astype(numpy.uint8).reshape(height, width, channels)
    if channels == 3:
        pixels = numpy.concatenate([pixels, numpy.full((height, width, 1), 255, numpy.uint8)], axis=2)
    return pixels


def share_close(a, b, tolerance=2):
    """The share of pixels whose every channel differs by at most `tolerance`."""
    assert a.shape == b.shape
    close = (numpy.abs(a.astype(int) - b.astype(int)) <= tolerance).all(axis=2)
    return close.mean()


def rising(count, rows=16, columns=16):
    """`count` frames of a terrain that rises and widens its range from one
    to the next, so that a colour range or a fit taken from any but the
    first frame shows."""
    base = ridge(rows, columns)
    frames = []
    for step in range(count):
        frame = base + 3 * step
        frame[base < 0] = -1
        frame[step, :] += 2 * step
        frames.append(frame.astype(numpy.int32))
    return frames


def write_frames(folder, frames, ending=".txt"):
    """The frames as data files folder/h-0001.txt, ...; their paths."""
    folder.mkdir(parents=True, exist_ok=True)
    paths = []
    for number, heights in enumerate(frames, start=1):
        path = folder / f"h-{number:04d}{ending}"
        if ending == ".npy":
            numpy.save(path, heights)
        else:
            path.write_text(data_text(heights))
        paths.append(path)
    return paths


def numbered_pictures(folder, stem="f"):
    """The numbered pictures in `folder`, in order."""
    return sorted(pathlib.Path(folder).glob(f"{stem}-[0-9][0-9][0-9][0-9].png"))
