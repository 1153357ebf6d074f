"""Draws a long series on a dask.distributed cluster: the frames split into
ranges, each range drawn on a worker into the one scene it keeps, each
picture written under the name a serial run gives it.

    python3 examples/cluster_film.py --local 4 frames/ out/f.png renderer=impostors colour=height
    python3 examples/cluster_film.py --scheduler tcp://10.0.0.5:8786 frames/ /shared/out/f.png fit_view=1

The frames are the data files of a folder (text grids, .npy arrays, .asc
grids; ordered by the numbers in their names, frame-2 before frame-10), or,
from Python, a function: frame(number) giving frame `number` (from 1), or a
generator function yielding the frames from the first, which each worker
then steps through from the start to its range. The pictures are written
by the workers, so `output` must be a folder they all see.

Every worker opens its scene on frame 1, as a serial run does, so each
picture has the series' one camera and colour range. fit_view="grow" and
colour_range="grow" depend on every frame before a picture, so they are
drawn serially (pelorin.film) and refused here.
"""

import argparse
import inspect
import itertools
import os
import re
import sys
import uuid

import pelorin

DATA_ENDINGS = (".txt", ".npy", ".asc")


def frame_files(folder):
    """The data files of `folder`, ordered by the numbers in their names."""
    def order(name):
        return [int(part) if part.isdigit() else part for part in re.split(r"(\d+)", name)]

    names = sorted((name for name in os.listdir(folder) if name.lower().endswith(DATA_ENDINGS)), key=order)
    return [os.path.join(folder, name) for name in names]


class _Frames:
    """Frame `number` of a series from its files or its function, read
    where it is drawn."""

    def __init__(self, source, count, mapping):
        self.files = None if callable(source) else frame_files(source)
        self.function = source if callable(source) else None
        self.count = len(self.files) if self.files is not None else count
        self.mapping = mapping

    def name(self, number):
        return os.path.basename(self.files[number - 1]) if self.files is not None else ""

    def numbered(self, first, last):
        """(number, heights) of frames `first` to `last`."""
        if self.files is not None:
            for number in range(first, last + 1):
                yield number, pelorin.read(self.files[number - 1], **self.mapping)
        elif inspect.isgeneratorfunction(self.function):
            steps = itertools.islice(self.function(), first - 1, last)
            yield from zip(range(first, last + 1), steps)
        else:
            for number in range(first, last + 1):
                yield number, self.function(number)


def _scene(frames, settings, run):
    """The scene the worker keeps for run `run`: every range a worker is
    given is drawn into one prepared scene. It is kept on the worker, for
    this module's own globals come anew with each task sent by value."""
    from dask.distributed import get_worker

    worker = get_worker()
    kept = getattr(worker, "pelorin_scene", None)
    if kept is None or kept[0] != run:
        opening = next(frames.numbered(1, 1))[1]
        kept = worker.pelorin_scene = (run, pelorin.Film(opening, **settings))
    return kept[1]


def draw_range(sent, first, last, output, settings, run):
    """On a worker: frames `first` to `last` of the frames `sent` drawn and
    written; their paths."""
    import cloudpickle

    frames = cloudpickle.loads(sent)
    scene = _scene(frames, settings, run)
    written = []
    for number, heights in frames.numbered(first, last):
        name = pelorin.numbered_name(output, number)
        scene.draw(heights, name, number=number, frames=frames.count, file=frames.name(number))
        written.append(name)
    return written


def ranges(count, size):
    """1 to `count` in ranges of `size` frames: (first, last) pairs."""
    return [(first, min(first + size - 1, count)) for first in range(1, count + 1, size)]


def render_frames(client, source, output, *, count=None, chunk=None, size=(800, 600), camera=None, supersample=1,
                  **keys):
    """Draws the series of `source` (a folder of data files, or a frame
    function and the `count` of its frames) on the cluster of `client`, in
    ranges of `chunk` frames (by default about four a worker), and returns
    the paths of the pictures, in order: the names pelorin.film gives."""
    for key in ("fit_view", "colour_range"):
        if str(keys.get(key)) == "grow":
            raise ValueError(f"{key}=grow: each picture depends on all the frames before it; use pelorin.film")
    if callable(source) and not count:
        raise ValueError("count: a frame function needs the number of its frames")
    mapping = {name: keys.get(name) for name in ("metres_per_level", "level_0_metres")}
    frames = _Frames(source, count, mapping)
    if frames.count == 0:
        raise ValueError(f"no frames: '{source}' holds no data file ({', '.join(DATA_ENDINGS)})")
    folder = os.path.dirname(output)
    if folder:
        os.makedirs(folder, exist_ok=True)
    workers = max(len(client.scheduler_info()["workers"]), 1)
    chunk = chunk or max(1, -(-frames.count // (4 * workers)))
    settings = dict(keys, size=size, camera=camera, supersample=supersample)
    run = uuid.uuid4().hex
    # Pickled by value here: the frame function may live in a module the
    # workers cannot import (a notebook's, a script's), and dask would send
    # it by name.
    import cloudpickle

    sent = cloudpickle.dumps(frames)
    futures = [client.submit(draw_range, sent, first, last, output, settings, run, pure=False)
               for first, last in ranges(frames.count, chunk)]
    return [name for names in client.gather(futures) for name in names]


def _keys(words):
    """KEY=VALUE words as keywords: sphere-r=0.6 as sphere_r="0.6"."""
    keys = {}
    for word in words:
        name, equals, value = word.partition("=")
        if not equals or not name:
            raise SystemExit(f"error: '{word}' is no KEY=VALUE")
        keys[name.replace("-", "_")] = value
    return keys


def main(arguments=None):
    parser = argparse.ArgumentParser(description="Draws a folder of frames on a dask.distributed cluster, "
                                                 "as pelorin-render --series draws them.")
    where = parser.add_mutually_exclusive_group(required=True)
    where.add_argument("--scheduler", metavar="ADDRESS", help="the scheduler of a running cluster")
    where.add_argument("--local", metavar="N", type=int, help="a cluster of N worker processes on this machine")
    parser.add_argument("--size", default="800x600", help="WxH of each picture (800x600)")
    parser.add_argument("--supersample", type=int, default=1)
    parser.add_argument("--chunk", type=int, help="frames a task (about four tasks a worker)")
    parser.add_argument("frames", help="the folder of the frames' data files")
    parser.add_argument("output", help="the pictures' name, out/f.png for out/f-0001.png, ...")
    parser.add_argument("keys", nargs="*", help="display keys, KEY=VALUE: renderer=impostors colour=height")
    options = parser.parse_intermixed_args(arguments)
    try:
        width, height = (int(side) for side in options.size.split("x"))
    except ValueError:
        raise SystemExit(f"error: --size {options.size}: give WxH, as 800x600") from None
    if not os.path.isdir(options.frames):
        raise SystemExit(f"error: '{options.frames}' is not a folder of frames")

    from dask.distributed import Client, LocalCluster

    if options.local is not None:
        if options.local < 1:
            raise SystemExit("error: --local needs a number of workers, 1 or more")
        cluster = LocalCluster(n_workers=options.local, threads_per_worker=1, processes=True)
        client = Client(cluster)
    else:
        cluster, client = None, Client(options.scheduler)
    try:
        written = render_frames(client, options.frames, options.output, chunk=options.chunk, size=(width, height),
                                supersample=options.supersample, **_keys(options.keys))
    except (ValueError, TypeError, OSError, RuntimeError) as failed:
        raise SystemExit(f"error: {failed}") from None
    finally:
        client.close()
        if cluster is not None:
            cluster.close()
    print(f"wrote {len(written)} pictures, {written[0]} to {written[-1]}")


# Sent to the workers by value: they need not have this file.
try:
    import cloudpickle

    cloudpickle.register_pickle_by_value(sys.modules[__name__])
except (ImportError, AttributeError, KeyError, ValueError):
    pass

if __name__ == "__main__":
    main()
