#include "units/expr/UnitExprWithTexts.hpp"

#include "units/expr/GenExprUtil.hpp"
#include "units/expr/PairedBuilder.hpp"
#include "units/expr/ParseWithBuilder.hpp"
#include "units/expr/SymbolLookups.hpp"
#include "units/expr/TextTape.hpp"
#include "units/expr/UnitExprBuilder.hpp"
#include "units/expr/UnitTextChecks.hpp"
#include "units/platform/TextServices.hpp"

#include <algorithm>
#include <cstddef>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace CvUnitSys {

namespace {

// Eight characters at a time, the last eight overlapping those before.
bool hasComma(std::u16string_view text) {
#if defined(__SSE2__)
    if (text.size() >= 8) {
        const __m128i comma = _mm_set1_epi16(static_cast<short>(u','));
        for (std::size_t at = 0;; at = std::min(at + 8, text.size() - 8)) {
            const __m128i block =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + at));
            if (_mm_movemask_epi8(_mm_cmpeq_epi16(block, comma)) != 0) {
                return true;
            }
            if (at + 8 == text.size()) {
                return false;
            }
        }
    }
#endif
    return text.find(u',') != std::u16string_view::npos;
}

} // namespace

UnitExprWithTexts UnitExprWithTexts::parse(const ustring& text) {
    // Loaded first, so that texts it parses while loading are not recorded.
    const UnitDatabase& database = *UnitDatabase::getUnitDatabase();
    TextTapeBuilder taped(database);
    if (auto value = taped.read(text)) {
        // The hand reader's symbols are visible ASCII without operators: a
        // comma is the one character of theirs a name may not hold.
        return UnitExprWithTexts{taped.symbolsOf<decltype(symbols)>(*value),
                                 taped.tape().write(text),
                                 &database,
                                 !hasComma(text),
                                 {}};
    }
    // The grammar's text builder asks through the recorder in scope.
    const SymbolLookups lookups;
    using Builder = PairedBuilder<UnitExprBuilder, AllFormsTextBuilder>;
    // A text of too many symbols for the tape may still have the common shape,
    // which is ASCII throughout.
    auto parsed = taped.full() && TextServices::isAscii(text)
                      ? parseWithBuilderThrows<Builder>(text)
                      : parseWithGrammarThrows<Builder>(text);
    UnitExprWithTexts out{
        {}, {std::move(parsed.second.text)}, &database, true, std::move(parsed.first)};
    out.symbols.reserve(out.owned.getExpr().size());
    for (const auto& [symbol, exponent] : out.owned.getExpr()) {
        const UnitDatabase::FirstUnit* kept = lookups.find(symbol);
        out.symbols.push_back(
            ParsedSymbol{symbol, exponent, kept != nullptr ? kept->unit : nullptr});
        out.symbolsAreNames = out.symbolsAreNames && isValidStringForUnitName(symbol);
    }
    return out;
}

} // namespace CvUnitSys
