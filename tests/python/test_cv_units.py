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


@pytest.mark.parametrize("call, args, kwargs, identifier, column", [
    (cv_units.convert, (1, "m*/s", "m"), {}, "CorvaneTypes:Unit:InvalidUnitExpression", 3),
    (cv_units.convert, (1, "m", "s"), {}, "CorvaneTypes:Unit:UnitsNotConvertible", None),
    (cv_units.convert, (1, "m\0s", "m"), {}, "CvUnits:NulInText", 2),
    (cv_units.convert, (1, "m\ud800", "m"), {}, "CvUnits:InvalidEncoding", 2),
    (cv_units.convert, (1, "", "m"), {}, "CorvaneTypes:Unit:CannotConvertUnspecified", None),
    (cv_units.complete, ("m\ud800",), {}, "CvUnits:InvalidEncoding", 2),
    (cv_units.suggest, ("m\0",), {}, "CvUnits:NulInText", 2),
    (cv_units.calc, ("1 m\0",), {}, "CvUnits:NulInText", 4),
    (cv_units.calc, ("2 * * 3",), {}, "cvunits:ExpressionSyntax", 5),
    (cv_units.calc, ("1 m / (2 s - 2 s)",), {}, "cvunits:DivisionByZero", None),
    (cv_units.calc, ("1 m", "s"), {}, "CorvaneTypes:Unit:UnitsNotConvertible", None),
    (cv_units.propagate, ("a + q",), {"a": "m"}, "cvunits:UnknownOperand", None),
    (cv_units.propagate, ("a",), {"a": "m\ud800"}, "CvUnits:InvalidEncoding", 2),
    (cv_units.propagate, ("a", "fast"), {"a": "m"}, None, None),
    (cv_units.propagate, ("a",), {"a": ""}, "cvunits:UnresolvedUnit", None),
])
def test_value_errors(call, args, kwargs, identifier, column):
    with pytest.raises(ValueError) as caught:
        call(*args, **kwargs)
    assert getattr(caught.value, "identifier", None) == identifier
    assert getattr(caught.value, "column", None) == column


def test_parse_errors_show_the_caret_and_unknown_symbols_suggestions():
    with pytest.raises(cv_units.UnitError) as caught:
        cv_units.convert(1, "m*/s", "m")
    assert "m*/s\n    ^" in str(caught.value)
    with pytest.raises(cv_units.UnitError) as caught:
        cv_units.convert(1, "metre/sekond", "m/s")
    assert caught.value.suggestions["sekond"][0] == "second"


@pytest.mark.parametrize("call, args, kwargs", [
    (cv_units.convert, (1, b"m", "m"), {}),
    (cv_units.convert, (1, None, "m"), {}),
    (cv_units.convert, (None, "m", "m"), {}),
    (cv_units.convert, ("1", "m", "m"), {}),
    (cv_units.convert, (1j, "m", "m"), {}),
    (cv_units.convert, (object(), "m", "m"), {}),
    (cv_units.convert, ([1, "2"], "m", "m"), {}),
    (cv_units.convert, ([[1]], "m", "m"), {}),
    (cv_units.convert, (np.array(["1"]), "m", "m"), {}),
    (cv_units.convert, (np.array([1j]), "m", "m"), {}),
    (cv_units.convert, (np.array([None]), "m", "m"), {}),
    (cv_units.complete, (b"m",), {}),
    (cv_units.suggest, (None,), {}),
    (cv_units.similar, (1,), {}),
    (cv_units.search, (["m"],), {}),
    (cv_units.calc, (None,), {}),
    (cv_units.calc, ("1 m", b"cm"), {}),
    (cv_units.propagate, (b"a",), {"a": "m"}),
    (cv_units.propagate, ("a",), {"a": None}),
    (cv_units.propagate, ("a",), {"a": 1}),
    (cv_units.propagate, (), {"a": "m"}),
    (cv_units.propagate, ("a", "convert", True), {"a": "m"}),
])
def test_type_errors(call, args, kwargs):
    with pytest.raises(TypeError):
        call(*args, **kwargs)


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
    assert "tray" in shop.suggest("trya") and "fps" in shop.similar("fpf")["units"]
    assert shop.calc("1 fpf", "mm/h")["value"] == pytest.approx(598.7142857142857)
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


@pytest.mark.parametrize("text, completes, first", [
    ("N*m", "N*", {"kind": "unit", "symbol": "m", "name": "metre", "quantity": "length"}),
    ("kg*m/s^", "kg*m/", {"kind": "unit", "symbol": "s", "name": "second", "quantity": "time"}),
    ("degC@thermo", "degC@", {"kind": "physical quantity", "symbol": "thermodynamic_temperature",
                              "name": "thermodynamic_temperature", "quantity": None}),
])
def test_complete(text, completes, first):
    result = cv_units.complete(text)
    assert result["completes"] == completes and result["suggestions"][0] == first


def test_suggest_similar_search():
    assert cv_units.suggest("KM")[0] == "km"
    assert "length" in cv_units.suggest("lenght", quantities=True)
    assert cv_units.suggest("qqqqqqqqqq") == [] and cv_units.complete("")["completes"] == ""
    mph = cv_units.similar("mph")
    assert mph["quantity"] == "velocity" and "m/s" in mph["units"]
    assert "km/h" in cv_units.similar("@velocity")["units"]
    # Aliases with an ASCII symbol are listed by their symbol, never as an empty text.
    ohms = cv_units.similar("@electric_resistance")["units"]
    assert "" not in ohms and "kΩ" in ohms and "" not in cv_units.similar("ft")["units"]
    assert cv_units.similar("m/s")["quantity"] is None and cv_units.similar("")["units"] == []
    assert {"kind": "unit", "symbol": "mi", "name": "mile", "quantity": "length"} \
        in cv_units.search("MILE")
    # Units, then quantities, then prefixes.
    kinds = [entry["kind"] for entry in cv_units.search("kilo")]
    group = {"unit": 0, "prefixed unit": 0, "physical quantity": 1, "prefix": 2}
    assert kinds == sorted(kinds, key=group.get)
    assert "prefix" in kinds and "unit" in kinds


@pytest.mark.parametrize("args, operands, unit, quantity, conversions", [
    (("p*V/(n*T)",), {"p": "kPa", "V": "L", "n": "mol", "T": "K"}, "L*kPa/(K*mol)", None, []),
    (("m*a",), {"m": "kg", "a": "m/s^2"}, "N", "force", []),
    (("a + b", "convert"), {"a": "m", "b": "km"}, "m", "length",
     [{"operand": "b", "from": "km", "to": "m"}]),
    (("x/(y*z^2)", "error", 2), {"x": "m", "y": "s", "z": "K"}, "m*K^-2*s^-1", None, []),
    (("expr * mode",), {"expr": "m", "mode": "m"}, "m^2", None, []),
])
def test_propagate(args, operands, unit, quantity, conversions):
    result = cv_units.propagate(*args, **operands)
    assert (result["unit"], result["quantity"], result["conversions"]) == \
        (unit, quantity, conversions)


@pytest.mark.parametrize("expr, to, value, exact, text", [
    ("3 ft + 2 m", "cm", 291.44, Fraction(7286, 25), "291.44 cm"),
    ("(100 km)/(2 h)", "m/s", 13.88888888888889, Fraction(125, 9),
     "13.88888888888889 m/s (exactly 125/9)"),
    ("20 degC + 5 K", "degC", 25.0, Fraction(25), "25 degC"),
    ("3 * 4 / 8", None, 1.5, Fraction(3, 2), "1.5"),
    ("1 rad", "deg", 57.29577951308232, None, "57.29577951308232 deg"),
])
def test_calc(expr, to, value, exact, text):
    result = cv_units.calc(expr, to)
    assert (result["value"], result["exact"], result["text"]) == (value, exact, text)


@pytest.mark.parametrize("call, args, kwargs, message", [
    (cv_units.propagate, ("a + b",), {"a": "m", "b": "km"}, "cannot add a and b: "),
    (cv_units.calc, ("3 ft + 2 kg",), {}, "cannot add 3 ft and 2 kg: "),
])
def test_refusals_name_the_operation(call, args, kwargs, message):
    with pytest.raises(cv_units.UnitError) as caught:
        call(*args, **kwargs)
    assert str(caught.value).startswith(message)
