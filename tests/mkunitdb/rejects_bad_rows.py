"""Feeds the database build rows it must refuse and checks that it names file and line."""

import os
import shutil
import subprocess
import sys
import tempfile

MKUNITDB, SOURCE = sys.argv[1], sys.argv[2]

# A valid unit row; each case spoils one field of it.
GOOD = {"Id": "9000", "Name": "test_unit", "Symbol": "tu", "AsciiSymbol": "tu",
        "Expression": "m", "Display": "tu", "PhysicalQuantity": "2", "SubUnit": "",
        "UnitSystemGroup": "1", "PrefixGroup": "", "ProvenanceGroup": "4",
        "ConversionFactor": "1"}
UNIT_COLUMNS = list(GOOD)

# (what is wrong, table, row to append or (line text, replacement), expected message)
CASES = [
    ("unknown quantity", "units", {"PhysicalQuantity": "999"}, "unknown quantity 999"),
    ("unknown factor", "units", {"ConversionFactor": "8888"}, "unknown factor 8888"),
    ("duplicate symbol", "units", {"Symbol": "ft"}, "duplicate symbol 'ft'"),
    ("duplicate ASCII symbol", "units", {"AsciiSymbol": "degC"}, "duplicate symbol 'degC'"),
    ("duplicate name", "units", {"Name": "metre"}, "duplicate name 'metre'"),
    ("name that is another's symbol", "units", {"Name": "ft"}, "duplicate name 'ft'"),
    ("missing source", "units", {"ProvenanceGroup": ""}, "has no source"),
    ("unknown source", "units", {"ProvenanceGroup": "777"}, "has no source"),
    ("zero denominator", "conversion_factors", ("1\t3\t1,1,0", "1\t3\t1,0,0"), "zero denominator"),
    ("not a number", "conversion_factors", ("1\t3\t1,1,0", "1\t1\t0.3x"), "bad factor '0.3x'"),
    ("unknown kind", "conversion_factors", ("1\t3\t1,1,0", "1\t9\t1"), "factor type 9"),
    ("relation to nothing", "physical_quantity_relations", ("1\t3\t22\t20001", "1\t3\t999\t20001"),
     "unknown quantity 999"),
]

failures = []
for what, table, change, message in CASES:
    with tempfile.TemporaryDirectory() as tmp:
        source = os.path.join(tmp, "builtin")
        shutil.copytree(SOURCE, source)
        path = os.path.join(source, table + ".tsv")
        with open(path, encoding="utf-8") as f:
            lines = f.read().split("\n")[:-1]
        if isinstance(change, dict):
            lines.append("\t".join({**GOOD, **change}[c] for c in UNIT_COLUMNS))
            line = len(lines)
        else:
            line = lines.index(change[0]) + 1
            lines[line - 1] = change[1]
        with open(path, "w", encoding="utf-8") as f:
            f.write("\n".join(lines) + "\n")
        result = subprocess.run([sys.executable, MKUNITDB, source, os.path.join(tmp, "ud")],
                                capture_output=True, text=True)
        where = f"{path}:{line}: "
        if result.returncode != 1 or where not in result.stderr or message not in result.stderr:
            failures.append(f"{what}: exit {result.returncode}, wanted 1 and "
                            f"'{where}...{message}' in: {result.stderr.strip()}")
        elif os.path.exists(os.path.join(tmp, "ud")):
            failures.append(f"{what}: a package was written")

for failure in failures:
    print(failure)
print(f"{len(CASES) - len(failures)} passed, {len(failures)} failed")
sys.exit(1 if failures else 0)
