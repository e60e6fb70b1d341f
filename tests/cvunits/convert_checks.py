"""Runs `cvunits convert`, `check`, `info` and `list` as a user would and checks what they
print."""

import json
import os
import subprocess
import sys

CVUNITS = sys.argv[1]
SHOP = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "examples",
                    "user-databases", "shop_units.xml")


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
    (["check", "m", "s"], 0,
     ["1 IncompatibleUnits: the units have different dimensions", "convertible: no"]),
    (["check", "m", "m"], 0, ["0 Equivalent"]),
    # A text that is no unit cannot be compared, not even with itself.
    (["check", "foo", "foo"], 1, ["'foo'"]),
    (["check", "m$", "m$"], 1, ["'m$'"]),
    (["check", "m^(1/0)", "m^(1/0)"], 1, ["at column 3"]),
    (["convert", "m", "m^1e999"], 1, ["at column 3"]),
    # The exact fraction is the product of the exact definitions, not of doubles.
    (["convert", "ft*lbf", "J"], 0, ["ft*lbf -> J: 3389544870828501/2500000000000000 ("]),
    (["convert", "hp", "ft*lbf/s"], 0, ["hp -> ft*lbf/s: 550"]),
    # Input as people type it, and what the tool made of it.
    (["convert", "miles per hour", "km/h", "60"], 0,
     ["understood 'miles per hour' as 'mi/h'", "60 miles per hour = 96.56064 km/h"]),
    (["convert", "kg m", "N s^2"], 0, ["understood 'kg m' as 'kg*m'", ": 1\n"]),
    (["convert", "m·s⁻²", "m/s^2"], 0, ["understood 'm·s⁻²' as 'm*s^-2'"]),
    (["convert", "kWh/100km", "J/m", "15"], 0, ["15 kWh/100km = 540 J/m"]),
    (["convert", "1000 m", "km", "3"], 0, ["3 1000 m = 3 km"]),
    (["convert", "10^-3 m", "mm", "5"], 0, ["understood '10^-3 m' as 'm' times 1/1000",
                                             "5 10^-3 m = 5 mm"]),
    (["convert", "2^(1/2) m", "m"], 1, ["at column 3: a number to a fractional power"]),
    (["convert", "1e300^2 m", "m"], 1, ["a scale beyond a double's range"]),
    (["convert", "inches", "feet", "24"], 0, ["24 inches = 2 feet"]),
    # A symbol that resolves is never read as a plural: ms is not metres.
    (["convert", "ms", "s", "1"], 0, ["1 ms = 0.001 s"]),
    (["convert", "W per m K", "W/(m*K)"], 1, ["may multiply the divisor or the whole quotient"]),
    (["convert", "m 2", "m^2"], 1, ["may be an exponent or a factor"]),
    (["convert", "m s", "s^2"], 1, ["'m s' may be 'ms' or 'm*s'"]),
    # Messages in the user's words.
    (["convert", "feet", "s"], 1, ["Cannot convert 'feet'"]),
    (["convert", "fooot/s", "fooot"], 1, ["unknown symbol 'fooot': did you mean foot"]),
    (["convert", "degC/min", "K/h"], 1,
     ["absolute temperature ('degC', 'K')", "'deltadegC/min' converts to 'deltaK/h'"]),
    (["convert", "W/(m*K)", "BTU/(h*ft*degF)"], 1,
     ["'W/(m*deltaK)' converts to 'BTU/(h*ft*deltadegF)'"]),
    (["info", "speed"], 1, ["'speed' is a physical quantity (velocity), not a unit"]),
    (["info", "m^1e999"], 1, ["at column 3"]),
    (["convert", "velocity", "m/s"], 1, ["'velocity' is a physical quantity, not a unit"]),
    # The units of --db files are everywhere the built-in ones are.
    (["--db", SHOP, "info", "tray"], 0, ["symbol: tray"]),
    (["--db", SHOP, "list", "units"], 0, ["tray\ttray"]),
]

for args, code, lines in CASES:
    result = run(*args)
    label = "cvunits " + " ".join(args)
    expect(label, result.returncode == code, f"exit {result.returncode}, wanted {code}")
    output = result.stdout + result.stderr
    for line in lines:
        expect(label, line in output, f"missing {line!r} in:\n{output}")
    said = [line for line in output.splitlines() if line.strip()]
    expect(label, len(said) == len(set(said)), f"a line said twice in:\n{output}")
    expect(label, ".:" not in output, f"stray punctuation in:\n{output}")

# Every refusal in JSON: (arguments, error identifier, column, a symbol with suggestions).
JSON_ERRORS = [
    (["info", "metr"], "CorvaneTypes:Unit:UnitNotInDatabase", None, "metr"),
    (["convert", "ft", "m", "abc"], "cvunits:NotANumber", None, None),
    (["convert", "m*/s", "m"], "CorvaneTypes:Unit:InvalidUnitExpression", 3, None),
    (["check", "foo", "m"], "CorvaneTypes:Unit:UnitNotInDatabase", None, "foo"),
    (["convert", "m^(1/0)", "m"], "cvunits:NonFiniteExponent", 3, None),
]
for args, identifier, column, symbol in JSON_ERRORS:
    result = run("--json", *args)
    label = "cvunits --json " + " ".join(args)
    try:
        error = json.loads(result.stdout)["error"]
    except (ValueError, KeyError) as e:
        expect(label, False, f"{e}: {result.stdout!r} {result.stderr!r}")
        continue
    expect(label, result.returncode == 1 and error["id"] == identifier
           and error.get("column") == column and "message" in error, str(error))
    if symbol:
        expect(label, any(s["symbol"] == symbol and s["didYouMean"]
                          for s in error.get("suggestions", [])), str(error))

converted = json.loads(run("--json", "convert", "degC", "degF", "100").stdout)
expect("json convert", converted["scale"] == 1.8 and converted["offset"] == 32.0
       and converted["inverted"] is False and converted["values"][0]["output"] == 212.0,
       str(converted))
refused = json.loads(run("--json", "convert", "m", "s").stdout)
expect("json refusal", refused["error"]["id"] == "CorvaneTypes:Unit:UnitsNotConvertible"
       and refused["explanation"]["fromDimensions"] == "m", str(refused))
checked = json.loads(run("--json", "check", "Hz", "s").stdout)
expect("json check", checked["code"] == 7 and checked["convertible"] is True, str(checked))
understood = run("--json", "convert", "miles per hour", "km/h").stdout
reading = '"understood": {\n    "from": {\n      "scale": "1",\n      "text": "mi/h",'
expect("json understood", reading in understood and '"from": "miles per hour"' in understood,
       understood)

batch = run("convert", "--batch",
            stdin="ft\tm\ndegC\tdegF\nHz\ts\nm\ts\nft\nfoo\tfoo\nm$\tm$\nm^(1/0)\tm^(1/0)\n"
                  "miles per hour\tkm/h\nm*/s\tm\n")
expect("batch", batch.returncode == 0, batch.stderr)
answers = batch.stdout.splitlines()
expect("batch", answers[:5] == [
    "0.30480000000000002\t0\t0",
    "1.8\t32\t0",
    "1\t0\t1",
    "error\tCorvaneTypes:Unit:UnitsNotConvertible\tCannot convert 'm' to 's': 'm' is m but 's' is s.",
    "error\tcvunits:MalformedLine\texpected FROM<TAB>TO",
] and len(answers) == 10 and all(a.startswith("error\t") for a in answers[5:8])
       and answers[8] == "1.6093440000000001\t0\t0" and "at column 3" in answers[9]
       and ".:" not in batch.stdout, batch.stdout)
values = run("convert", "--batch", "--values",
             stdin="3\tft\tm\n100\tdegC\tdegF\nabc\tft\tm\nft\tm\n\n2\tfoo\tfoo\n")
expect("batch values", values.stdout.splitlines()[:2] == ["0.91439999999999999", "212"]
       and len(values.stdout.splitlines()) == 6
       and all(a.startswith("error\t") for a in values.stdout.splitlines()[2:]), values.stdout)
lines = [json.loads(line) for line in run("convert", "--batch", "--json",
                                          stdin="ft\tm\nm\ts\n").stdout.splitlines()]
expect("batch json", lines[0]["scale"] == 0.3048 and "error" in lines[1], str(lines))

for failure in failures:
    print("FAIL", failure)
print(f"{len(CASES) + len(JSON_ERRORS) + 7 - len(failures)} passed, {len(failures)} failed")
sys.exit(1 if failures else 0)
