"""Recordings averaged from Python give wavelet-average's records and table."""

import numpy as np
import pytest

import wavelet_ecg as w
from conftest import PTB, RECORDINGS, needs_recordings, read_csv, run_tool


def average_tool(tmp_path, recording, *options):
    out = tmp_path / "out"
    run_tool("wavelet-average", "-q", "-j", "1", "-o", out, *options, recording)
    table = read_csv(out / "averaging.csv")
    return table, (out / table[1][0]).read_bytes()


@needs_recordings("ptb/s0015lre.hea")
@pytest.mark.parametrize("options, tool_options", [
    ({}, ()),
    ({"beats": 20, "onset_at": 320, "unit_uv": 0.2}, ("--beats", "20", "--onset-at", "320", "--unit-uv", "0.2")),
])
def test_an_averaged_ptb_recording_is_the_tools_record_and_row(tmp_path, options, tool_options):
    path = str(PTB / "s0015lre.hea")
    table, record_bytes = average_tool(tmp_path, path, *tool_options)
    recording = w.read_recording(path)
    assert recording.fs == 1000 and recording.lead_source == "frank"
    assert recording.signals.shape[1] == 3 and recording.signals.dtype == np.float32
    beat = w.average(recording, **options)
    assert list(w.AveragedBeat.columns) == table[0]
    assert beat.cells == table[1]
    assert beat.to_record() == record_bytes
    assert beat.leads.shape == (800, 3)
    summary = beat.summary
    assert [summary[c] for c in ("beats_found", "beats_kept", "qrs_onset")] == [int(table[1][i]) for i in (4, 5, 9)]
    assert f"{summary['noise_uv']:.3f}" == table[1][8]
    # The record in memory analyses as the file the tool wrote.
    written = tmp_path / "out" / table[1][0]
    assert w.analyse(w.record_from_bytes(beat.to_record(), written.name)).cells == w.analyse(
        w.read_record(written)).cells
    assert w.late_potentials(w.record_from_bytes(beat.to_record())).unit_uv == options.get("unit_uv", 0.1)


@needs_recordings("ptb/s0015lre.hea")
def test_another_unit_is_the_record_the_tool_makes_in_that_unit(tmp_path):
    path = str(PTB / "s0015lre.hea")
    _, in_half = average_tool(tmp_path, path, "--unit-uv", "0.5")
    assert w.average(w.read_recording(path)).to_record(unit_uv=0.5) == in_half


@needs_recordings("other/Example.scp")
def test_a_recording_through_the_reader_program_is_the_tools(tmp_path):
    path = str(RECORDINGS / "other" / "Example.scp")
    recording = w.read_recording(path)
    assert recording.fs == 1000 and len(recording.labels) == 3
    assert recording.signals.ndim == 2 and recording.signals.shape[1] == 3
    tool = run_tool("wavelet-average", "-q", "-j", "1", "-o", tmp_path / "out", path, check=False)
    table = read_csv(tmp_path / "out" / "averaging.csv")
    if tool.returncode == 0:
        assert w.average(recording).cells == table[1]
    else:
        with pytest.raises(ValueError) as refusal:
            w.average(recording)
        assert str(refusal.value) in tool.stderr


def test_recordings_that_cannot_be_read_raise_with_the_tools_message(tmp_path):
    with pytest.raises(FileNotFoundError):
        w.read_recording(tmp_path / "none.edf")
    junk = tmp_path / "junk.edf"
    junk.write_bytes(b"not a recording")
    with pytest.raises(ValueError) as failure:
        w.read_recording(junk)
    tool = run_tool("wavelet-average", "-q", "-o", tmp_path / "out", junk, check=False)
    assert str(failure.value) in tool.stderr
    with pytest.raises(IsADirectoryError):
        w.read_recording(tmp_path)


@needs_recordings("ptb/s0015lre.hea")
def test_averaging_options_out_of_range_are_the_tools_refusals():
    recording = w.read_recording(str(PTB / "s0015lre.hea"))
    with pytest.raises(ValueError, match="below 8"):
        w.average(recording, beats=3)
    with pytest.raises(ValueError, match="290"):
        w.average(recording, onset_at=100)
    with pytest.raises(ValueError, match="three lead labels"):
        w.read_recording(str(PTB / "s0015lre.hea"), leads=["vx", "vy"])
