#include "units/expr/ParseUnitExpr.hpp"

#include "units/expr/ParseWithBuilder.hpp"
#include "units/expr/UnitComponentSplit.hpp"
#include "units/expr/UnitExprBuilder.hpp"
#include "units/platform/IException.hpp"
#include "units/platform/TextServices.hpp"

#include <algorithm>
#include <string_view>

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

std::optional<bool> splitAsciiUnitComponents(std::u16string_view text, ustring& expressionPart,
                                             ustring& qualifierPart) {
    const auto isGraph = [](char16_t c) { return c > 0x20 && c < 0x7F; };
    // Most texts are one expression without blanks: the whole text.
    if (std::all_of(text.begin(), text.end(),
                    [&](char16_t c) { return isGraph(c) && c != u'@'; })) {
        expressionPart = ustring(text);
        qualifierPart.clear();
        return true;
    }
    if (!TextServices::isAscii(text)) {
        return std::nullopt;
    }
    std::size_t pos = 0;
    const auto skipSpace = [&] {
        while (pos < text.size() &&
               (text[pos] == u' ' || (text[pos] >= u'\t' && text[pos] <= u'\r'))) {
            ++pos;
        }
    };
    // Code points of the class, blanks allowed between them; the part runs
    // from the first to the last of them.
    const auto part = [&](auto inClass) {
        std::size_t first = std::u16string_view::npos;
        std::size_t last = 0;
        for (skipSpace(); pos < text.size() && inClass(text[pos]); skipSpace()) {
            first = std::min(first, pos);
            last = ++pos;
        }
        return first == std::u16string_view::npos ? std::u16string_view()
                                                  : text.substr(first, last - first);
    };
    const std::u16string_view expression =
        part([&](char16_t c) { return isGraph(c) && c != u'@'; });
    std::u16string_view qualifier;
    if (pos < text.size() && text[pos] == u'@') {
        const std::size_t at = pos++;
        qualifier = part([&](char16_t c) {
            return isGraph(c) &&
                   std::string_view(unitSymbolExcludedChars).find(static_cast<char>(c)) ==
                       std::string_view::npos;
        });
        if (qualifier.empty()) {
            pos = at;
        }
    }
    skipSpace();
    if (pos != text.size()) {
        return false;
    }
    expressionPart = ustring(expression);
    qualifierPart = ustring(qualifier);
    return true;
}

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

bool parseExprForUnitComponents(std::u16string_view text, ustring& expressionPart,
                                ustring& qualifierPart) {
    using namespace CvUnitSys;
    if (const auto split = splitAsciiUnitComponents(text, expressionPart, qualifierPart)) {
        return *split;
    }
    return splitUnitComponentsByGrammar(text, expressionPart, qualifierPart);
}

bool CvUnitSys::splitUnitComponentsByGrammar(std::u16string_view text, ustring& expressionPart,
                                             ustring& qualifierPart) {
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
