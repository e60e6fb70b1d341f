"""Runs `cvunits propagate` and `cvunits calc` as a user would and checks what they print."""

import json
import subprocess
import sys

CVUNITS = sys.argv[1]
failures = []


def run(*args):
    return subprocess.run([CVUNITS, *args], capture_output=True, text=True, timeout=300)


def expect(label, condition, detail=""):
    if not condition:
        failures.append(f"{label}: {detail}")


# (arguments, exit code, texts that must appear on stdout or stderr)
CASES = [
    (["propagate", "p*V/(n*T)", "p=kPa", "V=L", "n=mol", "T=K"], 0, ["unit: L*kPa/(K*mol)"]),
    (["propagate", "m*a", "m=kg", "a=m/s^2"], 0, ["unit: N\n", "quantity: force"]),
    (["propagate", "a + b", "a=m", "b=km"], 1, ["cannot add a and b: The operation 'add'"]),
    (["propagate", "a + b", "a=m", "b=km", "--mode", "convert"], 0,
     ["unit: m\n", "convert b from km to m"]),
    (["propagate", "x/(y*z^2)", "x=m", "y=s", "z=K", "--format", "1"], 0, ["unit: m/K^2/s"]),
    (["propagate", "x/(y*z^2)", "x=m", "y=s", "z=K", "--format", "2"], 0, ["unit: m*K^-2*s^-1"]),
    (["propagate", "(a*b) - c", "a=m", "b=s", "c=kg"], 1, ["cannot subtract (a*b) and c"]),
    (["propagate", "t^2", "t=degC"], 1, ["cannot exponentiate t: Raising '°C' to the power 2"]),
    (["propagate", "a*b", "a=mol", "b=m", "--tree"], 0, ["[*]|R--[m  ]\n   |L--[mol]"]),
    (["propagate", "x^(1/0)", "x=m"], 1, ["the power divides by zero at column 3"]),
    (["propagate", "a + q", "a=m"], 1, ["no unit given for 'q'"]),
    (["propagate", "a", "a=furlongz"], 1, ["'furlongz' of a is not defined"]),
    (["propagate", "a", "a="], 1, ["the unit of a is empty"]),
    (["propagate", "a", "--mode", "fast", "a=m"], 2, []),
    (["calc", "3 ft + 2 m", "cm"], 0, ["291.44 cm\n"]),
    (["calc", "(100 km)/(2 h)", "m/s"], 0, ["13.88888888888889 m/s (exactly 125/9)"]),
    (["calc", "2 kWh / 30 min", "W"], 0, ["4000 W"]),
    (["calc", "20 degC + 5 K", "degC"], 0, ["25 degC"]),
    (["calc", "1 ft + 1 in", "in"], 0, ["13 in"]),
    (["calc", "5 m^2", "ft^2"], 0, ["(exactly 7812500/145161)"]),
    (["calc", "3 ft + 2 kg"], 1, ["cannot add 3 ft and 2 kg"]),
    (["calc", "1 m / (2 s - 2 s)"], 1, ["division by zero"]),
    (["calc", "1e308 m * 1e308 m"], 1, ["beyond the range of a double"]),
    (["calc", "(-8)^(1/3)"], 1, ["not real"]),
    (["calc", "2 * * 3"], 1, ["expected an operand at column 5"]),
    (["calc", "nan * 2"], 1, ["'nan' is not defined"]),
    (["calc", "(" * 10000 + "1 m" + " + 2 m)" * 10000, "km"], 0, ["20.001 km"]),
    (["calc", " + ".join(["1 m"] * 20000), "km"], 0, ["20 km"]),
]

for args, code, texts in CASES:
    result = run(*args)
    label = "cvunits " + " ".join(args)[:80]
    expect(label, result.returncode == code, f"exit {result.returncode}, wanted {code}")
    output = result.stdout + result.stderr
    for text in texts:
        expect(label, text in output, f"missing {text!r} in:\n{output[:2000]}")

propagated = json.loads(run("--json", "propagate", "a+b", "a=ft", "b=m", "--mode", "convert",
                            "--tree").stdout)
expect("json propagate", propagated["unit"] == "m" and propagated["quantity"] == "length"
       and propagated["conversions"] == [{"operand": "a", "from": "ft", "to": "m"}]
       and len(propagated["tree"]) == 2, str(propagated))
refused = json.loads(run("--json", "propagate", "a+b", "a=m", "b=s").stdout)
expect("json refusal", refused["error"]["operation"] == "add"
       and refused["error"]["operands"] == ["a", "b"], str(refused))
calculated = json.loads(run("--json", "calc", "1 ft / 3", "in").stdout)
expect("json calc", calculated["value"] == 4 and calculated["exact"] == "4", str(calculated))

for failure in failures:
    print("FAIL", failure)
print(f"{len(CASES) + 3 - len(failures)} passed, {len(failures)} failed")
sys.exit(1 if failures else 0)
