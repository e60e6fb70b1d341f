#include "units/expr/ExprSymbolLists.hpp"

#include "units/db/UnitDBManager.hpp"
#include "units/db/UnitDBSet.hpp"
#include "units/expr/ParseUnitExpr.hpp"
#include "units/model/UnitFactory.hpp"
#include "units/platform/IException.hpp"

#include <stdexcept>

namespace CvUnitSys {

namespace {

template <typename Keep> std::vector<ustring> symbolsWhere(const ustring& text, Keep keep) {
    UnitExpr parsed;
    try {
        parseUnitExprThrows(text, parsed);
    } catch (const IException&) {
        return {text};
    } catch (const std::out_of_range&) {
        // Ill-formed UTF-16 is as unreadable as a syntax error.
        return {text};
    }
    std::vector<ustring> out;
    for (const auto& [symbol, exponent] : parsed.getExpr()) {
        if (keep(symbol)) {
            out.push_back(symbol);
        }
    }
    return out;
}

} // namespace

std::vector<ustring> getUndefinedUnitsFromExpr(const ustring& text, const UnitDBSet& set) {
    const UnitBase& anyQuantity = UnitFactory::getDefaultPhysicalQuantity();
    return symbolsWhere(text,
                        [&](const ustring& symbol) { return !set.hasUnit(symbol, anyQuantity); });
}

std::vector<ustring> getAmbiguousUnitsFromExpr(const ustring& text, const UnitDBSet&) {
    return symbolsWhere(text, [](const ustring& symbol) {
        return UnitDBManager::m_UnitDBManager.isAmbiguousSymbol(symbol);
    });
}

} // namespace CvUnitSys
