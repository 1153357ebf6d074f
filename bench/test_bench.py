"""The bench's own pieces whose faults would not show as a wrong time but as
a wrong comparison: the spheres VTK is given, and the section of
results.md the Python rows rewrite."""
import os
import sys

import numpy
import pytest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from bench import write_section  # noqa: E402
from from_python import sphere_centres  # noqa: E402


def centres_by_hand(heights):
    """Every level 0..h of each cell, row i at y = i and column j at x = j."""
    return sorted((float(j), float(i), float(k)) for i, row in enumerate(heights.tolist())
                  for j, h in enumerate(row) for k in range(h + 1))


@pytest.mark.parametrize("heights", [
    numpy.array([[0]]),
    numpy.array([[2, 0, 1], [0, 3, 1]]),  # more columns than rows: x and y must not swap
    numpy.array([[1], [4], [0]]),
    numpy.array([[-1, 2], [3, -5]]),  # empty cells give no sphere
    numpy.array([[-1, -1], [-1, -1]]),
    numpy.array([[7, 7], [7, 7]], dtype=numpy.uint8),
], ids=["one", "wide", "tall", "empty-cells", "all-empty", "uint8"])
def test_sphere_centres_are_every_level_of_every_column(heights):
    centres = sphere_centres(heights)
    assert centres.shape == (len(centres_by_hand(heights)), 3)
    assert sorted(map(tuple, centres.tolist())) == centres_by_hand(heights)


SECTIONS = "# Title\n\nintro\n\n## First\n\none\n\n## From Python\n\nold\n\n## Last\n\nlast\n"


@pytest.mark.parametrize("before, after", [
    (SECTIONS, "# Title\n\nintro\n\n## First\n\none\n\n## From Python\n\nnew\n\n## Last\n\nlast\n"),
    ("# Title\n\n## First\n\none\n\n## From Python\n\nold\nmore\n",
     "# Title\n\n## First\n\none\n\n## From Python\n\nnew\n"),
    ("# Title\n\n## First\n\none\n", "# Title\n\n## First\n\none\n\n## From Python\n\nnew\n"),
    # A heading that only begins with the title is another section.
    ("# Title\n\n## From Python's past\n\nkept\n",
     "# Title\n\n## From Python's past\n\nkept\n\n## From Python\n\nnew\n"),
], ids=["middle", "last", "absent", "longer-heading"])
def test_write_section_replaces_only_its_own(tmp_path, before, after):
    path = tmp_path / "results.md"
    path.write_text(before)
    write_section(str(path), "## From Python", "## From Python\n\nnew\n")
    assert path.read_text() == after
    assert not os.path.exists(str(path) + ".part")
