#include "SuggestionEntries.hpp"

#include "units/model/Unit.hpp"
#include "units/platform/TextServices.hpp"

#include <algorithm>
#include <charconv>

namespace cvunits {

namespace {

using namespace CvUnitSys;

std::string utf8(std::u16string_view text) {
    return TextServices::toUtf8(text);
}

const char* kindOf(const UnitBase& entity) {
    if (entity.getUnitType() != UnitBase::UNIT_TYPE_UNIT) {
        return "physical quantity";
    }
    if (entity.isPrefixOnly()) {
        return "prefix";
    }
    return entity.isPrefixedUnit() ? "prefixed unit" : "unit";
}

std::string quantityOf(const UnitBase& entity) {
    if (entity.getUnitType() != UnitBase::UNIT_TYPE_UNIT || entity.isPrefixOnly()) {
        return "";
    }
    const UnitBase* quantity = static_cast<const Unit&>(entity).getPhysicalQuantity();
    return quantity != nullptr ? utf8(quantity->getName()) : "";
}

} // namespace

nlohmann::ordered_json describeEntry(const UnitBase& entity) {
    nlohmann::ordered_json out{{"kind", kindOf(entity)}};
    if (entity.getUnitType() == UnitBase::UNIT_TYPE_UNIT) {
        out["symbol"] = utf8(entity.getSymbol());
    }
    out["name"] = utf8(entity.getName());
    if (const std::string quantity = quantityOf(entity); !quantity.empty()) {
        out["physical_quantity"] = quantity;
    }
    return out;
}

std::string entryLine(const UnitBase& entity) {
    if (entity.getUnitType() != UnitBase::UNIT_TYPE_UNIT) {
        return utf8(entity.getName()) + "\t\t\t(" + kindOf(entity) + ")";
    }
    return utf8(entity.getSymbol()) + "\t" + utf8(entity.getName()) + "\t" + quantityOf(entity) +
           "\t(" + kindOf(entity) + ")";
}

std::optional<SuggestionArgs> readSuggestionArgs(const std::vector<std::string>& args,
                                                 std::size_t defaultLimit,
                                                 const std::vector<std::string>& allowedFlags) {
    SuggestionArgs out{{}, defaultLimit, {}};
    bool haveText = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--limit" && i + 1 < args.size()) {
            const std::string& number = args[++i];
            const auto [end, error] =
                std::from_chars(number.data(), number.data() + number.size(), out.limit);
            if (error != std::errc() || end != number.data() + number.size()) {
                return std::nullopt;
            }
        } else if (std::find(allowedFlags.begin(), allowedFlags.end(), arg) != allowedFlags.end()) {
            out.flags.push_back(arg);
        } else if (!haveText && (arg.empty() || !arg.starts_with("--"))) {
            out.text = arg;
            haveText = true;
        } else {
            return std::nullopt;
        }
    }
    if (!haveText) {
        return std::nullopt;
    }
    return out;
}

} // namespace cvunits
