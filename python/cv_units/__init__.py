"""Units of measure: convert values between units, compare units, and ask what the unit
databases hold.

    >>> import cv_units
    >>> cv_units.convert(3, "ft", "m")
    0.9144
    >>> cv_units.Converter("degC", "degF").exact
    Fraction(9, 5)

    >>> cv_units.calc("(100 km)/(2 h)", "m/s")["text"]
    '13.88888888888889 m/s (exactly 125/9)'

Unit texts are the expressions of the library (``kg*m/s^2``, ``m^(1/2)``, ``degC``). Values
are numbers, lists or tuples of numbers, or NumPy arrays of any shape; arrays convert in C++
without a Python loop and without holding the GIL. Every refusal is a :class:`UnitError`.
"""

from ._cv_units import (
    Comparison,
    Converter,
    UnitError,
    Units,
    add_database,
    calc,
    compare,
    complete,
    convert,
    info,
    prefixes,
    propagate,
    quantities,
    search,
    similar,
    suggest,
    units,
)

__all__ = [
    "Comparison",
    "Converter",
    "UnitError",
    "Units",
    "add_database",
    "calc",
    "compare",
    "complete",
    "convert",
    "info",
    "prefixes",
    "propagate",
    "quantities",
    "search",
    "similar",
    "suggest",
    "units",
]
