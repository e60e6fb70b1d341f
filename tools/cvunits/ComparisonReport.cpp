#include "ComparisonReport.hpp"

#include "units/db/UnitDBSet.hpp"
#include "units/platform/TextServices.hpp"
#include "units/query/UnitTable.hpp"

#include <set>
#include <string_view>
#include <vector>

namespace cvunits {

void printExplanation(std::ostream& out, const cv_units::Comparison& comparison,
                      const std::string& a, const std::string& b, const std::string& indent) {
    if (comparison.aDimensions && comparison.bDimensions) {
        out << indent << a << " has dimensions " << *comparison.aDimensions << '\n'
            << indent << b << " has dimensions " << *comparison.bDimensions << '\n';
        if (!comparison.differences.empty()) {
            out << indent << "they differ in:";
            for (std::size_t i = 0; i < comparison.differences.size(); ++i) {
                out << (i == 0 ? " " : ", ") << comparison.differences[i];
            }
            out << '\n';
        }
    }
    if (comparison.fix) {
        out << indent << "nearest fix: " << *comparison.fix << '\n';
    }
    std::set<std::string> said;
    for (const auto& [symbol, candidates] : comparison.unknown) {
        // A symbol on both sides is one unknown symbol.
        if (!said.insert(symbol).second) {
            continue;
        }
        out << indent << "unknown symbol '" << symbol << "'";
        for (std::size_t i = 0; i < candidates.size(); ++i) {
            out << (i == 0 ? ": did you mean " : ", ") << candidates[i];
        }
        out << (candidates.empty() ? "\n" : "?\n");
    }
}

nlohmann::json explanationJson(const cv_units::Comparison& comparison) {
    nlohmann::json out = nlohmann::json::object();
    if (comparison.aDimensions) {
        out["fromDimensions"] = *comparison.aDimensions;
    }
    if (comparison.bDimensions) {
        out["toDimensions"] = *comparison.bDimensions;
    }
    out["differences"] = comparison.differences;
    if (comparison.fix) {
        out["fix"] = *comparison.fix;
    }
    nlohmann::json unknown = nlohmann::json::array();
    for (const auto& [symbol, candidates] : comparison.unknown) {
        unknown.push_back({{"symbol", symbol}, {"didYouMean", candidates}});
    }
    out["unknown"] = unknown;
    return out;
}

} // namespace cvunits

namespace cvunits {

std::string meaningOf(const cv_units::Comparison& comparison) {
    if (comparison.aDimensions && comparison.bDimensions &&
        *comparison.aDimensions != *comparison.bDimensions) {
        return "the units have different dimensions";
    }
    return comparison.explanation;
}

std::optional<cv_units::Comparison> whyNotConvertible(const std::string& from,
                                                      const std::string& to) {
    try {
        cv_units::Comparison comparison = cv_units::compare(from, to);
        if (!comparison.convertible) {
            return comparison;
        }
    } catch (const cv_units::UnitError&) {
    }
    return std::nullopt;
}

namespace {

using CvUnitSys::TextServices;

// The symbols of a unit text with where each starts; exponents are skipped.
std::vector<std::pair<std::size_t, std::string>> symbolsOf(const std::string& text) {
    std::vector<std::pair<std::size_t, std::string>> out;
    const std::string_view operators = "*/^() \t";
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == '^') {
            // An exponent: a number or a parenthesised one.
            ++i;
            int depth = 0;
            while (i < text.size() &&
                   (depth > 0 || text[i] == '(' || operators.find(text[i]) == std::string::npos)) {
                depth += text[i] == '(' ? 1 : text[i] == ')' ? -1 : 0;
                ++i;
            }
        } else if (operators.find(text[i]) != std::string::npos) {
            ++i;
        } else {
            const std::size_t start = i;
            while (i < text.size() && operators.find(text[i]) == std::string::npos) {
                ++i;
            }
            out.emplace_back(start, text.substr(start, i - start));
        }
    }
    return out;
}

// The text with each absolute temperature unit replaced by its temperature
// difference (degC by deltadegC); the names replaced go to `absolute`.
std::string withDifferences(const std::string& text, std::vector<std::string>& absolute) {
    const CvUnitSys::UnitDBSet& set = cv_units::defaultUnits().table().getUnitDBSetForQuery();
    std::string out = text;
    const auto symbols = symbolsOf(text);
    for (auto it = symbols.rbegin(); it != symbols.rend(); ++it) {
        const auto found = set.findUnit(TextServices::fromUtf8(it->second));
        if (found.empty()) {
            continue;
        }
        const std::string ascii = TextServices::toUtf8(found.begin()->get().getAsciiSymbol());
        const std::string delta = "delta" + ascii;
        if (!set.findUnit(TextServices::fromUtf8(delta)).empty()) {
            out.replace(it->first, it->second.size(), delta);
            absolute.push_back(it->second);
        }
    }
    return out;
}

} // namespace

std::optional<std::string> temperatureHint(const std::string& from, const std::string& to) {
    std::vector<std::string> absolute;
    const std::string a = withDifferences(from, absolute);
    const std::string b = withDifferences(to, absolute);
    if (absolute.empty()) {
        return std::nullopt;
    }
    try {
        const cv_units::Converter converter(a, b);
    } catch (const cv_units::UnitError&) {
        return std::nullopt;
    }
    std::string names;
    for (const std::string& name : absolute) {
        if (names.find("'" + name + "'") == std::string::npos) {
            names += (names.empty() ? "'" : ", '") + name + "'";
        }
    }
    return "an absolute temperature (" + names +
           ") inside a compound unit has no scale to convert; as temperature differences, '" + a +
           "' converts to '" + b + "'";
}

} // namespace cvunits
