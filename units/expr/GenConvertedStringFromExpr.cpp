#include "units/expr/GenConvertedStringFromExpr.hpp"

#include "units/db/UnitDatabase.hpp"
#include "units/expr/ExprNesting.hpp"
#include "units/expr/ExprParser.hpp"
#include "units/expr/GenExprUtil.hpp"
#include "units/host/TextServices.hpp"

#include <locale>
#include <sstream>
#include <stdexcept>

namespace CvUnitSys {

namespace GenExprUtil {

ustring numberText(double value) {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << value;
    return TextServices::fromLatin1(out.str());
}

ustring integerText(std::int32_t value) {
    return TextServices::fromLatin1(std::to_string(value));
}

const UnitBase* uniqueUnit(const ustring& symbol) {
    const UnitDatabase::UnitSet units = UnitDatabase::getUnitDatabase()->getUnit(symbol);
    return units.size() == 1 ? &units.begin()->get() : nullptr;
}

template <typename Form>
void TextBuilder<Form>::fromSymbol(Expr& value, const std::u32string& symbol) {
    value.text = Form::symbolText(TextServices::fromUtf32(symbol));
}

} // namespace GenExprUtil

ustring GenDisp::symbolText(const ustring& symbol) {
    if (const UnitBase* unit = GenExprUtil::uniqueUnit(symbol)) {
        return unit->getDisplay();
    }
    ustring escaped;
    for (char16_t c : symbol) {
        if (c == u'_') {
            escaped += u'\\';
        }
        escaped += c;
    }
    return escaped;
}

namespace {

using Iterator = std::u32string::const_iterator;

template <typename Form> ustring convert(const std::u32string& cps) {
    // Rules hold no state between calls; building them costs more than a parse.
    thread_local ExprParser<Iterator, GenExprUtil::TextBuilder<Form>> parser;
    const Iterator begin = cps.cbegin();
    const Iterator end =
        begin + static_cast<std::ptrdiff_t>(tooDeepParenthesis(cps).value_or(cps.size()));
    parser.getErrorHandler().start(cps, begin);
    GenExprUtil::Expr value;
    Iterator it = begin;
    qi::phrase_parse(it, end, parser, boost::spirit::unicode::space, value);
    return std::move(value.text);
}

} // namespace

} // namespace CvUnitSys

ustring genConvertedStringFromExpr(const ustring& text, CvUnitSys::ConversionFormatType form) {
    using namespace CvUnitSys;
    std::u32string cps;
    try {
        cps = TextServices::toUtf32(text);
    } catch (const std::out_of_range&) {
        // Ill-formed UTF-16 has no symbols to convert.
        return {};
    }
    switch (form) {
    case ConversionFormatType::Display:
        return convert<GenDisp>(cps);
    case ConversionFormatType::Name:
        return convert<GenName>(cps);
    case ConversionFormatType::Symbol:
        return convert<GenSymbol>(cps);
    case ConversionFormatType::Ascii:
        return convert<GenAscii>(cps);
    }
    return {};
}
