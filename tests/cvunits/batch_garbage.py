"""Feeds `cvunits convert --batch` hostile lines (100,000 unless a count follows the tool's
path) and checks that every line is answered, in order, in the documented format, and that the
table still converts afterwards."""

import random
import re
import subprocess
import sys

CVUNITS = sys.argv[1]
LINES = int(sys.argv[2]) if len(sys.argv) > 2 else 100_000
rng = random.Random(20261206)

GOOD = [("ft", "m", "0.30480000000000002\t0\t0"), ("degC", "degF", "1.8\t32\t0"),
        ("Hz", "s", "1\t0\t1"), ("km/h", "m/s", "0.27777777777777779\t0\t0")]
MALFORMED = ["m*/", "((((", "^^", "m^", "1/", "m@@s", "*", ")", "m^(1/0)", "m^(1/", "@",
             "(" * 1000 + "m" + ")" * 1000, "m" + "^2" * 500, "a" * 5000,
             # Texts the tool reads loosely, broken in the ways people break them.
             "m per", "per per", "100", "1e999 m", "m²²²⁻", "⁻", "kg m / s m", "((m s",
             "· · ·", "1" * 300 + " m", "miles per", "0 m", "m " * 400, "(" * 300 + "m s"]
HUGE = ["m^1e308", "m^-1e308", "km^1e309", "m^(2147483647/1)", "m^nan", "km^inf",
        "m^99999999999999999999", "(km^1e200)^1e200"]


def random_bytes():
    return bytes(rng.choice([b for b in range(256) if b != 0x0A])
                 for _ in range(rng.randint(0, 40)))


def unknown_symbol():
    return "".join(rng.choice("abcdefghijklmnopqrstuvwxyz_") for _ in range(rng.randint(1, 12)))


def hostile_side():
    kind = rng.randrange(4)
    if kind == 0:
        return random_bytes()
    if kind == 1:
        return rng.choice(MALFORMED).encode()
    if kind == 2:
        return rng.choice(HUGE).encode()
    return (unknown_symbol() + rng.choice(["", "*m", "/s^2"])).encode()


lines = []
expected = {}
for i in range(LINES):
    if i % 1000 == 999:
        good = rng.choice(GOOD)
        lines.append(f"{good[0]}\t{good[1]}".encode())
        expected[i] = good[2]
    elif i % 7 == 0:
        lines.append(hostile_side())
    else:
        lines.append(hostile_side() + b"\t" + hostile_side())
for good in GOOD:
    expected[len(lines)] = good[2]
    lines.append(f"{good[0]}\t{good[1]}".encode())

result = subprocess.run([CVUNITS, "convert", "--batch"], input=b"\n".join(lines) + b"\n",
                        capture_output=True, timeout=1200)
out = result.stdout.split(b"\n")
if out and out[-1] == b"":
    out.pop()

failures = []
if result.returncode != 0:
    failures.append(f"exit code {result.returncode}: {result.stderr[-2000:]!r}")
if len(out) != len(lines):
    failures.append(f"{len(out)} answers for {len(lines)} lines")
answer = re.compile(rb"^(-?[0-9.e+-]+|inf|nan)\t(-?[0-9.e+-]+)\t[01]$|^error\t[A-Za-z]+:[A-Za-z:]+\t[^\t]*$")
bad = [i for i, line in enumerate(out) if not answer.match(line)]
if bad:
    failures.append(f"{len(bad)} answers out of format, first at line {bad[0] + 1}: {out[bad[0]][:200]!r}")
for i, want in expected.items():
    if i < len(out) and out[i].decode(errors="replace") != want:
        failures.append(f"line {i + 1}: {out[i][:200]!r}, wanted {want!r}")
        break

for failure in failures:
    print("FAIL", failure)
print(f"{2 - min(len(failures), 2)} passed, {min(len(failures), 2)} failed")
sys.exit(1 if failures else 0)
