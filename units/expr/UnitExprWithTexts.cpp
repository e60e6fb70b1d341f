#include "units/expr/UnitExprWithTexts.hpp"

#include "units/expr/GenExprUtil.hpp"
#include "units/expr/PairedBuilder.hpp"
#include "units/expr/ParseWithBuilder.hpp"
#include "units/expr/SymbolLookups.hpp"
#include "units/expr/UnitExprBuilder.hpp"

namespace CvUnitSys {

UnitExprWithTexts UnitExprWithTexts::parse(const ustring& text) {
    const SymbolLookups lookups;
    auto parsed = parseWithBuilderThrows<PairedBuilder<UnitExprBuilder, AllFormsTextBuilder>>(text);
    UnitExprWithTexts out{
        std::move(parsed.first), std::move(parsed.second.text), &lookups.database(), {}};
    out.firstUnits.reserve(out.expr.getExpr().size());
    for (const auto& [symbol, exponent] : out.expr.getExpr()) {
        const UnitDatabase::FirstUnit* kept = lookups.find(symbol);
        out.firstUnits.push_back(kept != nullptr ? kept->unit : nullptr);
    }
    return out;
}

} // namespace CvUnitSys
