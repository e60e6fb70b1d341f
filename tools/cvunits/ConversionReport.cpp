#include "ConversionReport.hpp"

#include "NumberText.hpp"
#include "units/frontdoor/SymbolSuggestions.hpp"
#include "units/model/Unit.hpp"
#include "units/platform/MessageCatalogue.hpp"
#include "units/platform/TextServices.hpp"

#include <cmath>
#include <stdexcept>

namespace cvunits {

namespace {

using namespace CvUnitSys;

void appendSummary(std::string& out, const Diagnostic& d) {
    for (const DiagnosticItem& item : d.items()) {
        std::string text = formatMessage(item.id);
        text = text.substr(0, text.find('\n'));
        out += out.empty() ? text : ": " + text;
        for (const Diagnostic& cause : item.causes) {
            appendSummary(out, cause);
        }
    }
}

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
            const ustring& symbol =
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

std::string exponentText(double exponent) {
    return shortestText(exponent);
}

} // namespace

Failure describe(const IUserException& e) {
    Failure failure{e.getMessageIdentifier(), e.what(), {}};
    appendSummary(failure.summary, e.getDiagnostic());
    return failure;
}

std::int32_t registerText(UnitTable& table, const std::string& text) {
    return table.registerUnit(TextServices::fromUtf8(text), true, false);
}

bool isRepresentable(const UnitNumericInfoForConversions& info) {
    return std::isfinite(info.getScalingFactor()) && std::isfinite(info.getOffset()) &&
           info.getScalingFactor() != 0.0;
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
            out += "^" + exponentText(exponent);
        }
    }
    return out;
}

Explanation explain(UnitTable& table, std::int32_t from, std::int32_t to) {
    const std::string fromText = TextServices::toUtf8(table.getUserSpecifiedUnitExpr(from));
    const std::string toText = TextServices::toUtf8(table.getUserSpecifiedUnitExpr(to));
    Explanation explanation;
    explanation.from = dimensionsOf(table, from);
    explanation.to = dimensionsOf(table, to);
    if (explanation.from && explanation.to) {
        Dimensions all = *explanation.from;
        all.insert(explanation.to->begin(), explanation.to->end());
        for (const auto& [symbol, unused] : all) {
            const double a = explanation.from->contains(symbol) ? explanation.from->at(symbol) : 0;
            const double b = explanation.to->contains(symbol) ? explanation.to->at(symbol) : 0;
            if (a != b) {
                explanation.differences.push_back(symbol + " (" + exponentText(a) + " vs " +
                                                  exponentText(b) + ")");
            }
        }
        explanation.fix = nearestFix(*explanation.from, *explanation.to, fromText, toText);
    }
    std::optional<cv_units::SymbolSuggestions> suggestions;
    for (const std::int32_t id : {from, to}) {
        if (!table.isUnitUnresolved(id)) {
            continue;
        }
        for (const ustring& symbol : table.getUndefinedUnitsList(id)) {
            if (!suggestions) {
                suggestions.emplace(table.getUnitDBSetForQuery());
            }
            explanation.unknown.emplace_back(TextServices::toUtf8(symbol),
                                             suggestions->closest(symbol));
        }
    }
    return explanation;
}

} // namespace cvunits
