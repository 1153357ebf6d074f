"""Data files read and written as the programs read them."""

import numpy
import pytest

import pelorin
from conftest import data_text, ridge


@pytest.mark.parametrize("name, heights", [
    ("grid.txt", ridge(9, 9)),
    ("grid.npy", ridge(5, 11)),
    ("grid.txt", numpy.zeros((1, 1), numpy.int32)),
])
def test_round_trip(tmp_path, name, heights):
    pelorin.write(tmp_path / name, heights)
    back = pelorin.read(tmp_path / name)
    assert back.dtype == numpy.int32 and (back == heights).all()


def test_written_text_is_the_data_file_format(tmp_path):
    heights = numpy.array([[1, -3], [0, 2]], numpy.int16)
    pelorin.write(tmp_path / "data.txt", heights)
    # Levels below 0 are empty cells, written as one.
    assert (tmp_path / "data.txt").read_text() == "2\n1 -1 \n0 2 \n"


def test_text_file_needs_a_square_grid(tmp_path):
    with pytest.raises(ValueError, match="3 rows of 4 cells; the text data file holds a square grid"):
        pelorin.write(tmp_path / "data.txt", numpy.zeros((3, 4), numpy.int32))
    assert not (tmp_path / "data.txt").exists()


def test_read_maps_asc_values_by_the_keys(tmp_path):
    (tmp_path / "h.asc").write_text("ncols 2\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize 1\n"
                                    "NODATA_value -9999\n100 -9999\n20 49\n")
    # The first row of the file is the north: the grid's last row.
    assert pelorin.read(tmp_path / "h.asc", metres_per_level=10).tolist() == [[2, 5], [10, -1]]


def test_read_of_a_text_file_that_ends_early_warns(tmp_path):
    (tmp_path / "short.txt").write_text("3\n1 2 3 \n4 5 6 \n")
    with pytest.warns(pelorin.PelorinWarning, match="no height could be read at row 3, column 1"):
        heights = pelorin.read(tmp_path / "short.txt")
    assert heights[:2].tolist() == [[1, 2, 3], [4, 5, 6]]


@pytest.mark.parametrize("write, error, message", [
    (lambda folder: None, FileNotFoundError, "data file '.*missing.txt' cannot be opened"),
    (lambda folder: (folder / "missing.txt").mkdir(), OSError, "is not a regular file"),
])
def test_read_refusals(tmp_path, write, error, message):
    write(tmp_path)
    with pytest.raises(error, match=message):
        pelorin.read(tmp_path / "missing.txt")


def test_read_of_an_empty_text_file_warns(tmp_path):
    (tmp_path / "empty.txt").write_bytes(b"")
    with pytest.warns(pelorin.PelorinWarning, match="no height could be read at row 1, column 1"):
        assert pelorin.read(tmp_path / "empty.txt").size == 0


def test_read_refuses_a_float_npy_value_too_high(tmp_path):
    numpy.save(tmp_path / "f.npy", numpy.array([[1e12]], numpy.float64))
    with pytest.raises(ValueError, match="f.npy': the value at row 1, column 1, 1e\\+12, maps to a level above"):
        pelorin.read(tmp_path / "f.npy")


def test_text_written_by_hand_reads_as_written(tmp_path):
    heights = ridge(7, 7)
    (tmp_path / "data.txt").write_text(data_text(heights))
    assert (pelorin.read(tmp_path / "data.txt") == heights).all()
