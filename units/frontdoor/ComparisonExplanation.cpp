#include "units/frontdoor/ComparisonExplanation.hpp"

#include "units/frontdoor/NumberText.hpp"
#include "units/model/Unit.hpp"
#include "units/platform/IException.hpp"
#include "units/platform/TextServices.hpp"

#include <map>
#include <stdexcept>

namespace cv_units {

namespace {

using namespace CvUnitSys;

// Exponents of the fundamental units, zero entries left out.
using Dimensions = std::map<std::string, double>;

std::optional<Dimensions> dimensionsOf(UnitTable& table, std::int32_t id) {
    const UnitBase* unit = table.getUnit(id);
    if (unit == nullptr || table.isUnitUnresolved(id)) {
        return std::nullopt;
    }
    Dimensions dimensions;
    try {
        UnitDBSet& set = table.getUnitDBSet();
        set.genUnitDefinition(*unit);
        const UnitDefinition& definition = set.getUnitDefinition(*unit);
        for (const auto& [entity, exponent] : definition.getFundamentalAST().getAST()) {
            const UnitBase& base = entity.get();
            const std::u16string_view symbol =
                base.getAsciiSymbol().empty() ? base.getSymbol() : base.getAsciiSymbol();
            dimensions[TextServices::toUtf8(symbol)] += exponent.getSimplifiedExpo();
        }
    } catch (const IException&) {
        return std::nullopt;
    } catch (const std::out_of_range&) {
        return std::nullopt;
    }
    std::erase_if(dimensions, [](const auto& entry) { return entry.second == 0.0; });
    return dimensions;
}

std::string dimensionsText(const Dimensions& dimensions) {
    if (dimensions.empty()) {
        return "1";
    }
    std::string out;
    for (const auto& [symbol, exponent] : dimensions) {
        out += out.empty() ? "" : "*";
        out += symbol;
        if (exponent != 1.0) {
            out += "^" + shortestText(exponent);
        }
    }
    return out;
}

Dimensions scaled(const Dimensions& d, double by) {
    Dimensions out;
    for (const auto& [symbol, exponent] : d) {
        out[symbol] = exponent * by;
    }
    return out;
}

// b / a: what a lacks to become b.
Dimensions ratio(const Dimensions& a, const Dimensions& b) {
    Dimensions out = b;
    for (const auto& [symbol, exponent] : a) {
        out[symbol] -= exponent;
    }
    std::erase_if(out, [](const auto& entry) { return entry.second == 0.0; });
    return out;
}

// An absolute temperature on one side and a temperature difference on the
// other: the same dimensions once K and deltaK are taken as one.
bool differsOnlyByTemperatureKind(const Dimensions& a, const Dimensions& b) {
    const auto merged = [](Dimensions d) {
        if (const auto delta = d.find("deltaK"); delta != d.end()) {
            d["K"] += delta->second;
            d.erase("deltaK");
        }
        std::erase_if(d, [](const auto& entry) { return entry.second == 0.0; });
        return d;
    };
    return a != b && merged(a) == merged(b);
}

std::optional<std::string> nearestFix(const Dimensions& from, const Dimensions& to,
                                      const std::string& fromText, const std::string& toText) {
    if (from == to) {
        return "the dimensions agree but the physical quantities differ: give both sides the "
               "same quantity, or none";
    }
    if (!from.empty() && scaled(from, -1) == to) {
        return "the units are reciprocal: invert the value, or convert 1/(" + fromText + ") to " +
               toText;
    }
    if (differsOnlyByTemperatureKind(from, to)) {
        return "one side is an absolute temperature and the other a temperature difference, "
               "which has no offset: use a delta unit (such as deltadegC) on both sides, or "
               "absolute units on both";
    }
    const Dimensions missing = ratio(from, to);
    if (missing.size() == 1) {
        return toText + " is (" + fromText + ")*" + dimensionsText(missing) +
               " in dimensions: multiply by a quantity of dimension " + dimensionsText(missing) +
               " first";
    }
    return std::nullopt;
}

} // namespace

std::vector<Suggestion> unknownSymbols(UnitTable& table, std::int32_t id,
                                       std::optional<SymbolSuggestions>& suggestions) {
    std::vector<Suggestion> out;
    if (!table.isUnitIdValid(id) || !table.isUnitUnresolved(id)) {
        return out;
    }
    for (const ustring& symbol : table.getUndefinedUnitsList(id)) {
        if (!suggestions) {
            suggestions.emplace(table.getUnitDBSetForQuery());
        }
        out.push_back({TextServices::toUtf8(symbol), suggestions->closest(symbol)});
    }
    return out;
}

void explainComparison(UnitTable& table, std::int32_t a, std::int32_t b,
                       std::optional<SymbolSuggestions>& suggestions, Comparison& comparison) {
    const std::optional<Dimensions> from = dimensionsOf(table, a);
    const std::optional<Dimensions> to = dimensionsOf(table, b);
    if (from && to) {
        comparison.aDimensions = dimensionsText(*from);
        comparison.bDimensions = dimensionsText(*to);
        Dimensions all = *from;
        all.insert(to->begin(), to->end());
        for (const auto& [symbol, unused] : all) {
            const double x = from->contains(symbol) ? from->at(symbol) : 0;
            const double y = to->contains(symbol) ? to->at(symbol) : 0;
            if (x != y) {
                comparison.differences.push_back(symbol + " (" + shortestText(x) + " vs " +
                                                 shortestText(y) + ")");
            }
        }
        comparison.fix =
            nearestFix(*from, *to, TextServices::toUtf8(table.getUserSpecifiedUnitExpr(a)),
                       TextServices::toUtf8(table.getUserSpecifiedUnitExpr(b)));
    }
    for (const std::int32_t id : {a, b}) {
        for (Suggestion& s : unknownSymbols(table, id, suggestions)) {
            comparison.unknown.push_back(std::move(s));
        }
    }
}

} // namespace cv_units
