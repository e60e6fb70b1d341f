#include "Command.hpp"
#include "SuggestionEntries.hpp"
#include "units/db/UnitDBSet.hpp"
#include "units/model/Unit.hpp"
#include "units/model/UnitFactory.hpp"
#include "units/platform/TextServices.hpp"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <ostream>

namespace cvunits {
namespace {

using namespace CvUnitSys;

// The quantity that TEXT names: "@quantity", or the physical quantity of the
// unit TEXT; empty for an expression or a unit of no particular quantity.
ustring quantityNamed(const UnitDBSet& set, const ustring& text) {
    if (text.starts_with(u"@")) {
        return text.substr(1);
    }
    const UnitDBSet::UnitSet found = set.findUnit(text);
    if (found.empty()) {
        return {};
    }
    const UnitBase* quantity = static_cast<const Unit&>(found.begin()->get()).getPhysicalQuantity();
    if (quantity == nullptr || quantity->compare(UnitFactory::getDefaultPhysicalQuantity()) == 0) {
        return {};
    }
    return quantity->getName();
}

int similarCommand(const CommandContext& ctx) {
    const auto args = readSuggestionArgs(ctx.args, 0, {});
    if (!args) {
        return exitUsage;
    }
    UnitDBSet set;
    set.initializeIfNeeded();
    const ustring text = TextServices::fromUtf8(args->text);
    const ustring quantity = quantityNamed(set, text);
    std::vector<ustring> similar = quantity.empty()
                                       ? set.getSimilarUnitsForUnit(text)
                                       : set.getSimilarUnitsForPhysicalQuantity(quantity);
    // A unit of a user database is not in the lists of units per quantity:
    // it is shown among its peers all the same.
    const auto caseAside = [](const ustring& a, const ustring& b) {
        return TextServices::compareIgnoreCase(a, b) < 0;
    };
    if (!quantity.empty() && !text.starts_with(u"@") &&
        std::find(similar.begin(), similar.end(), text) == similar.end()) {
        similar.insert(std::upper_bound(similar.begin(), similar.end(), text, caseAside), text);
    }
    const std::size_t total = similar.size();
    if (args->limit != 0 && similar.size() > args->limit) {
        similar.resize(args->limit);
    }
    if (ctx.json) {
        auto units = nlohmann::ordered_json::array();
        for (const ustring& unit : similar) {
            units.push_back(TextServices::toUtf8(unit));
        }
        ctx.out << nlohmann::ordered_json{{"text", args->text},
                                          {"physical_quantity", TextServices::toUtf8(quantity)},
                                          {"total", total},
                                          {"similar", units}}
                       .dump(2)
                << '\n';
        return exitSuccess;
    }
    for (const ustring& unit : similar) {
        ctx.out << TextServices::toUtf8(unit) << '\n';
    }
    if (similar.size() < total) {
        ctx.out << "... and " << total - similar.size() << " more (--limit 0 shows all)\n";
    }
    return exitSuccess;
}

const CommandRegistration registration{
    {"similar",
     "UNIT|@QUANTITY [--limit N]",
     "the units of the same physical quantity as UNIT and of the quantities related\n"
     "to it, sorted ignoring case; for an expression of several units (m/s), also the\n"
     "units of the quantities with the same dimensions. '@QUANTITY' names the\n"
     "quantity directly. All are shown unless --limit N is given.",
     {"cvunits similar ft", "cvunits similar m/s", "cvunits similar @velocity",
      "cvunits --json similar psi"},
     similarCommand}};

} // namespace
} // namespace cvunits
