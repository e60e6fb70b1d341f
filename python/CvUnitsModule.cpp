// The Python extension module `cv_units._cv_units`, wrapped by the package
// `cv_units` (python/cv_units/__init__.py). Values convert in C++ with the
// GIL released; texts must be `str`; every refusal is `cv_units.UnitError`.

#include "units/cv_units.hpp"
#include "units/db/UnitDBManager.hpp"
#include "units/db/UnitDBSet.hpp"
#include "units/frontdoor/ComparisonExplanation.hpp"
#include "units/frontdoor/UnitErrors.hpp"
#include "units/model/Unit.hpp"
#include "units/platform/TextServices.hpp"
#include "units/query/UnitTable.hpp"

#include <map>
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>
#include <set>
#include <string>
#include <vector>

namespace py = pybind11;

namespace {

using CvUnitSys::TextServices;
using CvUnitSys::UnitBase;

// The UnitError class object, made when the module is imported.
PyObject* unitErrorType = nullptr;

constexpr const char* completeDoc =
    "What an editor offers while a unit text is typed: {'completes': the text before the word "
    "being completed, 'suggestions': [{'kind', 'symbol', 'name', 'quantity'}, ...]}, units (or "
    "physical quantities after '@') that unit definitions use beside the symbols already typed "
    "first.";
constexpr const char* suggestDoc =
    "Units (with quantities=True, physical quantities) within two edits of a misspelt word, case "
    "aside, the closest first.";
constexpr const char* similarDoc =
    "The units of the same physical quantity as `unit` (a unit text or '@quantity') and of the "
    "quantities related to it: {'quantity': its name or None, 'units': [...]}.";
constexpr const char* searchDoc =
    "Every stored unit, physical quantity and prefix whose name or symbol contains `word`, case "
    "aside, as dicts {'kind', 'symbol', 'name', 'quantity'}.";
constexpr const char* propagateDoc =
    "propagate(expr, mode='error', quotient_format=0, /, **operands): the unit of a value "
    "computed by `expr` (+ - * /, ^ with a rational power, parentheses) from operands whose "
    "units are keywords: propagate('p*V/(n*T)', p='kPa', V='L', n='mol', T='K'). Returns "
    "{'unit', 'quantity', 'conversions'}. With mode 'error' an operation whose operands need "
    "converting (adding m to km) raises UnitError; with 'convert' every operand is converted to "
    "fundamental units and `conversions` lists them. quotient_format writes a quotient as "
    "a/(b*c) (0), a/b/c (1) or a*b^-1*c^-1 (2).";
constexpr const char* calcDoc =
    "The value of arithmetic over quantities ('3 ft + 2 m', '(100 km)/(2 h)'), in `to` or in "
    "the unit propagation gives: {'value', 'unit', 'quantity', 'exact' (a Fraction or None), "
    "'text'}.";

// A unit text as UTF-8. Lone surrogates pass through as the bytes they would
// have, so that the front door refuses them with a column rather than Python
// failing with an encoding error that names no unit.
std::string unitText(const py::handle& text, const char* argument) {
    if (!PyUnicode_Check(text.ptr())) {
        throw py::type_error(std::string(argument) + " must be a str, not " +
                             std::string(py::str(py::type::of(text).attr("__name__"))));
    }
    const py::object bytes = py::reinterpret_steal<py::object>(
        PyUnicode_AsEncodedString(text.ptr(), "utf-8", "surrogatepass"));
    if (!bytes) {
        throw py::error_already_set();
    }
    return std::string(PyBytes_AS_STRING(bytes.ptr()),
                       static_cast<std::size_t>(PyBytes_GET_SIZE(bytes.ptr())));
}

bool isRealNumber(const py::handle& value) {
    if (PyFloat_Check(value.ptr()) || PyLong_Check(value.ptr())) {
        return true;
    }
    static const py::object real = py::module_::import("numbers").attr("Real");
    return py::isinstance(value, real);
}

double realNumber(const py::handle& value, const std::string& what) {
    if (!isRealNumber(value)) {
        throw py::type_error(what + " must be a real number, not " +
                             std::string(py::str(py::type::of(value).attr("__name__"))));
    }
    const double result = PyFloat_AsDouble(value.ptr());
    if (result == -1.0 && PyErr_Occurred()) {
        throw py::error_already_set();
    }
    return result;
}

// Integers, unsigned integers, floats and booleans convert; strings, complex
// numbers and objects do not.
py::array_t<double> numericArray(const py::array& values) {
    const char kind = values.dtype().kind();
    if (kind != 'f' && kind != 'i' && kind != 'u' && kind != 'b') {
        throw py::type_error("arrays of dtype " + std::string(py::str(values.dtype())) +
                             " do not convert: only real numbers do");
    }
    return py::array_t<double, py::array::c_style | py::array::forcecast>::ensure(values);
}

py::array convertArray(const cv_units::Converter& converter, const py::array& values) {
    const py::array_t<double, py::array::c_style | py::array::forcecast> in = numericArray(values);
    py::array_t<double> out(std::vector<py::ssize_t>(in.shape(), in.shape() + in.ndim()));
    const std::size_t n = static_cast<std::size_t>(in.size());
    const double* source = in.data();
    double* target = out.mutable_data();
    {
        const py::gil_scoped_release release;
        converter(std::span<const double>(source, n), std::span<double>(target, n));
    }
    return out;
}

// A float, a list or tuple of numbers, or an array of any shape.
py::object convertValues(const cv_units::Converter& converter, const py::handle& values) {
    if (py::isinstance<py::array>(values)) {
        return convertArray(converter, py::reinterpret_borrow<py::array>(values));
    }
    if (PyList_Check(values.ptr()) || PyTuple_Check(values.ptr())) {
        // One value at a time, as a float converts: lists are short, and each
        // element then equals its own conversion.
        const py::sequence sequence = py::reinterpret_borrow<py::sequence>(values);
        py::list out(sequence.size());
        for (std::size_t i = 0; i < sequence.size(); ++i) {
            out[i] = converter(realNumber(sequence[i], "element " + std::to_string(i)));
        }
        return out;
    }
    return py::float_(converter(realNumber(values, "the value")));
}

py::object fraction(const cv_units::Rational& r) {
    static const py::object make = py::module_::import("fractions").attr("Fraction");
    return make(py::int_(py::str(r.numerator)), py::int_(py::str(r.denominator)));
}

py::dict suggestionsDict(const std::vector<cv_units::Suggestion>& suggestions) {
    py::dict out;
    for (const auto& s : suggestions) {
        out[py::str(s.symbol)] = py::cast(s.candidates);
    }
    return out;
}

void raiseUnitError(const cv_units::UnitError& e) {
    const py::object error = py::reinterpret_borrow<py::object>(unitErrorType)(e.what());
    error.attr("identifier") = e.identifier();
    error.attr("column") = e.column() == 0 ? py::none() : py::object(py::int_(e.column()));
    error.attr("suggestions") = suggestionsDict(e.suggestions());
    PyErr_SetObject(unitErrorType, error.ptr());
}

struct PyComparison {
    cv_units::Comparison c;
};

// The entity's texts, and the database that defines it when that is known.
py::dict entityInfo(const UnitBase& entity, const char* kind, const std::string& database) {
    py::dict out;
    out["kind"] = kind;
    out["name"] = TextServices::toUtf8(entity.getName());
    out["symbol"] = TextServices::toUtf8(entity.getSymbol());
    out["ascii_symbol"] = TextServices::toUtf8(entity.getAsciiSymbol());
    if (!database.empty()) {
        out["database"] = database;
    }
    return out;
}

CvUnitSys::UnitDBSet& currentSet() {
    return cv_units::defaultUnits().table().getUnitDBSetForQuery();
}

std::string databaseOf(CvUnitSys::UnitDBSet& set, const ustring& symbol) {
    const ustring name = set.getDefiningDatabaseName(symbol);
    return CvUnitSys::UnitDatabase::getUnitDatabase()->getName() == name
               ? std::string("built-in")
               : TextServices::toUtf8(name);
}

py::dict info(const py::handle& symbolObject) {
    const std::string symbol = unitText(symbolObject, "symbol");
    cv_units::checkText(symbol);
    const ustring text = TextServices::fromUtf8(symbol);
    CvUnitSys::UnitDBSet& set = currentSet();
    if (const auto units = set.findUnit(text); !units.empty()) {
        const UnitBase& unit = *units.begin();
        py::dict out = entityInfo(unit, "unit", databaseOf(set, text));
        const UnitBase* quantity = static_cast<const CvUnitSys::Unit&>(unit).getPhysicalQuantity();
        out["quantity"] = quantity != nullptr && !quantity->getName().empty()
                              ? py::object(py::str(TextServices::toUtf8(quantity->getName())))
                              : py::none();
        return out;
    }
    if (const auto quantities = set.findPhysicalQuantity(text); !quantities.empty()) {
        return entityInfo(*quantities.begin(), "quantity", std::string());
    }
    for (const CvUnitSys::UnitPrefix& prefix : set.getAllPrefixes()) {
        if (prefix.getSymbol() == text || prefix.getName() == text) {
            py::dict out;
            out["kind"] = "prefix";
            out["name"] = TextServices::toUtf8(prefix.getName());
            out["symbol"] = TextServices::toUtf8(prefix.getSymbol());
            out["ascii_symbol"] = TextServices::toUtf8(prefix.getAsciiSymbol());
            out["factor"] = TextServices::toUtf8(prefix.getConversionFactor().first);
            return out;
        }
    }
    CvUnitSys::UnitTable& table = cv_units::defaultUnits().table();
    std::optional<cv_units::SymbolSuggestions> suggestions;
    const std::int32_t id = table.registerUnit(text, false, false);
    const std::string message =
        "'" + symbol + "' is not a unit, quantity or prefix of the databases";
    throw cv_units::UnitError("CorvaneTypes:Unit:UnitNotInDatabase", message, message, 0,
                              cv_units::unknownSymbols(table, id, suggestions));
}

// Symbols (names for quantities) of every database, sorted, each once.
template <typename List> std::vector<std::string> sortedTexts(const List& entities, bool names) {
    std::set<std::string> texts;
    for (const auto& entry : entities) {
        const auto& entity = entry.get();
        texts.insert(TextServices::toUtf8(names ? entity.getName() : entity.getSymbol()));
    }
    return {texts.begin(), texts.end()};
}

std::vector<std::string> storedUnits() {
    currentSet();
    std::set<std::string> texts;
    CvUnitSys::UnitDBManager::m_UnitDBManager.iterateAll([&](const CvUnitSys::UnitDatabase& db) {
        for (const UnitBase& unit : db.getAllUnits()) {
            texts.insert(TextServices::toUtf8(unit.getSymbol()));
        }
    });
    return {texts.begin(), texts.end()};
}

py::object textOrNone(const std::string& text) {
    return text.empty() ? py::none() : py::object(py::str(text));
}

py::dict entryDict(const cv_units::Entry& e) {
    py::dict out;
    out["kind"] = e.kind;
    out["symbol"] = e.symbol;
    out["name"] = e.name;
    out["quantity"] = textOrNone(e.quantity);
    return out;
}

py::list entryList(const std::vector<cv_units::Entry>& entries) {
    py::list out;
    for (const cv_units::Entry& e : entries) {
        out.append(entryDict(e));
    }
    return out;
}

py::dict complete(cv_units::Units& u, const py::handle& text) {
    const cv_units::Completion c = u.complete(unitText(text, "text"));
    py::dict out;
    out["completes"] = c.completes;
    out["suggestions"] = entryList(c.entries);
    return out;
}

std::vector<std::string> suggest(cv_units::Units& u, const py::handle& word, bool quantities) {
    return u.suggest(unitText(word, "word"), quantities);
}

py::dict similar(cv_units::Units& u, const py::handle& unit) {
    const cv_units::SimilarUnits s = u.similar(unitText(unit, "unit"));
    py::dict out;
    out["quantity"] = textOrNone(s.quantity);
    out["units"] = py::cast(s.units);
    return out;
}

py::list search(cv_units::Units& u, const py::handle& word) {
    return entryList(u.search(unitText(word, "word")));
}

// propagate(expr, mode="error", quotient_format=0, /, **operands). Everything
// but the operands is positional, so that an operand may have any name.
py::dict propagate(cv_units::Units& u, const py::args& args, const py::kwargs& operands) {
    if (args.empty() || args.size() > 3) {
        throw py::type_error("propagate() takes the expression, and at most the mode and the "
                             "quotient format, as positional arguments; operands are keywords");
    }
    const std::string text = unitText(args[0], "expr");
    cv_units::PropagationOptions options;
    if (args.size() > 1) {
        const std::string mode = unitText(args[1], "mode");
        if (mode != "error" && mode != "convert") {
            throw py::value_error("mode must be 'error' or 'convert', not '" + mode + "'");
        }
        options.convertOperands = mode == "convert";
    }
    if (args.size() > 2) {
        if (!PyLong_Check(args[2].ptr()) || PyBool_Check(args[2].ptr())) {
            throw py::type_error("quotient_format must be an int");
        }
        int overflow = 0;
        const long format = PyLong_AsLongAndOverflow(args[2].ptr(), &overflow);
        if (overflow != 0 || format < 0 || format > 2) {
            throw py::value_error("quotient_format must be 0, 1 or 2");
        }
        options.quotientFormat = static_cast<int>(format);
    }
    std::map<std::string, std::string, std::less<>> units;
    for (const auto& [name, unit] : operands) {
        const std::string operand = unitText(name, "an operand name");
        units[operand] = unitText(unit, ("the unit of " + operand).c_str());
    }
    const cv_units::Propagation p = u.propagate(text, units, options);
    py::list conversions;
    for (const cv_units::Propagation::Conversion& c : p.conversions) {
        py::dict conversion;
        conversion["operand"] = c.operand;
        conversion["from"] = c.from;
        conversion["to"] = c.to;
        conversions.append(conversion);
    }
    py::dict out;
    out["unit"] = p.unit;
    out["quantity"] = textOrNone(p.quantity);
    out["conversions"] = conversions;
    return out;
}

py::dict calc(cv_units::Units& u, const py::handle& expression, const py::handle& to) {
    const std::string text = unitText(expression, "expr");
    const cv_units::Calculation c = to.is_none() ? u.calc(text) : u.calc(text, unitText(to, "to"));
    py::dict out;
    out["value"] = c.value;
    out["unit"] = c.unit;
    out["quantity"] = textOrNone(c.quantity);
    out["exact"] = c.exact ? fraction(*c.exact) : py::none();
    out["text"] = c.text();
    return out;
}

} // namespace

PYBIND11_MODULE(_cv_units, m) {
    m.doc() = "Units of measure: conversions, comparisons and what the unit databases hold.";

    const py::object error = py::reinterpret_steal<py::object>(PyErr_NewExceptionWithDoc(
        "cv_units.UnitError",
        "A unit text or a conversion was refused. `identifier` names the message, `column` is "
        "the 1-based column of a parse error (or None), `suggestions` maps each unknown symbol "
        "to the closest known ones.",
        PyExc_ValueError, nullptr));
    unitErrorType = error.ptr();
    m.attr("UnitError") = error;
    py::register_exception_translator([](std::exception_ptr p) {
        try {
            if (p) {
                std::rethrow_exception(p);
            }
        } catch (const cv_units::UnitError& e) {
            raiseUnitError(e);
        }
    });

    py::class_<cv_units::Converter>(m, "Converter",
                                    "The conversion from one unit to another, made once and "
                                    "applied many times: output = scale * input + offset, or "
                                    "scale / input + offset when inverted.")
        .def(py::init([](const py::handle& from, const py::handle& to) {
                 return cv_units::Converter(unitText(from, "from_unit"), unitText(to, "to_unit"));
             }),
             py::arg("from_unit"), py::arg("to_unit"))
        .def_property_readonly("scale", &cv_units::Converter::scale)
        .def_property_readonly("offset", &cv_units::Converter::offset)
        .def_property_readonly("inverted", &cv_units::Converter::inverted)
        .def_property_readonly(
            "exact",
            [](const cv_units::Converter& c) {
                return c.exact() ? fraction(c.exact()->scale) : py::none();
            },
            "The scale as a fractions.Fraction when both units are defined exactly, else None.")
        .def_property_readonly(
            "exact_offset",
            [](const cv_units::Converter& c) {
                return c.exact() ? fraction(c.exact()->offset) : py::none();
            },
            "The offset as a fractions.Fraction when the scale is exact, else None.")
        .def_property_readonly("from_unit", &cv_units::Converter::from)
        .def_property_readonly("to_unit", &cv_units::Converter::to)
        .def(
            "__call__",
            [](const cv_units::Converter& c, const py::handle& values) {
                return convertValues(c, values);
            },
            py::arg("values"),
            "Converts a number (a float back), a list or tuple (a list back) or a NumPy array of "
            "any shape (a float64 array of that shape back).")
        .def("__repr__", [](const cv_units::Converter& c) {
            return "Converter('" + c.from() + "', '" + c.to() + "')";
        });

    py::class_<PyComparison>(m, "Comparison",
                             "How two units relate, and what to do when they "
                             "do not convert.")
        .def_property_readonly("code", [](const PyComparison& p) { return p.c.code; })
        .def_property_readonly("name", [](const PyComparison& p) { return p.c.name; })
        .def_property_readonly("explanation", [](const PyComparison& p) { return p.c.explanation; })
        .def_property_readonly("convertible", [](const PyComparison& p) { return p.c.convertible; })
        .def_property_readonly("a_dimensions",
                               [](const PyComparison& p) { return p.c.aDimensions; })
        .def_property_readonly("b_dimensions",
                               [](const PyComparison& p) { return p.c.bDimensions; })
        .def_property_readonly("differences", [](const PyComparison& p) { return p.c.differences; })
        .def_property_readonly("fix", [](const PyComparison& p) { return p.c.fix; })
        .def_property_readonly("unknown",
                               [](const PyComparison& p) { return suggestionsDict(p.c.unknown); })
        .def("__repr__", [](const PyComparison& p) {
            return "Comparison(code=" + std::to_string(p.c.code) + ", name='" + p.c.name + "')";
        });

    m.def(
        "convert",
        [](const py::handle& values, const py::handle& from, const py::handle& to) {
            const cv_units::Converter& c = cv_units::defaultUnits().converter(
                unitText(from, "from_unit"), unitText(to, "to_unit"));
            return convertValues(c, values);
        },
        py::arg("value"), py::arg("from_unit"), py::arg("to_unit"),
        "Converts a number, a list or tuple of numbers, or a NumPy array of any shape from "
        "`from_unit` to `to_unit`.");
    m.def(
        "compare",
        [](const py::handle& a, const py::handle& b) {
            return PyComparison{cv_units::compare(unitText(a, "a"), unitText(b, "b"))};
        },
        py::arg("a"), py::arg("b"), "How unit `a` relates to unit `b`.");
    m.def("info", &info, py::arg("symbol"),
          "What the databases know about a unit, quantity or prefix, as a dict.");
    m.def("units", &storedUnits, "The symbols of the stored units (prefixed forms left out).");
    m.def(
        "quantities", [] { return sortedTexts(currentSet().getAllPhysicalQuantities(), true); },
        "The names of the physical quantities.");
    m.def(
        "prefixes", [] { return sortedTexts(currentSet().getAllPrefixes(), false); },
        "The symbols of the unit prefixes.");
    m.def(
        "complete", [](const py::handle& text) { return complete(cv_units::defaultUnits(), text); },
        py::arg("text"), completeDoc);
    m.def(
        "suggest",
        [](const py::handle& word, bool quantities) {
            return suggest(cv_units::defaultUnits(), word, quantities);
        },
        py::arg("word"), py::kw_only(), py::arg("quantities") = false, suggestDoc);
    m.def(
        "similar", [](const py::handle& unit) { return similar(cv_units::defaultUnits(), unit); },
        py::arg("unit"), similarDoc);
    m.def(
        "search", [](const py::handle& word) { return search(cv_units::defaultUnits(), word); },
        py::arg("word"), searchDoc);
    m.def(
        "propagate",
        [](const py::args& args, const py::kwargs& operands) {
            return propagate(cv_units::defaultUnits(), args, operands);
        },
        propagateDoc);
    m.def(
        "calc",
        [](const py::handle& expression, const py::handle& to) {
            return calc(cv_units::defaultUnits(), expression, to);
        },
        py::arg("expr"), py::arg("to") = py::none(), calcDoc);
    m.def(
        "add_database",
        [](const py::handle& path) { cv_units::addDatabase(unitText(path, "path")); },
        py::arg("path"), "Adds a user-defined unit database file for the rest of the process.");

    py::class_<cv_units::Units>(m, "Units",
                                "A context: a unit table of its own and the user databases it "
                                "added, which stay until it is garbage-collected. Use one from "
                                "one thread at a time.")
        .def(py::init<>())
        .def(
            "add_database",
            [](cv_units::Units& u, const py::handle& path) {
                u.addDatabase(unitText(path, "path"));
            },
            py::arg("path"))
        .def(
            "convert",
            [](cv_units::Units& u, const py::handle& values, const py::handle& from,
               const py::handle& to) {
                const cv_units::Converter c =
                    u.converter(unitText(from, "from_unit"), unitText(to, "to_unit"));
                return convertValues(c, values);
            },
            py::arg("value"), py::arg("from_unit"), py::arg("to_unit"))
        .def(
            "converter",
            [](cv_units::Units& u, const py::handle& from, const py::handle& to) {
                return u.converter(unitText(from, "from_unit"), unitText(to, "to_unit"));
            },
            py::arg("from_unit"), py::arg("to_unit"))
        .def(
            "compare",
            [](cv_units::Units& u, const py::handle& a, const py::handle& b) {
                return PyComparison{u.compare(unitText(a, "a"), unitText(b, "b"))};
            },
            py::arg("a"), py::arg("b"))
        .def("complete", &complete, py::arg("text"), completeDoc)
        .def("suggest", &suggest, py::arg("word"), py::kw_only(), py::arg("quantities") = false,
             suggestDoc)
        .def("similar", &similar, py::arg("unit"), similarDoc)
        .def("search", &search, py::arg("word"), searchDoc)
        .def("propagate", &propagate, propagateDoc)
        .def("calc", &calc, py::arg("expr"), py::arg("to") = py::none(), calcDoc);
}
