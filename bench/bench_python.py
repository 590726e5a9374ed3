#!/usr/bin/python3
"""The Python module against the C++ it binds: analyse() per call beside the basic
analysis of the same record (bench_analysis), and batch() over N demo records beside
wavelet-batch with the same number of jobs. Prints the figures; asserts nothing.

usage: PYTHONPATH=build/python /usr/bin/python3 bench/bench_python.py [BUILD] [--records N] [--jobs J]
"""

import argparse
import json
import os
import pathlib
import resource
import subprocess
import tempfile
import time
import timeit

import wavelet_ecg as w


def cpu(who):
    usage = resource.getrusage(who)
    return usage.ru_utime + usage.ru_stime


def timed(function, who):
    """Wall and processor seconds of one call."""
    wall, processor = time.perf_counter(), cpu(who)
    function()
    return time.perf_counter() - wall, cpu(who) - processor


def best_of_alternating(tool, python, repeats=5):
    """The best wall and processor times of each, run in turn so that load from others
    on the machine falls on both alike."""
    tools, pythons = [], []
    for _ in range(repeats):
        tools.append(timed(tool, resource.RUSAGE_CHILDREN))
        pythons.append(timed(python, resource.RUSAGE_SELF))
    return min(t[0] for t in tools), min(t[1] for t in tools), min(p[0] for p in pythons), min(p[1] for p in pythons)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build", nargs="?", default="build")
    parser.add_argument("--records", type=int, default=10000)
    parser.add_argument("--jobs", type=int, default=2)
    args = parser.parse_args()
    build = pathlib.Path(args.build)
    print(f"cores: {os.cpu_count()}, jobs: {args.jobs}")

    with tempfile.TemporaryDirectory() as scratch:
        folder = pathlib.Path(scratch) / "records"
        subprocess.run([build / "make-sample-records", folder, "--count", str(args.records)], check=True,
                       stdout=subprocess.DEVNULL)

        record = w.read_record(folder / "P0001.R01")
        w.analyse(record)
        calls = 2000
        per_call = min(timeit.repeat(lambda: w.analyse(record), number=calls, repeat=5)) / calls
        out = subprocess.run([build / "bench_analysis", "--benchmark_filter=BM_BasicAnalysisOfSampleRecord$",
                              "--benchmark_format=json", "--benchmark_repetitions=5"],
                             check=True, capture_output=True, text=True).stdout
        runs = [b for b in json.loads(out)["benchmarks"] if b.get("run_type") == "iteration"]
        cpp = min(b["real_time"] for b in runs) * 1e-6  # us -> s
        print(f"analyse(P0001): {per_call * 1e6:.1f} us per call; C++ basic analysis {cpp * 1e6:.1f} us;"
              f" difference {(per_call - cpp) * 1e6:+.1f} us")

        for late, options in ((False, []), (True, ["--late-potentials", str(pathlib.Path(scratch) / "lp.csv")])):
            tool_wall, tool_cpu, python_wall, python_cpu = best_of_alternating(
                lambda: subprocess.run([build / "wavelet-batch", "-q", "-j", str(args.jobs), "-o",
                                        str(pathlib.Path(scratch) / "t.csv"), *options, folder], check=True),
                lambda: sum(1 for _ in w.batch(folder, jobs=args.jobs, late_potentials=late)))
            print(f"batch of {args.records} records{' with late potentials' if late else ''}: "
                  f"Python {python_wall:.2f} s ({python_cpu:.2f} s processor), wavelet-batch -j {args.jobs} "
                  f"{tool_wall:.2f} s ({tool_cpu:.2f} s processor), ratio {python_wall / tool_wall:.2f}")

if __name__ == "__main__":
    main()
