#include "units/expr/UnitExprWithTexts.hpp"

#include "units/expr/CommonShapeParser.hpp"
#include "units/expr/GenExprUtil.hpp"
#include "units/expr/PairedBuilder.hpp"
#include "units/expr/ParseWithBuilder.hpp"
#include "units/expr/SymbolLookups.hpp"
#include "units/expr/TextTape.hpp"
#include "units/expr/UnitExprBuilder.hpp"

#include <optional>

namespace CvUnitSys {

UnitExprWithTexts UnitExprWithTexts::parse(const ustring& text) {
    // Loaded first, so that texts it parses while loading are not recorded.
    const UnitDatabase& database = *UnitDatabase::getUnitDatabase();
    TextTapeBuilder taped(database);
    // The grammar's text builder asks through the recorder in scope.
    std::optional<SymbolLookups> lookups;
    UnitExprWithTexts out = [&] {
        if (auto value = CommonShapeParser<TextTapeBuilder>::parse(text, taped)) {
            return UnitExprWithTexts{std::move(value->expr), taped.tape().write(), &database, {}};
        }
        lookups.emplace();
        auto parsed =
            parseWithGrammarThrows<PairedBuilder<UnitExprBuilder, AllFormsTextBuilder>>(text);
        return UnitExprWithTexts{
            std::move(parsed.first), std::move(parsed.second.text), &database, {}};
    }();
    out.firstUnits.reserve(out.expr.getExpr().size());
    for (const auto& [symbol, exponent] : out.expr.getExpr()) {
        const UnitDatabase::FirstUnit* kept =
            lookups ? lookups->find(symbol) : taped.tape().find(symbol);
        out.firstUnits.push_back(kept != nullptr ? kept->unit : nullptr);
    }
    return out;
}

} // namespace CvUnitSys
