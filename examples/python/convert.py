"""The everyday calls of the Python module, as docs/python.md shows them."""

import numpy as np

import cv_units

print(cv_units.convert(3, "ft", "m"))                       # 0.9144
print(cv_units.convert(np.array([0.0, 100.0]), "degC", "degF"))  # [ 32. 212.]

to_fahrenheit = cv_units.Converter("degC", "degF")
print(to_fahrenheit.exact, to_fahrenheit.exact_offset)      # 9/5 32
print(to_fahrenheit([36.6, -40]))                           # [97.88, -40.0]

print(cv_units.compare("Hz", "s").name)                     # ReciprocalUnits
try:
    cv_units.convert(1, "metre/sekond", "m/s")
except cv_units.UnitError as e:
    print(e.identifier, e.suggestions)  # ...UnresolvedUnitsNotConvertible {'sekond': ['second', ...]}

print(cv_units.suggest("metr")[:3])                         # units within two edits of 'metr'
print(cv_units.similar("mph")["quantity"])                  # velocity
print(cv_units.propagate("m*a", m="kg", a="m/s^2")["unit"])  # N
print(cv_units.calc("(100 km)/(2 h)", "m/s")["text"])       # 13.88888888888889 m/s (exactly 125/9)
