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
import subprocess
import tempfile
import time
import timeit

import wavelet_ecg as w


def best(function, repeats=3):
    times = []
    for _ in range(repeats):
        start = time.perf_counter()
        function()
        times.append(time.perf_counter() - start)
    return min(times)


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
            tool = best(lambda: subprocess.run(
                [build / "wavelet-batch", "-q", "-j", str(args.jobs), "-o", str(pathlib.Path(scratch) / "t.csv"),
                 *options, folder], check=True))
            python = best(lambda: sum(1 for _ in w.batch(folder, jobs=args.jobs, late_potentials=late)))
            print(f"batch of {args.records} records{' with late potentials' if late else ''}: "
                  f"Python {python:.2f} s, wavelet-batch -j {args.jobs} {tool:.2f} s, ratio {python / tool:.2f}")


if __name__ == "__main__":
    main()
