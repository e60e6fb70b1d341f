#include "units/expr/TextTape.hpp"

#include "units/expr/GenExprUtil.hpp"
#include "units/expr/UnitExprBuilder.hpp"
#include "units/foundation/DisplayText.hpp"
#include "units/foundation/TextEqual.hpp"
#include "units/model/UnitBase.hpp"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string_view>
#include <utility>

namespace CvUnitSys {

namespace {

// Calls `f` with an affix's text in the typeset form and in the plain ones,
// as arrays, so that their lengths are known when compiling. A power's text
// is followed by its exponent and, typeset, a closing brace.
template <typename F> decltype(auto) withAffixTexts(TextTape::Affix affix, F&& f) {
    switch (affix) {
    case TextTape::Affix::Times:
        return f(u"\\cdot{}", u"*");
    case TextTape::Affix::Over:
        return f(u"/", u"/");
    case TextTape::Affix::OneOver:
        return f(u"1/", u"1/");
    case TextTape::Affix::Open:
        return f(u"(", u"(");
    case TextTape::Affix::Close:
        return f(u")", u")");
    case TextTape::Affix::Power:
        break;
    }
    return f(u"^{", u"^");
}

void append(char16_t*& at, std::u16string_view piece) {
    std::memcpy(at, piece.data(), piece.size() * sizeof(char16_t));
    at += piece.size();
}

// Appends `piece` to the typeset form and `plain` to the others.
template <std::size_t Forms>
void emitAffix(std::array<char16_t*, 4>& at, std::u16string_view piece, std::u16string_view plain) {
    append(at[0], piece);
    for (std::size_t form = 1; form < Forms; ++form) {
        append(at[form], plain);
    }
}

// The same for texts known when compiling: a few moves each rather than a
// call per form.
template <std::size_t Forms, std::size_t N, std::size_t M>
void emitAffix(std::array<char16_t*, 4>& at, const char16_t (&piece)[N],
               const char16_t (&plain)[M]) {
    std::memcpy(at[0], piece, (N - 1) * sizeof(char16_t));
    at[0] += N - 1;
    for (std::size_t form = 1; form < Forms; ++form) {
        std::memcpy(at[form], plain, (M - 1) * sizeof(char16_t));
        at[form] += M - 1;
    }
}

} // namespace

std::uint32_t TextTape::symbol(std::u16string_view text, const UnitBase*& first) {
    // The database keeps its answers and reads them without a lock: a symbol
    // written twice is not worth a list of this text's own.
    const UnitDatabase::FirstUnit found = database_->getFirstUnit(text);
    first = found.unit;
    // A symbol several units answer to stands for itself, as in the text builder.
    const UnitBase* unit = found.several ? nullptr : found.unit;
    if (unit == nullptr) {
        return symbolOfItself(text);
    }
    sizes_[0] += unit->getDisplay().size();
    sizes_[1] += unit->getName().size();
    sizes_[2] += unit->getSymbol().size();
    sizes_[3] += unit->getAsciiSymbol().size();
    // A unit's texts hold each distinct text once: equal texts are one string.
    asciiIsSymbol_ = asciiIsSymbol_ && &unit->getSymbol() == &unit->getAsciiSymbol();
    items_.push_back(Item{true, Affix::Close, 0, unit, 0, 0});
    return static_cast<std::uint32_t>(items_.size() - 1);
}

std::uint32_t TextTape::symbolOfItself(std::u16string_view text) {
    const auto at = static_cast<std::uint32_t>(texts_.size());
    texts_.emplace_back(text);
    texts_.push_back(GenDisp::symbolText(texts_.back(), nullptr));
    grow(texts_.back().size(), text.size());
    items_.push_back(Item{true, Affix::Close, 0, nullptr, at, 0});
    return static_cast<std::uint32_t>(items_.size() - 1);
}

void TextTape::grow(std::size_t typeset, std::size_t plain) {
    sizes_[0] += typeset;
    sizes_[1] += plain;
    sizes_[2] += plain;
    sizes_[3] += plain;
}

void TextTape::prefix(std::uint32_t at, Affix affix) {
    prefixes_.push_back(Prefix{affix, items_[at].prefixes});
    items_[at].prefixes = static_cast<std::uint32_t>(prefixes_.size());
    withAffixTexts(affix, [this](const auto& typeset, const auto& plain) {
        grow(std::size(typeset) - 1, std::size(plain) - 1);
    });
}

void TextTape::close() {
    items_.push_back(Item{false, Affix::Close, 0, nullptr, 0, 0});
    grow(1, 1);
}

void TextTape::raise(std::u16string_view exponent) {
    const auto size = static_cast<std::uint32_t>(exponent.size());
    items_.push_back(
        Item{false, Affix::Power, 0, nullptr, static_cast<std::uint32_t>(chars_.size()), size});
    chars_.insert(chars_.end(), exponent.begin(), exponent.end());
    // "^{" exponent "}" typeset, "^" exponent plain.
    grow(size + 3, size + 1);
}

template <std::size_t Forms> void TextTape::emit(std::array<char16_t*, 4>& at) const {
    for (const Item& item : items_) {
        if (!item.isSymbol) {
            withAffixTexts(item.suffix, [&at](const auto& typeset, const auto& plain) {
                emitAffix<Forms>(at, typeset, plain);
            });
            if (item.suffix == Affix::Power) {
                const std::u16string_view exponent(chars_.data() + item.text, item.size);
                emitAffix<Forms>(at, exponent, exponent);
                *at[0]++ = u'}';
            }
            continue;
        }
        for (std::uint32_t p = item.prefixes; p != 0; p = prefixes_[p - 1].next) {
            withAffixTexts(prefixes_[p - 1].affix, [&at](const auto& typeset, const auto& plain) {
                emitAffix<Forms>(at, typeset, plain);
            });
        }
        if (item.unit != nullptr) {
            append(at[0], item.unit->getDisplay());
            append(at[1], item.unit->getName());
            append(at[2], item.unit->getSymbol());
            if constexpr (Forms == 4) {
                append(at[3], item.unit->getAsciiSymbol());
            }
        } else {
            emitAffix<Forms>(at, texts_[item.text + 1], texts_[item.text]);
        }
    }
}

FormTexts TextTape::write(std::u16string_view source) const {
    // Only a form as long as the text may equal it: such a form is written on
    // the stack first, every other one straight into its string.
    static constexpr std::size_t stackLength = 128;
    const bool onStack = source.size() <= stackLength;
    std::array<std::array<char16_t, stackLength>, 4> buffers;
    FormTexts out;
    const std::size_t forms = asciiIsSymbol_ ? 3 : 4;
    std::array<char16_t*, 4> at{};
    for (std::size_t form = 0; form < forms; ++form) {
        if (sizes_[form] == source.size() && onStack) {
            at[form] = buffers[form].data();
        } else {
            // Constructed, not resized or assigned: growing past the inline
            // capacity rounds the heap buffer up to twice that.
            out.texts[form] = ustring(sizes_[form], u'\0');
            at[form] = out.texts[form].data();
        }
    }
    if (asciiIsSymbol_) {
        emit<3>(at);
    } else {
        emit<4>(at);
    }
    for (std::size_t form = 0; form < forms; ++form) {
        if (sizes_[form] != source.size()) {
            continue;
        }
        const char16_t* written = onStack ? buffers[form].data() : out.texts[form].data();
        if (sameText(std::u16string_view(written, source.size()), source)) {
            out.origin[form] = FormTexts::convertedText;
        } else if (onStack) {
            out.texts[form] = ustring(written, source.size());
        }
    }
    if (asciiIsSymbol_) {
        out.origin[3] = out.origin[2];
    }
    return out;
}

void TextTapeBuilder::merge(Result& value, const Result& operand, bool invert) {
    std::uint32_t end = value.end;
    for (std::uint32_t i = operand.begin; i < operand.end; ++i) {
        ParsedSymbol factor = factors_[i];
        if (invert) {
            factor.exponent =
                CvUnitSys::Exponent(factor.exponent.getNegExpo(), factor.exponent.getPosExpo());
        }
        const auto last = factors_.begin() + end;
        const auto same =
            std::find_if(factors_.begin() + value.begin, last,
                         [&](const ParsedSymbol& s) { return s.text == factor.text; });
        if (same != last) {
            same->exponent += factor.exponent;
        } else {
            factors_[end++] = factor;
        }
    }
    factors_.resize(end);
    value.end = end;
}

void TextTapeBuilder::multiply(Result& value, Result& operand) {
    merge(value, operand, false);
    tape_.prefix(operand.first, TextTape::Affix::Times);
}

void TextTapeBuilder::divide(Result& value, Result& operand) {
    merge(value, operand, true);
    tape_.prefix(operand.first, TextTape::Affix::Over);
}

void TextTapeBuilder::invertInto(Result& value, Result& operand) {
    // As UnitExpr::invert: raised to -1, not swapped part by part.
    for (std::uint32_t i = operand.begin; i < operand.end; ++i) {
        factors_[i].exponent *= CvUnitSys::Exponent(-1.0);
    }
    tape_.prefix(operand.first, TextTape::Affix::OneOver);
    value = operand;
}

void TextTapeBuilder::fromSymbol(Result& value, std::u16string_view symbol) {
    const UnitBase* first = nullptr;
    value.first = tape_.symbol(symbol, first);
    value.begin = static_cast<std::uint32_t>(factors_.size());
    if (factors_.size() == maxFactors) {
        full_ = true;
    } else {
        // Both parts given: the same exponent as Exponent(1.0), without its call.
        factors_.push_back(ParsedSymbol{symbol, CvUnitSys::Exponent(1.0, 0.0), first});
    }
    value.end = static_cast<std::uint32_t>(factors_.size());
}

void TextTapeBuilder::parenthesize(SubExpr& sub, Result& value) {
    tape_.prefix(value.first, TextTape::Affix::Open);
    tape_.close();
    sub = value;
}

void TextTapeBuilder::raise(Result& value, Exponent& e) {
    for (std::uint32_t i = value.begin; i < value.end; ++i) {
        factors_[i].exponent *= e.value;
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

void TextTapeBuilder::fromNumber(Exponent& e, double x) {
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

} // namespace CvUnitSys
