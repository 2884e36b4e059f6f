#!/usr/bin/env python3
"""Measures the open panel window at rest with its 100 ms timer running: CPU used, tick
period (mean and spread) and resident memory. A measurement, not a test: it prints numbers.

    bench/measure_idle.py --build-dir build [--seconds 10]
"""

import argparse
import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import kestrel_e2e as e2e  # noqa: E402




def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build-dir", default="build")
    parser.add_argument("--seconds", type=float, default=10.0)
    options = parser.parse_args()
    program_path = os.path.join(options.build_dir, "tools", "panel-look", "panel-look")
    x = e2e.start_xvfb()
    program = e2e.Program([program_path, "--events"], env=x.environment())
    try:
        program.wait_for_line(lambda line: line == "drawn")
        time.sleep(0.5)
        pid = program.process.pid
        cpu_start, wall_start = e2e.cpu_seconds(pid), time.monotonic()
        time.sleep(options.seconds)
        cpu_used, wall = e2e.cpu_seconds(pid) - cpu_start, time.monotonic() - wall_start
        rss, peak = e2e.memory_kib(pid, "VmRSS"), e2e.memory_kib(pid, "VmHWM")
        program.signal()
        program.wait(10)
        ticks = [int(line.split("\t")[0]) for line in program.output() if line.endswith("\t275\t1")]
        ticks = [t for t in ticks if t >= ticks[-1] - options.seconds * 1000]
        gaps = [b - a for a, b in zip(ticks, ticks[1:])]
        print(f"cpu: {cpu_used:.3f} s in {wall:.1f} s = {100 * cpu_used / wall:.2f} % of one core")
        print(f"ticks: {len(gaps)} periods, mean {statistics.mean(gaps):.2f} ms, "
              f"stdev {statistics.pstdev(gaps):.2f} ms, min {min(gaps)} ms, max {max(gaps)} ms")
        print(f"memory: resident {rss / 1024:.1f} MiB, peak {peak / 1024:.1f} MiB")
    finally:
        program.stop()
        x.stop()


if __name__ == "__main__":
    main()
