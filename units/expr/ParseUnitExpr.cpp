#include "units/expr/ParseUnitExpr.hpp"

#include "units/expr/ExprNesting.hpp"
#include "units/expr/ExprParser.hpp"
#include "units/expr/UnitExprBuilder.hpp"
#include "units/foundation/UnitMsgID.hpp"
#include "units/host/IException.hpp"
#include "units/host/TextServices.hpp"

namespace CvUnitSys {

void UnitExprBuilder::fromSymbol(UnitExpr& value, const std::u32string& symbol) {
    value = UnitExpr(TextServices::fromUtf32(symbol));
}

namespace {

using Iterator = std::u32string::const_iterator;

// The grammar holds no state that outlives a call, so each thread keeps one
// instead of building its rules again for every expression.
ExprParser<Iterator, UnitExprBuilder>& threadParser() {
    thread_local ExprParser<Iterator, UnitExprBuilder> parser;
    return parser;
}

[[noreturn]] void throwParsingError(const ustring& text, std::uint64_t column) {
    throwUnitMsg("ParsingError", {text, static_cast<std::int64_t>(column)});
}

std::u32string_view trimTrailingSpace(std::u32string_view part) {
    while (!part.empty() && boost::spirit::ucd::is_white_space(part.back())) {
        part.remove_suffix(1);
    }
    return part;
}

} // namespace

} // namespace CvUnitSys

void parseUnitExprThrows(const ustring& text, UnitExpr& out) {
    using namespace CvUnitSys;
    const std::u32string cps = TextServices::toUtf32(text);
    // Deeper input is parsed only up to the offending parenthesis, so that an
    // earlier error keeps its own column.
    const std::size_t limit = tooDeepParenthesis(cps).value_or(cps.size());
    auto& parser = threadParser();
    const Iterator begin = cps.cbegin();
    const Iterator end = begin + static_cast<std::ptrdiff_t>(limit);
    parser.getErrorHandler().start(cps, begin);
    UnitExpr value;
    Iterator it = begin;
    const bool ok = qi::phrase_parse(it, end, parser, boost::spirit::unicode::space, value);
    if (!ok) {
        const auto& errors = parser.getErrorHandler().errors();
        throwParsingError(text, errors.empty()
                                    ? unitParseColumn(cps, static_cast<std::size_t>(it - begin))
                                    : errors.front().column);
    }
    while (it != end && boost::spirit::ucd::is_white_space(*it)) {
        ++it;
    }
    if (it != end || limit != cps.size()) {
        throwParsingError(text, unitParseColumn(cps, static_cast<std::size_t>(it - begin)));
    }
    out = value;
}

bool parseUnitExprNoThrow(const ustring& text, UnitExpr& out) {
    try {
        parseUnitExprThrows(text, out);
        return true;
    } catch (const CvUnitSys::IUserException&) {
        return false;
    }
}

bool parseExprForUnitComponents(const ustring& text, ustring& expressionPart,
                                ustring& qualifierPart) {
    using namespace CvUnitSys;
    namespace unicode = boost::spirit::unicode;
    std::u32string cps;
    try {
        cps = TextServices::toUtf32(text);
    } catch (const std::out_of_range&) {
        return false;
    }
    boost::iterator_range<Iterator> expr;
    boost::iterator_range<Iterator> qualifier;
    Iterator it = cps.cbegin();
    const Iterator end = cps.cend();
    const bool ok = qi::phrase_parse(
        it, end,
        -qi::raw[+(unicode::graph - '@')] >>
            -('@' >> qi::raw[+(unicode::graph - unicode::char_(unitSymbolExcludedChars))]),
        unicode::space, expr, qualifier);
    if (!ok || it != end) {
        return false;
    }
    auto toText = [&](const boost::iterator_range<Iterator>& r) {
        const std::u32string_view part(cps.data() + (r.begin() - cps.cbegin()),
                                       static_cast<std::size_t>(r.end() - r.begin()));
        return TextServices::fromUtf32(trimTrailingSpace(part));
    };
    expressionPart = toText(expr);
    qualifierPart = toText(qualifier);
    return true;
}
