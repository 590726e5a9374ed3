"""Records, their analysis and late potentials from Python equal the batch tool's."""

import os

import numpy as np
import pytest

import wavelet_ecg as w
from conftest import read_csv, run_tool


def record_paths(folder):
    return sorted(p for p in folder.iterdir() if p.is_file())


def test_header_cells_and_late_potentials_equal_the_batch_tool(demo_records, demo_tables):
    table, lp_table = demo_tables
    titles, rows = table[0], table[1:]
    assert list(w.BATCH_COLUMNS) == titles
    assert list(w.Analysis.columns) == titles[11:]
    assert list(w.LatePotentials.columns) == lp_table[0]
    paths = [demo_records / row[0] for row in rows]
    assert len(rows) >= 3
    for path, row, lp_row in zip(paths, rows, lp_table[1:]):
        record = w.read_record(path)
        assert list(record.header) == titles[:11]
        assert list(record.header.values()) == row[:11]
        assert w.analyse(record).cells == row[11:]
        assert w.late_potentials(record).cells == lp_row
        # Bytes in memory load as the file does.
        assert w.analyse(w.record_from_bytes(record.to_bytes(), path.name)).cells == row[11:]


@pytest.mark.parametrize("jobs", [1, 2])
def test_batch_yields_the_tools_rows_in_input_order(demo_records, demo_tables, jobs):
    table, lp_table = demo_tables
    rows = list(w.batch(demo_records, jobs=jobs))
    assert [r.cells for r in rows] == table[1:]
    assert [r.late_potentials for r in rows] == lp_table[1:]
    assert all(r.error is None for r in rows)
    assert [r.late_potentials for r in w.batch([demo_records], late_potentials=False)] == [None] * len(rows)


def test_batch_keeps_an_unreadable_record_as_a_row_with_the_tools_error(demo_records, tmp_path):
    missing = tmp_path / "gone.R01"
    first = record_paths(demo_records)[0]
    rows = list(w.batch([first, missing, first], jobs=2))
    assert [r.name for r in rows] == [first.name, "gone.R01", first.name]
    assert rows[1].cells == ["gone.R01"] + [""] * (len(w.BATCH_COLUMNS) - 1)
    tool = run_tool("wavelet-batch", "-o", tmp_path / "t.csv", missing, check=False)
    assert rows[1].error in tool.stderr
    # Leaving early stops the pool without waiting for the remaining records.
    iterator = w.batch([first] * 500, jobs=2)
    next(iterator)
    del iterator


def test_typed_figures_are_the_numbers_behind_the_cells(demo_records):
    for path in record_paths(demo_records):
        record = w.read_record(path)
        analysis = w.analyse(record)
        cells = dict(zip(w.Analysis.columns, analysis.cells))
        judges = [c for c in w.Analysis.columns if c.lower().startswith("judge")]
        assert [int(cells[c]) for c in judges] == [analysis.judge1, analysis.judge2]
        assert analysis.area.shape == (4, 8) and analysis.peak_count.dtype == np.int32
        assert set(analysis.criteria) == {"area", "count", "last_peak", "fqrs"}
        lp = w.late_potentials(record)
        row = dict(zip(w.LatePotentials.columns, lp.cells))
        if lp.qrs_onset is None:
            assert row["fqrs_ms"] == "" and lp.rms40_uv is None
        else:
            assert (lp.qrs_onset, lp.fqrs_ms, lp.las40_ms) == tuple(
                int(row[c]) for c in ("qrs_onset", "fqrs_ms", "las40_ms"))
            assert f"{lp.rms40_uv:.2f}" == row["rms40_uv"]
            assert lp.late_potentials == (row["late_potentials"] == "1")
        assert lp.vm.shape == (800,) and np.all(lp.vm >= 0)


def test_leads_are_read_only_and_give_the_same_late_potentials_as_the_record(demo_records):
    record = w.read_record(record_paths(demo_records)[0])
    leads = record.leads
    assert leads.shape == (800, 3) and leads.dtype == np.int32
    with pytest.raises(ValueError):
        leads[0, 0] = 1
    unit = record.unit_uv or 0.1
    from_record = w.late_potentials(record)
    for given in (leads, leads.astype(np.int16), leads.astype(np.float64), np.asfortranarray(leads)):
        from_leads = w.late_potentials(given, unit_uv=unit)
        assert from_leads.cells[1:12] == from_record.cells[1:12]
        np.testing.assert_array_equal(from_leads.vm, from_record.vm)
    assert from_leads.header_onset is None and from_record.header_onset == record.qrs_onset


def test_arrays_of_another_shape_or_type_are_refused():
    with pytest.raises(ValueError, match=r"\(800, 3\).*\(3, 800\)"):
        w.late_potentials(np.zeros((3, 800), np.int16))
    with pytest.raises(ValueError, match="shape"):
        w.late_potentials(np.zeros(2400, np.int16))
    with pytest.raises(TypeError, match="float32"):
        w.late_potentials(np.zeros((800, 3), np.float32))
    with pytest.raises(TypeError):
        w.late_potentials([[0, 0, 0]] * 800)
    with pytest.raises(ValueError, match="unit_uv"):
        w.late_potentials(np.zeros((800, 3), np.int16), unit_uv=0.0)


def test_the_transform_combines_m_from_x_y_z(demo_records):
    record = w.read_record(record_paths(demo_records)[0])
    for scale in w.SCALES[:1] + (3.5, 1.5):
        z = np.array([w.transform(record, lead, scale) for lead in "XYZ"])
        assert z.shape == (3, 400) and z.dtype == np.complex128
        np.testing.assert_allclose(w.transform(record, "X", scale, magnitude=True), np.abs(z[0]), rtol=1e-12)
        m = w.transform(record, 3, scale, magnitude=True)
        np.testing.assert_allclose(m, np.sqrt((np.abs(z) ** 2).sum(axis=0)), rtol=1e-12)
    with pytest.raises(ValueError, match="lead"):
        w.transform(record, "Q", 2.0)
    with pytest.raises(ValueError, match="scale"):
        w.transform(record, "X", float("nan"))


def test_loads_raise_the_exception_of_their_failure_with_the_tools_message(tmp_path):
    missing = tmp_path / "missing.R01"
    with pytest.raises(FileNotFoundError) as failure:
        w.read_record(missing)
    assert str(failure.value) in run_tool("wavelet-batch", "-o", tmp_path / "t.csv", missing, check=False).stderr
    assert str(failure.value).startswith(f"Cannot read [{missing}]")
    with pytest.raises(IsADirectoryError, match=r"Cannot read \["):
        w.read_record(tmp_path)
    short = tmp_path / "short.R01"
    short.write_bytes(b"abc")
    with pytest.raises(ValueError, match=r"Not a record \(3 bytes\)"):
        w.read_record(short)
    with pytest.raises(ValueError, match=r"Not a record \(3 bytes\)"):
        w.record_from_bytes(b"abc", "x")
    if os.geteuid() != 0:
        locked = tmp_path / "locked.R01"
        locked.write_bytes(bytes(5025))
        locked.chmod(0)
        with pytest.raises(PermissionError):
            w.read_record(locked)


def test_analyses_on_several_threads_or_after_a_transform_are_the_tools(demo_records, demo_tables):
    from concurrent.futures import ThreadPoolExecutor
    rows = demo_tables[0][1:]
    records = [w.read_record(demo_records / row[0]) for row in rows]
    with ThreadPoolExecutor(4) as pool:
        assert list(pool.map(lambda r: w.analyse(r).cells, records)) == [row[11:] for row in rows]
    w.transform(records[1], "M", 1.234)
    assert w.analyse(records[0]).cells == rows[0][11:]


def test_cohort_tables_are_the_cohort_tools(demo_records, tmp_path):
    paths = record_paths(demo_records)
    labels = tmp_path / "labels.csv"
    labels.write_text("record,group\n" + "".join(f"{p.stem.upper()},{'MI' if i % 3 == 0 else 'HC'}\n"
                                                 for i, p in enumerate(paths[:-1])) + "nobody,HC\n")
    study = w.cohort([demo_records], labels, "MI", jobs=2)
    run_tool("wavelet-cohort", "-q", "--labels", labels, "--positive", "MI", "-o", tmp_path / "study", demo_records)
    for name in ("records", "cohort", "auc"):
        table = read_csv(tmp_path / "study" / f"{name}.csv")
        assert [list(row.keys()) for row in study[name]] == [table[0]] * (len(table) - 1)
        assert [list(row.values()) for row in study[name]] == table[1:]
    assert len(study["warnings"]) == 2  # the record without a label, the label without a record
    with pytest.raises(ValueError, match="no labelled record given is in the group"):
        w.cohort([demo_records], labels, "nobody's group")
    with pytest.raises(FileNotFoundError):
        w.cohort([demo_records], tmp_path / "gone.csv", "MI")
