#include "units/expr/ParseUnitExpr.hpp"

#include "units/expr/ParseWithBuilder.hpp"
#include "units/expr/UnitExprBuilder.hpp"
#include "units/platform/IException.hpp"
#include "units/platform/TextServices.hpp"

namespace CvUnitSys {

namespace {

using Iterator = std::u32string::const_iterator;

std::u32string_view trimTrailingSpace(std::u32string_view part) {
    while (!part.empty() && boost::spirit::ucd::is_white_space(part.back())) {
        part.remove_suffix(1);
    }
    return part;
}

using SplitRule = qi::rule<
    Iterator,
    boost::fusion::vector<boost::iterator_range<Iterator>, boost::iterator_range<Iterator>>(),
    boost::spirit::unicode::space_type>;

// Building the character sets costs more than a split, so each thread keeps
// its rule.
const SplitRule& splitRule() {
    namespace unicode = boost::spirit::unicode;
    thread_local const SplitRule rule =
        -qi::raw[+(unicode::graph - '@')] >>
        -('@' >> qi::raw[+(unicode::graph - unicode::char_(unitSymbolExcludedChars))]);
    return rule;
}

} // namespace

} // namespace CvUnitSys

void parseUnitExprThrows(const ustring& text, UnitExpr& out) {
    out = CvUnitSys::parseWithBuilderThrows<CvUnitSys::UnitExprBuilder>(text);
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
    boost::fusion::vector<boost::iterator_range<Iterator>, boost::iterator_range<Iterator>> parts;
    Iterator it = cps.cbegin();
    const Iterator end = cps.cend();
    const bool ok = qi::phrase_parse(it, end, splitRule(), unicode::space, parts);
    if (!ok || it != end) {
        return false;
    }
    auto toText = [](const boost::iterator_range<Iterator>& r) {
        // An absent part is a range of two value-initialised iterators, which
        // point into no buffer: no arithmetic on them.
        if (r.empty()) {
            return ustring();
        }
        const std::u32string_view part(&*r.begin(), static_cast<std::size_t>(r.size()));
        return TextServices::fromUtf32(trimTrailingSpace(part));
    };
    expressionPart = toText(boost::fusion::at_c<0>(parts));
    qualifierPart = toText(boost::fusion::at_c<1>(parts));
    return true;
}
