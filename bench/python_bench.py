"""The Python module beside Pint in the same run: one scalar conversion, and an array of ten
million values. Prints calls (or values) per second and the ratio; run with the package on
PYTHONPATH (build/python for the build tree)."""

import sys
import time

import numpy as np
import pint

import cv_units


def best_rate(work, items, repeat):
    """Items per second of the fastest of `repeat` runs, by the process's CPU time: on a
    machine shared with other work, wall time says more about the neighbours."""
    best = float("inf")
    for _ in range(repeat):
        start = time.process_time()
        work()
        best = min(best, time.process_time() - start)
    return items / max(best, 1e-9)


def main():
    quick = "--quick" in sys.argv
    ureg = pint.UnitRegistry()
    Q_ = ureg.Quantity
    calls = 2_000 if quick else 50_000

    def ours_scalar():
        for _ in range(calls):
            cv_units.convert(3.0, "ft", "m")

    def pint_scalar():
        for _ in range(calls // 10):
            Q_(3.0, "ft").to("m")

    ours = best_rate(ours_scalar, calls, 3)
    theirs = best_rate(pint_scalar, calls // 10, 3)
    print(f"scalar: cv_units {ours / 1e6:.2f} M calls/s, Pint {theirs / 1e3:.1f} k calls/s, "
          f"{ours / theirs:.0f}x")

    values = np.linspace(0.0, 1000.0, 1_000_000 if quick else 10_000_000)
    converter = cv_units.Converter("ft", "m")
    ours = best_rate(lambda: converter(values), values.size, 5)
    ours_call = best_rate(lambda: cv_units.convert(values, "ft", "m"), values.size, 5)
    theirs = best_rate(lambda: Q_(values, "ft").to("m"), values.size, 5)
    print(f"array of {values.size}: cv_units Converter {ours / 1e6:.0f} M values/s, "
          f"convert {ours_call / 1e6:.0f} M values/s, Pint {theirs / 1e6:.0f} M values/s")


if __name__ == "__main__":
    main()
