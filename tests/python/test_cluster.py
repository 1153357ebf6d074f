"""examples/cluster_film.py on a LocalCluster of two worker processes: the
same pictures, under the same names, as a serial run."""

import importlib.util
import os
import sys

import pytest

import pelorin
from conftest import REPOSITORY, numbered_pictures, rising, write_frames

distributed = pytest.importorskip("distributed")
cloudpickle = pytest.importorskip("cloudpickle")

# The frame functions below go to the workers by value: they cannot import
# this file.
cloudpickle.register_pickle_by_value(sys.modules[__name__])

SIZE = (120, 90)
KEYS = {"renderer": "impostors", "colour": "height", "fit_view": True, "caption": "${frame} of ${frames}"}
FRAMES = rising(6)


def load_example():
    if "cluster_film" not in sys.modules:
        found = importlib.util.spec_from_file_location("cluster_film", REPOSITORY / "examples" / "cluster_film.py")
        module = importlib.util.module_from_spec(found)
        sys.modules["cluster_film"] = module
        found.loader.exec_module(module)
    return sys.modules["cluster_film"]


@pytest.fixture(scope="module")
def client():
    # Worker processes, each with a scene of its own; the module comes to
    # them through PYTHONPATH, which they inherit.
    cluster = distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None)
    with distributed.Client(cluster) as connected:
        yield connected
    cluster.close()


def frame_of(number):
    return FRAMES[number - 1]


def stepped():
    yield from FRAMES


def folder_of_frames(path):
    # Text and .npy files mixed, as a folder of a run may hold them.
    write_frames(path, FRAMES[:3], ".txt")
    for number, frame in enumerate(FRAMES[3:], start=4):
        write_frames(path / "npy", [frame], ".npy")[0].rename(path / f"h-{number:04d}.npy")
    (path / "npy").rmdir()
    (path / "notes.md").write_text("not a frame\n")
    return str(path)


SOURCES = [
    ("folder", lambda path: (folder_of_frames(path), {})),
    ("function", lambda path: (frame_of, {"count": len(FRAMES)})),
    ("generator", lambda path: (stepped, {"count": len(FRAMES)})),
]


@pytest.mark.parametrize("kind, source", SOURCES, ids=[kind for kind, _ in SOURCES])
def test_cluster_pictures_are_the_serial_runs(tmp_path, client, kind, source):
    example = load_example()
    frames, extra = source(tmp_path / "frames")
    written = example.render_frames(client, frames, str(tmp_path / "cluster" / "f.png"), chunk=2, size=SIZE,
                                    **extra, **KEYS)
    serial = pelorin.film(FRAMES, tmp_path / "serial" / "f.png", size=SIZE, **KEYS)
    assert [os.path.relpath(name, tmp_path / "cluster") for name in written] == \
        [os.path.relpath(name, tmp_path / "serial") for name in serial]
    assert len(numbered_pictures(tmp_path / "cluster")) == len(FRAMES)
    for ours, theirs in zip(written, serial):
        assert open(ours, "rb").read() == open(theirs, "rb").read(), ours


@pytest.mark.parametrize("keys, said", [
    ({"fit_view": "grow"}, "fit_view=grow"),
    ({"colour_range": "grow"}, "colour_range=grow"),
])
def test_growing_series_are_left_to_film(tmp_path, keys, said):
    # Refused before the cluster is asked anything.
    with pytest.raises(ValueError, match=said):
        load_example().render_frames(None, frame_of, str(tmp_path / "f.png"), count=2, **keys)
