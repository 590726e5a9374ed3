"""What the module's tests compare against: the tools of the same build, run as users
run them, and their CSV read with Python's own csv module."""

import csv
import os
import pathlib
import subprocess

import pytest

HERE = pathlib.Path(__file__).resolve().parent
BUILD = pathlib.Path(os.environ.get("WAVELET_BINARY_DIR", HERE.parents[1] / "build"))
RECORDINGS = HERE.parents[1].parent / "shared" / "recordings"
PTB = RECORDINGS / "ptb"


def run_tool(name, *arguments, check=True):
    """Runs a tool of the build; returns its completed process (stderr kept)."""
    result = subprocess.run([str(BUILD / name), *map(str, arguments)], capture_output=True, text=True,
                            stdin=subprocess.DEVNULL)
    if check and result.returncode != 0:
        raise AssertionError(f"{name} {arguments} exited {result.returncode}: {result.stderr}")
    return result


def read_csv(path):
    """The batch grid ends every cell, the last one too, with a comma; the other tables
    end each line with its last field."""
    with open(path, newline="", encoding="utf-8") as f:
        rows = list(csv.reader(f))
    if all(row and row[-1] == "" for row in rows):
        return [row[:-1] for row in rows]
    return rows


@pytest.fixture(scope="session")
def demo_records(tmp_path_factory):
    """The demo records of make-sample-records, sorted by name as the tools list them."""
    folder = tmp_path_factory.mktemp("samples")
    run_tool("make-sample-records", folder)
    return folder


@pytest.fixture(scope="session")
def demo_tables(demo_records, tmp_path_factory):
    """wavelet-batch's table and late-potential table of the demo records."""
    out = tmp_path_factory.mktemp("tables")
    run_tool("wavelet-batch", "-q", "-j", "2", "-o", out / "batch.csv", "--late-potentials", out / "lp.csv",
             demo_records)
    return read_csv(out / "batch.csv"), read_csv(out / "lp.csv")


def needs_recordings(*names):
    missing = [n for n in names if not (RECORDINGS / n).exists()]
    return pytest.mark.skipif(bool(missing), reason=f"no recordings beside the project ({missing})")
