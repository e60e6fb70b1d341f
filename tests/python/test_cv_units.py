"""The Python module as a Python user meets it: values of every shape, exact fractions,
errors, threads and user databases."""

import os
import threading
from fractions import Fraction

import numpy as np
import pytest

import cv_units

SHOP = os.path.join(os.environ["CV_UNITS_SOURCE_DIR"], "examples", "user-databases",
                    "shop_units.xml")


@pytest.mark.parametrize("value, from_unit, to_unit, expected", [
    (3, "ft", "m", 0.9144),
    (3.0, "ft", "m", 0.9144),
    (True, "km", "m", 1000.0),
    (np.float32(2.0), "km", "m", 2000.0),
    (np.int64(100), "degC", "degF", 212.0),
    (36.6, "degC", "degF", 97.88),  # rounded once from the exact factor
    (4, "Hz", "s", 0.25),
    (float("inf"), "ft", "m", float("inf")),
])
def test_scalars(value, from_unit, to_unit, expected):
    result = cv_units.convert(value, from_unit, to_unit)
    assert type(result) is float and result == expected


@pytest.mark.parametrize("values", [
    np.arange(12, dtype=np.float64).reshape(3, 4),
    np.arange(6, dtype=np.int32).reshape(1, 2, 3),
    np.arange(5, dtype=np.uint8),
    np.array([True, False]),
    np.array(2.5),
    np.array([], dtype=np.float64),
    np.arange(10, dtype=np.float64)[::2],
    np.asfortranarray(np.arange(6, dtype=np.float32).reshape(2, 3)),
])
def test_arrays_keep_their_shape(values):
    result = cv_units.convert(values, "degC", "K")
    assert isinstance(result, np.ndarray) and result.dtype == np.float64
    assert result.shape == values.shape
    np.testing.assert_array_equal(result, values.astype(np.float64) + 273.15)


def test_nan_and_sequences():
    result = cv_units.convert(np.array([np.nan, 1.0]), "ft", "m")
    assert np.isnan(result[0]) and result[1] == 0.3048
    assert cv_units.convert([1, 2.0], "km", "m") == [1000.0, 2000.0]
    assert cv_units.convert([36.6], "degC", "degF") == [cv_units.convert(36.6, "degC", "degF")]
    assert cv_units.convert((), "km", "m") == []


def test_converter_exact_and_call():
    c = cv_units.Converter("degC", "degF")
    assert (c.scale, c.offset, c.inverted) == (1.8, 32.0, False)
    assert (c.exact, c.exact_offset) == (Fraction(9, 5), Fraction(32))
    assert c(100) == 212.0 and c([0]) == [32.0]
    assert cv_units.Converter("Ym^3", "m^3").exact == Fraction(10**72)
    assert cv_units.Converter("Hz", "s").exact is None
    assert cv_units.Converter("deg", "rad").exact is None


@pytest.mark.parametrize("a, b, code, name, convertible", [
    ("m", "m", 0, "Equivalent", True),
    ("Hz", "s", 7, "ReciprocalUnits", True),
    ("m", "s", 1, "IncompatibleUnits", False),
    ("sekond", "s", 8, "UnresolvedUnits", False),
])
def test_compare(a, b, code, name, convertible):
    r = cv_units.compare(a, b)
    assert (r.code, r.name, r.convertible) == (code, name, convertible)
    assert r.explanation


def test_comparison_explains():
    r = cv_units.compare("m/s", "m")
    assert r.a_dimensions == "m*s^-1" and "multiply" in r.fix
    assert cv_units.compare("sekond", "s").unknown["sekond"][0] == "second"


@pytest.mark.parametrize("value, from_unit, to_unit, identifier, column", [
    (1, "m*/s", "m", "CorvaneTypes:Unit:InvalidUnitExpression", 3),
    (1, "m", "s", "CorvaneTypes:Unit:UnitsNotConvertible", None),
    (1, "m\0s", "m", "CvUnits:NulInText", 2),
    (1, "m\ud800", "m", "CvUnits:InvalidEncoding", 2),
    (1, "", "m", "CorvaneTypes:Unit:CannotConvertUnspecified", None),
])
def test_unit_errors(value, from_unit, to_unit, identifier, column):
    with pytest.raises(cv_units.UnitError) as caught:
        cv_units.convert(value, from_unit, to_unit)
    assert isinstance(caught.value, ValueError)
    assert caught.value.identifier == identifier and caught.value.column == column


def test_parse_errors_show_the_caret_and_unknown_symbols_suggestions():
    with pytest.raises(cv_units.UnitError) as caught:
        cv_units.convert(1, "m*/s", "m")
    assert "m*/s\n    ^" in str(caught.value)
    with pytest.raises(cv_units.UnitError) as caught:
        cv_units.convert(1, "metre/sekond", "m/s")
    assert caught.value.suggestions["sekond"][0] == "second"


@pytest.mark.parametrize("value, from_unit, to_unit", [
    (1, b"m", "m"),
    (1, None, "m"),
    (None, "m", "m"),
    ("1", "m", "m"),
    (1j, "m", "m"),
    (object(), "m", "m"),
    ([1, "2"], "m", "m"),
    ([[1]], "m", "m"),
    (np.array(["1"]), "m", "m"),
    (np.array([1j]), "m", "m"),
    (np.array([None]), "m", "m"),
])
def test_type_errors(value, from_unit, to_unit):
    with pytest.raises(TypeError):
        cv_units.convert(value, from_unit, to_unit)


def test_threads_convert_at_once():
    values = np.linspace(0, 1000, 100_000)
    wrong = []

    def work(unit):
        for _ in range(20):
            if not np.array_equal(cv_units.convert(values, unit, "m"),
                                  cv_units.Converter(unit, "m")(values)):
                wrong.append(unit)

    threads = [threading.Thread(target=work, args=(u,)) for u in ("ft", "km", "mi", "in")]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert wrong == []


def test_contexts_hold_user_databases():
    plain = cv_units.Units()
    with pytest.raises(cv_units.UnitError):
        plain.convert(1, "fpf", "m/s")
    shop = cv_units.Units()
    shop.add_database(SHOP)
    assert shop.convert(1, "fpf", "mm/h") == pytest.approx(598.7142857142857)
    assert shop.compare("fpf", "m/s").convertible
    del shop
    with pytest.raises(cv_units.UnitError):
        plain.convert(1, "fpf", "m/s")
    with pytest.raises(cv_units.UnitError) as caught:
        plain.add_database("/no/such/file.xml")
    assert caught.value.identifier == "CvUnits:NoSuchDatabaseFile"


def test_what_the_databases_hold():
    assert {"m", "ft", "°C"} <= set(cv_units.units())
    assert "length" in cv_units.quantities() and "k" in cv_units.prefixes()
    assert cv_units.info("ft")["name"] == "foot" and cv_units.info("ft")["quantity"] == "length"
    assert cv_units.info("k")["kind"] == "prefix"
    with pytest.raises(cv_units.UnitError) as caught:
        cv_units.info("sekond")
    assert caught.value.suggestions["sekond"][0] == "second"
