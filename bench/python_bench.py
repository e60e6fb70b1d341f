"""The Python module beside Pint in the same run: one scalar conversion, and an array of ten
million values. Prints calls (or values) per second and the ratio; run with the package on
PYTHONPATH (build/python for the build tree)."""

import statistics
import sys
import time

import numpy as np
import pint

import cv_units


def rates(works, items, rounds):
    """Items per second of each work: the best and the median of `rounds` runs by the process's
    CPU time, on a machine shared with other work. The works take turns within a round, so a
    change of load falls on all of them alike."""
    times = {name: [] for name in works}
    for _ in range(rounds):
        for name, work in works.items():
            start = time.process_time()
            work()
            times[name].append(max(time.process_time() - start, 1e-9))
    return {name: (items[name] / min(t), items[name] / statistics.median(t))
            for name, t in times.items()}


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

    scalar = rates({"cv_units": ours_scalar, "Pint": pint_scalar},
                   {"cv_units": calls, "Pint": calls // 10}, 3)
    ours, theirs = scalar["cv_units"][0], scalar["Pint"][0]
    print(f"scalar: cv_units {ours / 1e6:.2f} M calls/s, Pint {theirs / 1e3:.1f} k calls/s, "
          f"{ours / theirs:.0f}x")

    values = np.linspace(0.0, 1000.0, 1_000_000 if quick else 10_000_000)
    converter = cv_units.Converter("ft", "m")
    works = {
        "cv_units Converter": lambda: converter(values),
        "cv_units convert": lambda: cv_units.convert(values, "ft", "m"),
        "Pint": lambda: Q_(values, "ft").to("m"),
    }
    array = rates(works, {name: values.size for name in works}, 5 if quick else 15)
    print(f"array of {values.size} (M values/s, best / median): " +
          ", ".join(f"{name} {best / 1e6:.0f} / {median / 1e6:.0f}"
                    for name, (best, median) in array.items()))


if __name__ == "__main__":
    main()
