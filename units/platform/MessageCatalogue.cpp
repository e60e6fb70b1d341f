#include "units/platform/MessageCatalogue.hpp"

#include "units/platform/TextServices.hpp"

#include <algorithm>
#include <array>
#include <string_view>
#include <utility>

namespace CvUnitSys {

namespace {

// {N} stands for the N-th argument (1-based).
constexpr std::array<std::pair<std::string_view, std::string_view>, 41> kTexts{{
    {"ParsingError", "Cannot parse the unit expression '{1}' at column {2}."},
    {"InvalidUnitSystemName", "'{1}' is not a valid unit system name."},
    {"UnitAlreadyInDatabase",
     "A unit named '{1}' or with symbol '{2}' is already in the database; the new one is ignored."},
    {"SimilarInstanceThere",
     "An entry with name '{1}', symbol '{2}' or ASCII symbol '{3}' is already in the database."},
    {"NameNotDefined", "An entry without a name was ignored."},
    {"SymbolNotDefined", "An entry without a symbol was ignored."},
    {"ASCIISymbolNotDefined", "An entry without an ASCII symbol was ignored."},
    {"UnitDatabaseFileOpenError", "Cannot open the unit database file '{1}'."},
    {"UnitDatabaseFileLoadFieldError",
     "The value '{1}' of field '{2}' in the unit database could not be loaded and was skipped."},
    {"UnitNotInDatabase", "The unit '{1}' is not defined in any unit database."},
    {"UnitPrefixNotInDatabase", "The unit prefix '{1}' is not defined in the unit database."},
    {"InvalidPQIgnored",
     "The physical quantity '{1}' of database '{2}' is invalid and was ignored."},
    {"PhysicalQuantityNotInDatabase",
     "The physical quantity '{1}' is not defined in any unit database."},
    {"InvalidUnitIgnored", "The unit '{1}' of database '{2}' is invalid and was ignored."},
    {"CycleInAST", "The definition of '{1}' refers back to itself."},
    {"DuplicationOfUnitsWithBuiltin",
     "The unit '{1}' of database '{2}' duplicates a built-in unit."},
    {"DuplicationOfUnits", "The unit '{1}' is defined by both database '{2}' and database '{3}'."},
    {"UnresolvedUnitsNotConvertible",
     "Cannot convert '{1}' to '{2}': these units are not defined: {3}."},
    {"UnitsNotConvertible", "Cannot convert '{1}' to '{2}': '{1}' is {3} but '{2}' is {4}."},
    {"AlphaNumericStringOnlyForName",
     "'{1}' is not a valid name: use letters, digits and underscores only."},
    {"DimensionallyInconsistent", "The unit '{1}' is not dimensionally consistent with '{2}'."},
    {"InvalidUnitIgnoredUndefinedUnitsInDefinition",
     "The unit '{1}' of database '{2}' was ignored: its definition uses undefined units."},
    {"InvalidUnitIgnoredDimensionMismatch",
     "The unit '{1}' of database '{2}' was ignored: its definition does not match its "
     "physical quantity."},
    {"InvalidUnitId", "{1} is not a valid unit id."},
    {"IncompatibleUnits", "The units are incompatible."},
    {"DimensionallyInequivalent", "The units have different dimensions."},
    {"CanonicalScalingFactorDifference", "The units differ by a scaling factor."},
    {"DifferentOffsets", "The units differ by an offset."},
    {"UnresolvedUnits", "Some of the units are not defined."},
    {"MixedUnits", "The signal carries mixed units."},
    {"ReciprocalUnits", "The units are reciprocals of each other."},
    {"UnitDefinitionGenFailure", "Cannot work out the definition of '{1}': {2}"},
    {"PhysicalQuantityParsingError",
     "'{1}' is not a unit expression, optionally followed by '@' and a physical quantity."},
    {"PhysicalQuantityWithoutUnit", "The physical quantity '{1}' needs a unit before the '@'."},
    {"InvalidUnitExpression", "'{1}' is not a valid unit expression."},
    {"CannotConvertUnspecified", "Cannot convert between '{1}' and '{2}': a unit is unspecified."},
    {"UnitErrorFromBlock", "{1}"},
    {"UnitPropagationEnginePhysicalQuantityOperationUndefined",
     "The operation '{1}' is not defined for the physical quantities '{2}' and '{3}'."},
    {"UnitPropagationEngineExponentiationRequiresConversion",
     "Raising '{1}' to a power requires converting it to '{2}' first."},
    {"UnitPropagationEngineOperationRequiresConversion",
     "The operation '{1}' requires converting '{2}' to '{3}'."},
    {"NonAsciiSymbolUnsupported", "The ASCII symbol '{1}' contains non-ASCII characters."},
}};

std::string argText(const MsgArg& arg) {
    if (const auto* i = boost::get<std::int64_t>(&arg)) {
        return std::to_string(*i);
    }
    return TextServices::toUtf8(boost::get<ustring>(arg));
}

std::string fill(std::string_view pattern, const std::vector<MsgArg>& args) {
    std::string out;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '{' && i + 2 < pattern.size() && pattern[i + 2] == '}' &&
            pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
            const auto n = static_cast<std::size_t>(pattern[i + 1] - '1');
            out += n < args.size() ? argText(args[n]) : std::string("?");
            i += 2;
        } else {
            out.push_back(pattern[i]);
        }
    }
    return out;
}

// The expression on one line and a caret under the failing column; columns
// count code points with tab stops every four, so tabs are copied to keep the
// caret aligned.
std::string caretLines(const ustring& expr, std::int64_t column) {
    if (expr.find_first_of(u"\r\n") != ustring::npos || column < 1) {
        return std::string();
    }
    std::u32string cps;
    try {
        cps = TextServices::toUtf32(expr);
    } catch (const std::out_of_range&) {
        return std::string();
    }
    std::string marker;
    std::int64_t col = 1;
    for (char32_t c : cps) {
        if (col >= column) {
            break;
        }
        if (c == U'\t') {
            marker.push_back('\t');
            col = ((col - 1) / 4 + 1) * 4 + 1;
        } else {
            marker.push_back(' ');
            ++col;
        }
    }
    marker.append(static_cast<std::size_t>(std::max<std::int64_t>(0, column - col)), ' ');
    return "\n  " + TextServices::toUtf8(expr) + "\n  " + marker + "^";
}

void appendDiagnostic(std::string& out, const Diagnostic& d, int depth) {
    for (const auto& item : d.items()) {
        if (!out.empty()) {
            out.push_back('\n');
        }
        out.append(static_cast<std::size_t>(depth) * 2, ' ');
        out += formatMessage(item.id);
        if (!item.extraText.empty()) {
            out += " " + item.extraText;
        }
        for (const auto& cause : item.causes) {
            appendDiagnostic(out, cause, depth + 1);
        }
    }
}

} // namespace

std::string formatMessage(const BaseMsgID& id) {
    auto it = std::find_if(kTexts.begin(), kTexts.end(),
                           [&](const auto& entry) { return entry.first == id.getKey(); });
    std::string text = it == kTexts.end() ? id.getQualifiedId() : fill(it->second, id.getArgs());
    // A text with an unpaired surrogate prints with U+FFFD in its place, so the
    // message says what is wrong with it.
    for (const MsgArg& arg : id.getArgs()) {
        const auto* textArg = boost::get<ustring>(&arg);
        if (textArg == nullptr) {
            continue;
        }
        if (const auto bad = TextServices::findUnpairedSurrogate(*textArg)) {
            text += " The text holds an " +
                    TextServices::describeUnpairedSurrogate(*textArg, *bad) + ".";
            break;
        }
    }
    if (id.getKey() == "ParsingError" && id.getArgs().size() == 2) {
        const auto* expr = boost::get<ustring>(&id.getArgs()[0]);
        const auto* column = boost::get<std::int64_t>(&id.getArgs()[1]);
        if (expr != nullptr && column != nullptr) {
            text += caretLines(*expr, *column);
        }
    }
    return text;
}

std::string formatDiagnostic(const Diagnostic& d) {
    std::string out;
    appendDiagnostic(out, d, 0);
    return out;
}

} // namespace CvUnitSys
