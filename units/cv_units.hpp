#pragma once

// The front door of the library: convert values between units, compare units,
// and read errors a person can act on, with UTF-8 text in and out. Hosts that
// need the full class interface (namespace CvUnitSys) reach it through
// `Units::table()`; docs/library.md says how the two meet.
//
// Threads:
// - `Converter` and `Comparison` are values: once made they may be used from
//   any number of threads at once.
// - A `Units` context is used by one thread at a time, like the unit table it owns.
// - The free functions (`convert`, `compare`, the suggestion and expression
//   calls, the `Converter` constructor without a context) use `defaultUnits()`,
//   a context of the calling thread's own, so any thread may call them at any time.
// - User databases are known to the whole process: a database one context adds
//   is seen by every context until the last context that added it is destroyed;
//   one added with the free function `addDatabase` stays for the whole process.

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace CvUnitSys {
class UnitTable;
}

namespace cv_units {

// Unknown symbols of a unit text, each with the known symbols and names closest
// to it (closest first; empty when nothing is close).
struct Suggestion {
    std::string symbol;
    std::vector<std::string> candidates;
};

// The one exception of the front door. `identifier` names the message
// ("CorvaneTypes:Unit:UnitsNotConvertible", "CvUnits:InvalidEncoding", ...);
// `what()` is the whole message in English, every cause on its own line and a
// caret under the column of a parse error.
class UnitError : public std::runtime_error {
public:
    UnitError(std::string identifier, const std::string& message, std::string summary,
              std::size_t column = 0, std::vector<Suggestion> suggestions = {});

    const std::string& identifier() const noexcept { return identifier_; }
    // The message and its causes on one line, for line-oriented output.
    const std::string& summary() const noexcept { return summary_; }
    // 1-based column of a parse error in the unit text; 0 when there is none.
    std::size_t column() const noexcept { return column_; }
    const std::vector<Suggestion>& suggestions() const noexcept { return suggestions_; }

private:
    std::string identifier_;
    std::string summary_;
    std::size_t column_;
    std::vector<Suggestion> suggestions_;
};

// An exact rational number in decimal digits: numerator with a leading '-'
// when negative, denominator positive. Digits rather than an integer type,
// because prefixes and powers outgrow 64 bits (Ym^3 to m is 10^72).
struct Rational {
    std::string numerator;
    std::string denominator;

    // "381/1250", or "32" when the denominator is 1.
    std::string text() const;
};

// output = scale * input + offset, exactly.
struct ExactConversion {
    Rational scale;
    Rational offset;

    // "381/1250", "9/5*x + 32", "x - 5463/20".
    std::string text() const;
};

struct ConverterAccess;

// The conversion from one unit to another, made once and applied many times:
// output = scale * input + offset, or scale / input + offset when inverted.
// Values that are NaN or infinite give what that arithmetic gives.
class Converter {
public:
    // Uses this thread's default context. Throws UnitError when a text is not a
    // unit or the units do not convert.
    Converter(std::string_view from, std::string_view to);

    double scale() const noexcept { return scale_; }
    double offset() const noexcept { return offset_; }
    bool inverted() const noexcept { return inverted_; }
    // The exact factor when both units are defined by exact numbers and no
    // inversion or relation between quantities is involved.
    const std::optional<ExactConversion>& exact() const noexcept { return exact_; }
    const std::string& from() const noexcept { return from_; }
    const std::string& to() const noexcept { return to_; }

    // One value. With an exact factor the result is rounded once (60 degRo is
    // exactly 100 degC); otherwise it is the double arithmetic above.
    double operator()(double value) const noexcept;
    // Many values in the double arithmetic above, in a loop the compiler
    // vectorises; the results may differ from the one-value call in the last
    // bit. `out` may be `values` itself; it must be at least as long.
    void operator()(std::span<const double> values, std::span<double> out) const;
    void operator()(std::span<double> values) const noexcept;

private:
    friend struct ConverterAccess;
    Converter() = default;

    double scale_ = 1.0;
    double offset_ = 0.0;
    bool inverted_ = false;
    long double exactScale_ = 1.0L;
    long double exactOffset_ = 0.0L;
    std::optional<ExactConversion> exact_;
    std::string from_;
    std::string to_;
};

// How two units relate, with what to do when they do not convert.
struct Comparison {
    // 0 Equivalent, 1 IncompatibleUnits, 2 DifferentPhysicalQuantities,
    // 3 InheritCompatible, 4 CanonicalScalingFactorDifference,
    // 5 DimensionallyInequivalent, 6 DifferentOffsets, 7 ReciprocalUnits,
    // 8 UnresolvedUnits, 9 MixedUnits.
    int code = 0;
    std::string name;        // "ReciprocalUnits"
    std::string explanation; // "the units are reciprocal: converting inverts the value"
    bool convertible = true;

    // Filled only when the units do not convert:
    // each side in fundamental units ("kg*m*s^-2"), when both sides resolve;
    std::optional<std::string> aDimensions;
    std::optional<std::string> bDimensions;
    // the fundamental units whose exponents differ, "m (1 vs 0)";
    std::vector<std::string> differences;
    // the nearest change that would make them convert;
    std::optional<std::string> fix;
    // unknown symbols with the closest known ones.
    std::vector<Suggestion> unknown;
};

// The name and explanation of a comparison code; "Unknown" and
// "unknown comparison result" outside 0 to 9.
std::string comparisonName(int code);
std::string comparisonExplanation(int code);

// One entity of the databases as the suggestion calls offer it.
struct Entry {
    std::string kind;     // "unit", "prefixed unit", "prefix" or "physical quantity"
    std::string symbol;   // what to type: a unit's or prefix's symbol, a quantity's name
    std::string name;     // "foot"
    std::string quantity; // a unit's physical quantity; empty when it has none
};

// What an editor offers while a unit text is typed.
struct Completion {
    // The text before the word being completed ("kg*m/s^" completes "kg*m/s^").
    std::string completes;
    // Units, or physical quantities after '@'; those that unit definitions use
    // beside the symbols already typed first.
    std::vector<Entry> entries;
};

// The units of the same physical quantity as a unit, and of the quantities
// related to it.
struct SimilarUnits {
    // The quantity that relates them; empty for an expression of several units,
    // whose peers are the units of the quantities with the same dimensions.
    std::string quantity;
    std::vector<std::string> units; // sorted ignoring case
};

// How `propagate` treats an operation whose operands need converting (adding
// m to km), and how it writes a quotient in the result unit.
struct PropagationOptions {
    // Converts every operand to fundamental units instead of refusing.
    bool convertOperands = false;
    // 0: a*b/(c*d), 1: a*b/c/d, 2: a*b*c^-1*d^-1.
    int quotientFormat = 0;
    // Fills `Propagation::tree`.
    bool drawTree = false;
};

// The unit of a value computed from operands of known units.
struct Propagation {
    std::string unit;     // "L*kPa/(K*mol)"
    std::string quantity; // "force"; empty when the unit names none
    // An operand to convert before computing, from its unit to `to`.
    struct Conversion {
        std::string operand;
        std::string from;
        std::string to;
    };
    std::vector<Conversion> conversions;
    // The expression's tree of units, one line each, when asked for.
    std::vector<std::string> tree;
};

// A value computed from quantities ("3 ft + 2 m").
struct Calculation {
    double value = 0.0;
    std::string unit;     // "1" for a pure number
    std::string quantity; // empty when the unit names none
    // The exact value while every step was rational.
    std::optional<Rational> exact;

    // "13.88888888888889 m/s (exactly 125/9)  [velocity]": the fraction only
    // when the decimal is not the exact value, the quantity when there is one.
    std::string text() const;
};

// A converter, or the error that says why the units do not convert.
using Answer = std::variant<Converter, UnitError>;

// A context: a unit table with its caches, and the user databases it added.
// One thread at a time. It remembers at most 65,536 texts and as many pairs;
// past that it starts over with an empty table.
class Units {
public:
    Units();
    ~Units();
    Units(Units&&) noexcept;
    Units& operator=(Units&&) noexcept;
    Units(const Units&) = delete;
    Units& operator=(const Units&) = delete;

    // Adds a user-defined unit database file (docs/user-databases.md) until this
    // context is destroyed. Throws UnitError "CvUnits:NoSuchDatabaseFile" when
    // there is no such file; problems inside the file are reported as warnings
    // and the units concerned left out, as the library does for every database.
    void addDatabase(std::string_view path);

    Converter converter(std::string_view from, std::string_view to);
    // As `converter`, but units that do not convert give their error instead of
    // throwing it (for callers that check many such pairs); a text that is not
    // a unit still throws. Valid until the next call on this context.
    const Answer& tryConverter(std::string_view from, std::string_view to);
    double convert(double value, std::string_view from, std::string_view to);
    Comparison compare(std::string_view a, std::string_view b);

    // The suggestion calls. Their texts are checked as unit texts are (UTF-8,
    // no NUL); a text that matches nothing gives an empty answer, not an error.
    Completion complete(std::string_view text);
    // Units (or physical quantities) within two edits of a misspelt word, case
    // aside: the closest first, then those unit definitions use most.
    std::vector<std::string> suggest(std::string_view word, bool quantities = false);
    // `unit` is a unit text or "@quantity".
    SimilarUnits similar(std::string_view unit);
    // Every stored unit, physical quantity and prefix whose name or symbol
    // contains `word`, case aside: units, then quantities, then prefixes, the
    // built-in database first. Prefixed forms such as km are not listed.
    std::vector<Entry> search(std::string_view word);

    // The unit of `expression`, arithmetic (+ - * /, ^ with a rational power,
    // parentheses) over named operands whose units `units` gives ("p*V/(n*T)"
    // with p=kPa, V=L, n=mol, T=K). An operation the units refuse throws a
    // UnitError that names it: "cannot add a and b: ...".
    Propagation propagate(std::string_view expression,
                          const std::map<std::string, std::string, std::less<>>& units,
                          const PropagationOptions& options = {});
    // The value of arithmetic over quantities, a number and a unit each
    // ("(100 km)/(2 h)"; "9.81 m/s^2" reads as (9.81 m)/s^2, "5 m^2" is five
    // square metres), in `to` or in the unit propagation gives. Values stay
    // exact rationals while every step allows it.
    Calculation calc(std::string_view expression,
                     std::optional<std::string_view> to = std::nullopt);

    // The unit table underneath, for the full class interface. Texts registered
    // here are UTF-16; the table is rebuilt when the user databases change and
    // when the context starts over.
    CvUnitSys::UnitTable& table();

private:
    struct State;
    std::unique_ptr<State> state_;
};

// This thread's context, made on first use and destroyed when the thread ends.
Units& defaultUnits();

// convert(3, "ft", "m") is 0.9144. Texts this thread has converted before cost
// one hash look-up.
double convert(double value, std::string_view from, std::string_view to);
Comparison compare(std::string_view a, std::string_view b);
Completion complete(std::string_view text);
std::vector<std::string> suggest(std::string_view word, bool quantities = false);
SimilarUnits similar(std::string_view unit);
std::vector<Entry> search(std::string_view word);
Propagation propagate(std::string_view expression,
                      const std::map<std::string, std::string, std::less<>>& units,
                      const PropagationOptions& options = {});
Calculation calc(std::string_view expression, std::optional<std::string_view> to = std::nullopt);
// Adds a user-defined unit database file for the rest of the process, as
// `Units::addDatabase` does for a context.
void addDatabase(std::string_view path);

} // namespace cv_units
