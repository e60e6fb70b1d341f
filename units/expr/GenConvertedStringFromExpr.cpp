#include "units/expr/GenConvertedStringFromExpr.hpp"

#include "units/expr/CommonShapeParser.hpp"
#include "units/expr/ExprNesting.hpp"
#include "units/expr/ExprParser.hpp"
#include "units/expr/GenExprUtil.hpp"
#include "units/expr/SymbolLookups.hpp"
#include "units/foundation/DisplayText.hpp"
#include "units/platform/TextServices.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <stdexcept>
#include <string_view>

namespace CvUnitSys {

namespace GenExprUtil {

char* writeIntegerText(std::int32_t value, char* out) {
    return std::to_chars(out, out + numberTextCapacity, value).ptr;
}

char* writeNumberText(double value, char* out) {
    // Most exponents are small whole numbers, which six significant digits
    // write as integers (a negative zero keeps its sign).
    if (std::abs(value) < 1e6 && value == std::trunc(value) &&
        !(value == 0 && std::signbit(value))) {
        return writeIntegerText(static_cast<std::int32_t>(value), out);
    }
    // What a default-format stream writes, without building one per exponent.
    return std::to_chars(out, out + numberTextCapacity, value, std::chars_format::general, 6).ptr;
}

ustring integerText(std::int32_t value) {
    std::array<char, numberTextCapacity> buffer{};
    return TextServices::fromLatin1(
        std::string_view(buffer.data(), writeIntegerText(value, buffer.data())));
}

ustring numberText(double value) {
    std::array<char, numberTextCapacity> buffer{};
    return TextServices::fromLatin1(
        std::string_view(buffer.data(), writeNumberText(value, buffer.data())));
}

const UnitBase* uniqueUnit(const ustring& symbol) {
    const auto found = SymbolLookups::lookUp(symbol);
    return found.several ? nullptr : found.unit;
}

} // namespace GenExprUtil

ustring GenDisp::symbolText(const ustring& symbol, const UnitBase* unit) {
    if (unit != nullptr) {
        return ustring(unit->getDisplay());
    }
    return escapeUnderscores(symbol);
}

namespace {

using Iterator = std::u32string::const_iterator;

template <typename Builder> auto convertWithGrammar(const std::u32string& cps) {
    auto& parser = threadExprParser<Builder>();
    const Iterator begin = cps.cbegin();
    const Iterator end =
        begin + static_cast<std::ptrdiff_t>(tooDeepParenthesis(cps).value_or(cps.size()));
    parser.getErrorHandler().start(cps, begin);
    typename Builder::Expr value;
    Iterator it = begin;
    qi::phrase_parse(it, end, parser, boost::spirit::unicode::space, value);
    return std::move(value.text);
}

// Ill-formed UTF-16 has no symbols to convert: nothing.
template <typename Builder> auto convert(const ustring& text) {
    if (auto value = CommonShapeParser<Builder>::parse(text)) {
        return std::move(value->text);
    }
    std::u32string cps;
    try {
        cps = TextServices::toUtf32(text);
    } catch (const std::out_of_range&) {
        return decltype(Builder::Expr::text){};
    }
    return convertWithGrammar<Builder>(cps);
}

} // namespace

std::array<ustring, 4> genConvertedStringsFromExpr(const ustring& text) {
    return convert<AllFormsTextBuilder>(text);
}

} // namespace CvUnitSys

ustring genConvertedStringFromExpr(const ustring& text, CvUnitSys::ConversionFormatType form) {
    using namespace CvUnitSys;
    switch (form) {
    case ConversionFormatType::Display:
        return convert<GenExprUtil::TextBuilder<GenDisp>>(text)[0];
    case ConversionFormatType::Name:
        return convert<GenExprUtil::TextBuilder<GenName>>(text)[0];
    case ConversionFormatType::Symbol:
        return convert<GenExprUtil::TextBuilder<GenSymbol>>(text)[0];
    case ConversionFormatType::Ascii:
        return convert<GenExprUtil::TextBuilder<GenAscii>>(text)[0];
    }
    return {};
}
