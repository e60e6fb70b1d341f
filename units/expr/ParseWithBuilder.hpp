#pragma once

#include "units/expr/CommonShapeParser.hpp"
#include "units/expr/ExprNesting.hpp"
#include "units/expr/ExprParser.hpp"
#include "units/foundation/UString.hpp"
#include "units/foundation/UnitMsgID.hpp"
#include "units/platform/TextServices.hpp"

#include <string>

namespace CvUnitSys {

// Parses the whole of `text` with the grammar and `Builder`. A syntax error
// throws "CorvaneTypes:Unit:ParsingError" with the text and the 1-based column;
// text with an unpaired surrogate throws std::out_of_range.
template <typename Builder> typename Builder::Result parseWithGrammarThrows(const ustring& text) {
    using Iterator = std::u32string::const_iterator;
    auto& parser = threadExprParser<Builder>();
    const std::u32string cps = TextServices::toUtf32(text);
    // Deeper input is parsed only up to the offending parenthesis, so that an
    // earlier error keeps its own column.
    const std::size_t limit = tooDeepParenthesis(cps).value_or(cps.size());
    const Iterator begin = cps.cbegin();
    const Iterator end = begin + static_cast<std::ptrdiff_t>(limit);
    parser.getErrorHandler().start(cps, begin);
    typename Builder::Result value;
    Iterator it = begin;
    const bool ok = qi::phrase_parse(it, end, parser, boost::spirit::unicode::space, value);
    const auto fail = [&](std::uint64_t column) {
        throwUnitMsg("ParsingError", {text, static_cast<std::int64_t>(column)});
    };
    if (!ok) {
        const auto& errors = parser.getErrorHandler().errors();
        fail(errors.empty() ? unitParseColumn(cps, static_cast<std::size_t>(it - begin))
                            : errors.front().column);
    }
    while (it != end && boost::spirit::ucd::is_white_space(*it)) {
        ++it;
    }
    if (it != end || limit != cps.size()) {
        fail(unitParseColumn(cps, static_cast<std::size_t>(it - begin)));
    }
    return value;
}

// parseWithGrammarThrows, with the common shapes read without the grammar.
template <typename Builder> typename Builder::Result parseWithBuilderThrows(const ustring& text) {
    if (auto value = CommonShapeParser<Builder>::parse(text)) {
        return std::move(*value);
    }
    return parseWithGrammarThrows<Builder>(text);
}

} // namespace CvUnitSys
