#include "units/expr/TextTape.hpp"

#include "units/expr/GenExprUtil.hpp"
#include "units/expr/UnitExprBuilder.hpp"
#include "units/foundation/DisplayText.hpp"
#include "units/foundation/TextEqual.hpp"
#include "units/model/UnitBase.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string_view>
#include <utility>

namespace CvUnitSys {

UnitDatabase::FirstUnit TextTape::symbol(std::u16string_view text) {
    // The database keeps its answers and reads them without a lock: a symbol
    // written twice is not worth a list of this text's own.
    const UnitDatabase::FirstUnit found = database_->getFirstUnit(text);
    putSymbol(text, found);
    return found;
}

TextTape::TextTape(const UnitDatabase& database, bool allForms)
    : database_(&database), allForms_(allForms) {
    for (std::size_t form = 0; form < 4; ++form) {
        begin_[form] = inline_[form].data();
        at_[form] = begin_[form];
        limit_[form] = begin_[form] + inlineLength;
    }
}

inline void TextTape::putSymbol(std::u16string_view text, const UnitDatabase::FirstUnit& found) {
    // A symbol several units answer to stands for itself, as in the text builder.
    const UnitBase* unit = found.several ? nullptr : found.unit;
    if (unit == nullptr) {
        // Rare: such a symbol names no unit, or several.
        if (allForms_) {
            put(0, escapeUnderscores(ustring(text)));
        }
        putPlain(text);
        return;
    }
    // Most symbols are their unit's symbol and ASCII symbol: written from the
    // text at hand, without reading the unit's texts, which are rarely in cache.
    if (!allForms_ && found.symbolIsText) {
        put(2, text);
        if (forms_ == 4) {
            put(3, text);
        }
        return;
    }
    // Taken as views first, so that the writes do not make them read again.
    const std::u16string_view display = allForms_ ? unit->getDisplay() : std::u16string_view();
    const std::u16string_view name = allForms_ ? unit->getName() : std::u16string_view();
    const std::u16string_view symbol = unit->getSymbol();
    const std::u16string_view ascii = unit->getAsciiSymbol();
    // A unit's texts hold each distinct text once: equal texts are one string.
    if (forms_ == 3 && ascii.data() != symbol.data()) {
        put(3, std::u16string_view(begin_[2], static_cast<std::size_t>(at_[2] - begin_[2])));
        forms_ = 4;
    }
    if (allForms_) {
        put(0, display);
        put(1, name);
    }
    put(2, symbol);
    if (forms_ == 4) {
        put(3, ascii);
    }
}

char16_t* TextTape::grow(std::size_t form, std::size_t more) {
    const auto size = static_cast<std::size_t>(at_[form] - begin_[form]);
    const std::size_t capacity =
        std::max(2 * static_cast<std::size_t>(limit_[form] - begin_[form]), size + more);
    auto larger = std::make_unique_for_overwrite<char16_t[]>(capacity);
    std::copy(begin_[form], at_[form], larger.get());
    heap_[form] = std::move(larger);
    begin_[form] = heap_[form].get();
    at_[form] = begin_[form] + size;
    limit_[form] = begin_[form] + capacity;
    return at_[form];
}

inline void TextTape::lead(Lead token) {
    switch (token) {
    case Lead::Times:
        return putAffix(u"\\cdot{}", u"*");
    case Lead::Over:
        return putAffix(u"/", u"/");
    case Lead::OneOver:
        return putAffix(u"1/", u"1/");
    case Lead::Open:
        return putAffix(u"(", u"(");
    }
}

inline void TextTape::close() {
    putAffix(u")", u")");
}

inline void TextTape::raise(std::u16string_view exponent) {
    if (allForms_) {
        put(0, u"^{");
        put(0, exponent);
        put(0, u"}");
    }
    putPlain(u"^");
    putPlain(exponent);
}

FormTexts TextTape::write(std::u16string_view source) const {
    FormTexts out;
    if (!allForms_) {
        out.origin[0] = FormTexts::madeLater;
        out.origin[1] = FormTexts::madeLater;
    }
    for (std::size_t form = allForms_ ? 0 : 2; form < forms_; ++form) {
        const std::u16string_view written(begin_[form],
                                          static_cast<std::size_t>(at_[form] - begin_[form]));
        if (sameText(written, source)) {
            out.origin[form] = FormTexts::convertedText;
        } else {
            out.texts[form] = written;
        }
    }
    if (forms_ == 3) {
        out.origin[3] = out.origin[2];
    }
    return out;
}

inline void TextTapeBuilder::merge(Result& value, const Result& operand, bool invert) {
    // The operand's stretch starts where the value's ends.
    std::uint32_t end = value.end;
    for (std::uint32_t i = operand.begin; i < operand.end; ++i) {
        ParsedSymbol& factor = factors_[i];
        if (invert) {
            factor.exponent =
                CvUnitSys::Exponent(factor.exponent.getNegExpo(), factor.exponent.getPosExpo());
        }
        std::uint32_t same = value.begin;
        while (same < end && factors_[same].text != factor.text) {
            ++same;
        }
        if (same < end) {
            factors_[same].exponent += factor.exponent;
        } else if (end++ != i) {
            factors_[end - 1] = factor;
        }
    }
    factors_.resize(end);
    value.end = end;
}

inline void TextTapeBuilder::invertInto(Result& value, Result& operand) {
    // As UnitExpr::invert: raised to -1, not swapped part by part.
    for (std::uint32_t i = operand.begin; i < operand.end; ++i) {
        factors_[i].exponent *= CvUnitSys::Exponent(-1.0);
    }
    value = operand;
}

inline void TextTapeBuilder::fromSymbol(Result& value, std::u16string_view symbol) {
    const UnitDatabase::FirstUnit found = tape_.symbol(symbol);
    value.begin = static_cast<std::uint32_t>(factors_.size());
    if (factors_.size() == maxFactors) {
        full_ = true;
    } else {
        // Both parts given: the same exponent as Exponent(1.0), without its call.
        factors_.push_back(ParsedSymbol{symbol, CvUnitSys::Exponent(1.0, 0.0), found.unit,
                                        found.symbolIsText && !found.several});
    }
    value.end = static_cast<std::uint32_t>(factors_.size());
}

inline void TextTapeBuilder::raise(Result& value, Exponent& e) {
    // A symbol's first power, as most are, takes the power's own parts: the
    // same bits as raising (1, 0) by it.
    const CvUnitSys::Exponent once(e.value.getPosExpo() + 0.0, e.value.getNegExpo() + 0.0);
    for (std::uint32_t i = value.begin; i < value.end; ++i) {
        CvUnitSys::Exponent& exponent = factors_[i].exponent;
        if (exponent.getPosExpo() == 1.0 && exponent.getNegExpo() == 0.0) {
            exponent = once;
        } else {
            exponent *= e.value;
        }
    }
    tape_.raise(std::u16string_view(e.text.data(), e.size));
}

namespace {

// Appends ASCII text to an exponent's text.
void widen(TextTapeBuilder::Exponent& e, const char* begin, const char* end) {
    e.size =
        static_cast<std::uint8_t>(std::copy(begin, end, e.text.begin() + e.size) - e.text.begin());
}

} // namespace

inline void TextTapeBuilder::fromNumber(Exponent& e, double x) {
    // Most powers are one digit, perhaps negative: the number writer's text
    // and Exponent(x)'s bits, without their calls. A negative zero keeps its
    // sign in the text, so it takes the general way.
    if (x > -10 && x < 10 && x == static_cast<int>(x) && !(x == 0 && std::signbit(x))) {
        const bool negative = x < 0;
        e.value = negative ? CvUnitSys::Exponent(0.0, -x) : CvUnitSys::Exponent(x + 0.0, 0.0);
        e.text[0] = u'-';
        e.text[negative ? 1 : 0] =
            static_cast<char16_t>(u'0' + static_cast<int>(negative ? -x : x));
        e.size = negative ? 2 : 1;
        return;
    }
    UnitExprBuilder::fromNumber(e.value, x);
    std::array<char, GenExprUtil::numberTextCapacity> buffer;
    e.size = 0;
    widen(e, buffer.data(), GenExprUtil::writeNumberText(x, buffer.data()));
}

void TextTapeBuilder::fromRational(Exponent& e, const Rational& r) {
    UnitExprBuilder::fromRational(e.value, r);
    std::array<char, GenExprUtil::numberTextCapacity> buffer;
    e.size = 0;
    widen(e, buffer.data(), GenExprUtil::writeIntegerText(r.numerator, buffer.data()));
    const char slash = '/';
    widen(e, &slash, &slash + 1);
    widen(e, buffer.data(), GenExprUtil::writeIntegerText(r.denominator, buffer.data()));
}

void TextTapeBuilder::makeRational(Rational& r, int numerator, int denominator) {
    UnitExprBuilder::makeRational(r, numerator, denominator);
}

// The steps defined inline above have the reader here as their one caller.
std::optional<TextTapeBuilder::Result> TextTapeBuilder::read(std::u16string_view text) {
    return CommonShapeParser<TextTapeBuilder>::parse(text, *this);
}

} // namespace CvUnitSys
