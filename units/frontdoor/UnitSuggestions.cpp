// The front door's suggestion calls: completion, spelling, similar units and search.

#include "units/cv_units.hpp"
#include "units/db/UnitDBManager.hpp"
#include "units/db/UnitDBSet.hpp"
#include "units/frontdoor/UnitErrors.hpp"
#include "units/model/Unit.hpp"
#include "units/model/UnitFactory.hpp"
#include "units/platform/TextServices.hpp"
#include "units/query/UnitTable.hpp"

#include <algorithm>
#include <initializer_list>

namespace cv_units {

namespace {

using CvUnitSys::TextServices;
using CvUnitSys::UnitBase;
using CvUnitSys::UnitDBSet;

std::string utf8(std::u16string_view text) {
    return TextServices::toUtf8(text);
}

ustring checkedText(std::string_view text) {
    checkText(text);
    return TextServices::fromUtf8(text);
}

Entry entryOf(const UnitBase& entity) {
    if (entity.getUnitType() != UnitBase::UNIT_TYPE_UNIT) {
        return {"physical quantity", utf8(entity.getName()), utf8(entity.getName()), {}};
    }
    if (entity.isPrefixOnly()) {
        return {"prefix", utf8(entity.getSymbol()), utf8(entity.getName()), {}};
    }
    const UnitBase* quantity = static_cast<const CvUnitSys::Unit&>(entity).getPhysicalQuantity();
    return {entity.isPrefixedUnit() ? "prefixed unit" : "unit", utf8(entity.getSymbol()),
            utf8(entity.getName()), quantity != nullptr ? utf8(quantity->getName()) : ""};
}

// The quantity that `text` names: "@quantity", or the physical quantity of the
// unit `text`; empty for an expression or a unit of no particular quantity.
ustring quantityNamed(const UnitDBSet& set, const ustring& text) {
    if (text.starts_with(u"@")) {
        return text.substr(1);
    }
    const UnitDBSet::UnitSet found = set.findUnit(text);
    if (found.empty()) {
        return {};
    }
    const UnitBase* quantity =
        static_cast<const CvUnitSys::Unit&>(found.begin()->get()).getPhysicalQuantity();
    if (quantity == nullptr ||
        quantity->compare(CvUnitSys::UnitFactory::getDefaultPhysicalQuantity()) == 0) {
        return {};
    }
    return ustring(quantity->getName());
}

// Whether the name or a symbol contains the lower-cased word, case aside.
bool mentions(const ustring& lowerWord, std::initializer_list<std::u16string_view> texts) {
    return std::any_of(texts.begin(), texts.end(), [&](std::u16string_view text) {
        return TextServices::toLower(text).find(lowerWord) != ustring::npos;
    });
}

} // namespace

Completion Units::complete(std::string_view text) {
    const ustring typed = checkedText(text);
    const CvUnitSys::AutoCompletionResult result =
        table().getUnitDBSetForQuery().getAutoCompleteSuggestions(typed);
    Completion out{utf8(result.text), {}};
    for (const UnitBase& entity : result.units) {
        out.entries.push_back(entryOf(entity));
    }
    return out;
}

std::vector<std::string> Units::suggest(std::string_view word, bool quantities) {
    const ustring typed = checkedText(word);
    std::vector<std::string> out;
    for (const ustring& found : table().getUnitDBSetForQuery().getApproximateSuggestion(
             typed,
             quantities ? UnitBase::UNIT_TYPE_PHYSICAL_QUANTITY : UnitBase::UNIT_TYPE_UNIT)) {
        out.push_back(utf8(found));
    }
    return out;
}

SimilarUnits Units::similar(std::string_view unit) {
    const ustring text = checkedText(unit);
    // The empty text is the unspecified unit, which has no peers.
    if (text.empty()) {
        return {};
    }
    const UnitDBSet& set = table().getUnitDBSetForQuery();
    const ustring quantity = quantityNamed(set, text);
    std::vector<ustring> peers = quantity.empty()
                                     ? set.getSimilarUnitsForUnit(text)
                                     : set.getSimilarUnitsForPhysicalQuantity(quantity);
    // A unit of a user database is not in the lists of units per quantity:
    // it is shown among its peers all the same.
    const auto caseAside = [](const ustring& a, const ustring& b) {
        return TextServices::compareIgnoreCase(a, b) < 0;
    };
    if (!quantity.empty() && !text.starts_with(u"@") &&
        std::find(peers.begin(), peers.end(), text) == peers.end()) {
        peers.insert(std::upper_bound(peers.begin(), peers.end(), text, caseAside), text);
    }
    SimilarUnits out{utf8(quantity), {}};
    for (const ustring& found : peers) {
        out.units.push_back(utf8(found));
    }
    return out;
}

std::vector<Entry> Units::search(std::string_view word) {
    const ustring lowerWord = TextServices::toLower(checkedText(word));
    // Makes sure the databases are loaded before they are walked.
    table().getUnitDBSetForQuery();
    std::vector<Entry> units;
    std::vector<Entry> quantities;
    std::vector<Entry> prefixes;
    // Stored entities only: prefixed forms are composed on demand, and the
    // prefixes are listed beside the units.
    CvUnitSys::UnitDBManager::m_UnitDBManager.iterateAll([&](const CvUnitSys::UnitDatabase& db) {
        for (const UnitBase& unit : db.getAllUnits()) {
            if (mentions(lowerWord, {unit.getName(), unit.getSymbol(), unit.getAsciiSymbol()})) {
                units.push_back(entryOf(unit));
            }
        }
        for (const UnitBase& quantity : db.getAllPhysicalQuantities()) {
            if (mentions(lowerWord, {quantity.getName()})) {
                quantities.push_back(entryOf(quantity));
            }
        }
        for (const CvUnitSys::UnitPrefix& prefix : db.getAllPrefixes()) {
            if (mentions(lowerWord,
                         {prefix.getName(), prefix.getSymbol(), prefix.getAsciiSymbol()})) {
                prefixes.push_back(
                    {"prefix", utf8(prefix.getSymbol()), utf8(prefix.getName()), {}});
            }
        }
    });
    units.insert(units.end(), quantities.begin(), quantities.end());
    units.insert(units.end(), prefixes.begin(), prefixes.end());
    return units;
}

Completion complete(std::string_view text) {
    return defaultUnits().complete(text);
}

std::vector<std::string> suggest(std::string_view word, bool quantities) {
    return defaultUnits().suggest(word, quantities);
}

SimilarUnits similar(std::string_view unit) {
    return defaultUnits().similar(unit);
}

std::vector<Entry> search(std::string_view word) {
    return defaultUnits().search(word);
}

} // namespace cv_units
