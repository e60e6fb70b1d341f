"""Runs `cvunits complete`, `suggest`, `similar` and `search` as a user would."""

import json
import os
import subprocess
import sys

CVUNITS = sys.argv[1]
SHOP = os.path.join(sys.argv[2], "examples", "user-databases", "shop_units.xml")


def run(*args):
    return subprocess.run([CVUNITS, *args], capture_output=True, text=True, timeout=120)


failures = []

# (arguments, exit code, lines that must appear in the output, in this order)
CASES = [
    (["complete", "kg*m/s^"], 0, ["completes: kg*m/\n", "s\tsecond\ttime\t(unit)\n"]),
    (["complete", "km"], 0, ["km\tkilometre\tlength\t(prefixed unit)"]),
    (["complete", "ki", "--limit", "0"], 0, ["k\tkilo\t\t(prefix)"]),
    (["complete", "degC@thermo"], 0, ["completes: degC@\nthermodynamic_temperature"]),
    (["--db", SHOP, "complete", "tra"], 0, ["tray\ttray"]),
    (["complete"], 2, []),
    (["suggest", "KM"], 0, ["km\n"]),
    (["suggest", "PSI", "--limit", "1"], 0, ["psi\n... and"]),
    (["suggest", "--quantity", "lenght"], 0, ["length\n"]),
    (["--db", SHOP, "suggest", "trya"], 0, ["tray\n"]),
    (["suggest", "m", "--limit", "x"], 2, []),
    (["similar", "ft"], 0, ["ft\n", "mi\n"]),
    (["similar", "@velocity"], 0, ["km/h\n", "mph\n"]),
    (["--db", SHOP, "similar", "fpf"], 0, ["fpf\n", "fps\n"]),
    (["search", "POUND"], 0, ["lbf\tpound_force\t(unit)", "psi\t"]),
    (["search", "temperature"], 0, ["thermodynamic_temperature\t\t(physical quantity)"]),
    (["search", "kilo"], 0, ["k\tkilo\t(prefix)"]),
    (["--db", SHOP, "search", "baker"], 0, ["bdoz\tbakers_dozen\t(unit)"]),
]

for args, code, lines in CASES:
    result = run(*args)
    label = "cvunits " + " ".join(args)
    output = result.stdout + result.stderr
    if result.returncode != code:
        failures.append(f"{label}: exit {result.returncode}, wanted {code}\n{output}")
    at = 0
    for line in lines:
        found = output.find(line, at)
        if found < 0:
            failures.append(f"{label}: missing {line!r} in:\n{output}")
        at = max(at, found)

completion = json.loads(run("--json", "complete", "N*m").stdout)
if completion["completes"] != "N*" or completion["suggestions"][0] != {
        "kind": "unit", "symbol": "m", "name": "metre", "physical_quantity": "length"}:
    failures.append(f"json complete: {completion}")
suggestion = json.loads(run("--json", "suggest", "Kg").stdout)
if suggestion["suggestions"][0] != "kg" or suggestion["kind"] != "unit":
    failures.append(f"json suggest: {suggestion}")
similar = json.loads(run("--json", "similar", "mph").stdout)
if similar["physical_quantity"] != "velocity" or "m/s" not in similar["similar"]:
    failures.append(f"json similar: {similar}")
found = json.loads(run("--json", "search", "mile").stdout)
if {"kind": "unit", "symbol": "mi", "name": "mile", "physical_quantity": "length"} \
        not in found["found"]:
    failures.append(f"json search: {found}")

# Hostile text: answered, never a crash.
for text in ["", "@", "*", "^" * 1000, "m" * 100000, "\x01\x07m"]:
    for command in ["complete", "suggest", "similar"]:
        result = run(command, text)
        if result.returncode not in (0, 2) or "internal error" in result.stderr:
            failures.append(f"cvunits {command} {text[:20]!r}: exit {result.returncode}")

for failure in failures:
    print(failure)
print(f"{len(CASES) + 4 - len(failures)} passed, {len(failures)} failed")
sys.exit(1 if failures else 0)
