#include "units/expr/UnitExprWithTexts.hpp"

#include "units/expr/CommonShapeParser.hpp"
#include "units/expr/GenExprUtil.hpp"
#include "units/expr/PairedBuilder.hpp"
#include "units/expr/ParseWithBuilder.hpp"
#include "units/expr/SymbolLookups.hpp"
#include "units/expr/TextTape.hpp"
#include "units/expr/UnitExprBuilder.hpp"

namespace CvUnitSys {

UnitExprWithTexts UnitExprWithTexts::parse(const ustring& text) {
    const SymbolLookups lookups;
    UnitExprWithTexts out = [&text] {
        TextTapeBuilder taped;
        if (auto value = CommonShapeParser<TextTapeBuilder>::parse(text, taped)) {
            return UnitExprWithTexts{std::move(value->expr), taped.tape().write(), nullptr, {}};
        }
        auto parsed =
            parseWithGrammarThrows<PairedBuilder<UnitExprBuilder, AllFormsTextBuilder>>(text);
        return UnitExprWithTexts{
            std::move(parsed.first), std::move(parsed.second.text), nullptr, {}};
    }();
    out.lookedUpIn = &lookups.database();
    out.firstUnits.reserve(out.expr.getExpr().size());
    for (const auto& [symbol, exponent] : out.expr.getExpr()) {
        const UnitDatabase::FirstUnit* kept = lookups.find(symbol);
        out.firstUnits.push_back(kept != nullptr ? kept->unit : nullptr);
    }
    return out;
}

} // namespace CvUnitSys
