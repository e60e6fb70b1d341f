#include "units/expr/UnitExprWithTexts.hpp"

#include "units/expr/ConversionFormatType.hpp"
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

// The database is loaded first, so that texts it parses while loading are
// not recorded.
UnitExprWithTexts::UnitExprWithTexts(const ustring& text, Forms forms)
    : lookedUpIn(UnitDatabase::getUnitDatabase()), taped_(*lookedUpIn, forms == Forms::All) {
    if (const auto value = taped_.read(text)) {
        symbols = taped_.symbolsOf<decltype(symbols)>(*value);
        texts = taped_.tape().write(text);
        // The hand reader's symbols are visible ASCII without operators: a
        // comma is the one character of theirs a name may not hold.
        symbolsAreNames = !hasComma(text);
        return;
    }
    // The grammar's text builder asks through the recorder in scope.
    const SymbolLookups lookups;
    using Builder = PairedBuilder<UnitExprBuilder, AllFormsTextBuilder>;
    // A text of too many symbols for the tape may still have the common shape,
    // which is ASCII throughout.
    auto parsed = taped_.full() && TextServices::isAscii(text)
                      ? parseWithBuilderThrows<Builder>(text)
                      : parseWithGrammarThrows<Builder>(text);
    grammarTexts_ = std::move(parsed.second.text);
    std::copy(grammarTexts_->begin(), grammarTexts_->end(), texts.texts.begin());
    owned = std::move(parsed.first);
    symbols.reserve(owned.getExpr().size());
    for (const auto& [symbol, exponent] : owned.getExpr()) {
        const UnitDatabase::FirstUnit* kept = lookups.find(symbol);
        symbols.push_back(ParsedSymbol{symbol, exponent, kept != nullptr ? kept->unit : nullptr});
        symbolsAreNames = symbolsAreNames && isValidStringForUnitName(symbol);
    }
}

std::array<ustring, 2> UnitExprWithTexts::formsMadeLater(std::u16string_view expression) {
    const ustring text(expression);
    const UnitExprWithTexts parsed(text);
    const auto form = [&](ConversionFormatType type) {
        return ustring(parsed.texts.of(static_cast<std::size_t>(type), text));
    };
    return {form(ConversionFormatType::Name), form(ConversionFormatType::Display)};
}

} // namespace CvUnitSys
