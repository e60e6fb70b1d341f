"""Runs `cvunits convert` and `cvunits check` as a user would and checks what they print."""

import json
import subprocess
import sys

CVUNITS = sys.argv[1]


def run(*args, stdin=None):
    return subprocess.run([CVUNITS, *args], input=stdin, capture_output=True, text=True,
                          timeout=120)


failures = []


def expect(label, condition, detail=""):
    if not condition:
        failures.append(f"{label}: {detail}")


# (arguments, exit code, lines that must appear on stdout or stderr)
CASES = [
    (["convert", "ft", "m", "1", "10"], 0,
     ["ft -> m: 381/1250 (0.3048)", "1 ft = 0.3048 m", "10 ft = 3.048 m"]),
    (["convert", "degC", "degF", "100", "-40"], 0,
     ["degC -> degF: 9/5*x + 32 (1.8*x + 32)", "scale 1.8, offset 32, not inverted",
      "100 degC = 212 degF", "-40 degC = -40 degF"]),
    (["convert", "km/h", "m/s", "36"], 0,
     ["km/h -> m/s: 5/18 (0.2777777777777778)", "36 km/h = 10 m/s"]),
    # Values go through the exact factor with one rounding: 36.6*1.8+32 in
    # doubles is 97.88000000000001.
    (["convert", "degC", "degF", "36.6"], 0, ["36.6 degC = 97.88 degF"]),
    # A factor through pi is not exact, and no fraction is made up for it.
    (["convert", "deg", "rad"], 0, ["deg -> rad: 0.017453292519943295\n"]),
    (["convert", "Hz", "s", "4"], 0,
     ["Hz -> s: 1/x", "scale 1, offset 0, inverted", "4 Hz = 0.25 s"]),
    (["convert", "m", "s"], 1,
     ["m has dimensions m", "s has dimensions s", "they differ in: m (1 vs 0), s (0 vs 1)"]),
    (["convert", "m/s", "m"], 1, ["nearest fix: m is (m/s)*s in dimensions"]),
    (["convert", "metre/sekond", "m/s"], 1, ["unknown symbol 'sekond': did you mean second"]),
    (["convert", "m*/s", "m"], 1, ["at column 3", "    ^"]),
    (["convert", "ft", "m", "abc"], 1, ["'abc' is not a number"]),
    (["convert", "ft"], 2, []),
    (["check", "Hz", "s"], 0, ["7 ReciprocalUnits", "convertible: yes"]),
    (["check", "degC", "K"], 0, ["6 DifferentOffsets", "convertible: yes"]),
    (["check", "km", "m"], 0, ["4 CanonicalScalingFactorDifference"]),
    (["check", "m", "s"], 0, ["1 IncompatibleUnits", "convertible: no"]),
    (["check", "m", "m"], 0, ["0 Equivalent"]),
]

for args, code, lines in CASES:
    result = run(*args)
    label = "cvunits " + " ".join(args)
    expect(label, result.returncode == code, f"exit {result.returncode}, wanted {code}")
    output = result.stdout + result.stderr
    for line in lines:
        expect(label, line in output, f"missing {line!r} in:\n{output}")

converted = json.loads(run("--json", "convert", "degC", "degF", "100").stdout)
expect("json convert", converted["scale"] == 1.8 and converted["offset"] == 32.0
       and converted["inverted"] is False and converted["values"][0]["output"] == 212.0,
       str(converted))
refused = json.loads(run("--json", "convert", "m", "s").stdout)
expect("json refusal", refused["error"]["id"] == "CorvaneTypes:Unit:UnitsNotConvertible"
       and refused["explanation"]["fromDimensions"] == "m", str(refused))
checked = json.loads(run("--json", "check", "Hz", "s").stdout)
expect("json check", checked["code"] == 7 and checked["convertible"] is True, str(checked))

batch = run("convert", "--batch", stdin="ft\tm\ndegC\tdegF\nHz\ts\nm\ts\nft\n")
expect("batch", batch.returncode == 0, batch.stderr)
expect("batch", batch.stdout.splitlines() == [
    "0.30480000000000002\t0\t0",
    "1.8\t32\t0",
    "1\t0\t1",
    "error\tCorvaneTypes:Unit:UnitsNotConvertible\tCannot convert 'm' to 's': 'm' is m but 's' is s.",
    "error\tcvunits:MalformedLine\texpected FROM<TAB>TO",
], batch.stdout)
lines = [json.loads(line) for line in run("convert", "--batch", "--json",
                                          stdin="ft\tm\nm\ts\n").stdout.splitlines()]
expect("batch json", lines[0]["scale"] == 0.3048 and "error" in lines[1], str(lines))

for failure in failures:
    print("FAIL", failure)
print(f"{len(CASES) + 5 - len(failures)} passed, {len(failures)} failed")
sys.exit(1 if failures else 0)
