#include "units/expr/TextTape.hpp"

#include "units/expr/GenExprUtil.hpp"
#include "units/expr/SymbolLookups.hpp"
#include "units/expr/UnitExprBuilder.hpp"
#include "units/foundation/DisplayText.hpp"
#include "units/foundation/TextEqual.hpp"
#include "units/model/UnitBase.hpp"

#include <algorithm>
#include <string_view>
#include <utility>

namespace CvUnitSys {

namespace {

constexpr std::size_t display = 0;

// An affix's text in the typeset form (0) or a plain one; a power's text is
// followed by its exponent and, typeset, a closing brace.
template <std::size_t Form> constexpr std::u16string_view affixText(TextTape::Affix affix) {
    switch (affix) {
    case TextTape::Affix::Times:
        return Form == display ? u"\\cdot{}" : u"*";
    case TextTape::Affix::Over:
        return u"/";
    case TextTape::Affix::OneOver:
        return u"1/";
    case TextTape::Affix::Open:
        return u"(";
    case TextTape::Affix::Close:
        return u")";
    case TextTape::Affix::Power:
        return Form == display ? u"^{" : u"^";
    }
    return {};
}

// Counts what would be written, so that each text is allocated once.
struct Measure {
    std::size_t size = 0;
    void operator+=(std::u16string_view piece) { size += piece.size(); }
};

// Writes into a text already at its final size.
struct Copy {
    char16_t* at;
    void operator+=(std::u16string_view piece) { at = std::copy(piece.begin(), piece.end(), at); }
};

// Writes into a buffer on the stack, so that each text is allocated once at
// its final size without a pass to measure it; a text too long for the buffer
// is marked and written again after all.
struct Fixed {
    static constexpr std::size_t capacity = 256;
    std::array<char16_t, capacity> data;
    std::size_t size = 0;
    bool overflow = false;
    void operator+=(std::u16string_view piece) {
        if (piece.size() > capacity - size) {
            overflow = true;
            return;
        }
        std::copy(piece.begin(), piece.end(), data.begin() + size);
        size += piece.size();
    }
};

// Appends `piece` to the typeset form and `plain` to the three others.
template <typename Out>
void emitAffix(std::array<Out, 4>& out, std::u16string_view piece, std::u16string_view plain) {
    out[0] += piece;
    out[1] += plain;
    out[2] += plain;
    out[3] += plain;
}

} // namespace

const UnitDatabase::FirstUnit* TextTape::find(std::u16string_view symbol) const {
    for (const Answer& answer : answers_) {
        if (answer.symbol == symbol) {
            return &answer.found;
        }
    }
    return nullptr;
}

std::uint32_t TextTape::symbol(std::u16string_view text, const UnitBase*& first) {
    const UnitDatabase::FirstUnit* kept = find(text);
    UnitDatabase::FirstUnit found;
    if (kept != nullptr) {
        found = *kept;
    } else {
        found = database_->getFirstUnit(ustring(text));
        if (answers_.size() < SymbolLookups::maxKept &&
            text.size() <= SymbolLookups::maxSymbolLength) {
            answers_.push_back({text, found});
        }
    }
    first = found.unit;
    // A symbol several units answer to stands for itself, as in the text builder.
    const UnitBase* unit = found.several ? nullptr : found.unit;
    const auto at = static_cast<std::uint32_t>(texts_.size());
    if (unit == nullptr) {
        texts_.emplace_back(text);
        texts_.push_back(GenDisp::symbolText(texts_.back(), nullptr));
    }
    items_.push_back(Item{true, Affix::Close, 0, unit, at});
    return static_cast<std::uint32_t>(items_.size() - 1);
}

void TextTape::prefix(std::uint32_t at, Affix affix) {
    prefixes_.push_back(Prefix{affix, items_[at].prefixes});
    items_[at].prefixes = static_cast<std::uint32_t>(prefixes_.size());
}

void TextTape::close() {
    items_.push_back(Item{false, Affix::Close, 0, nullptr, 0});
}

void TextTape::raise(ustring exponent) {
    items_.push_back(
        Item{false, Affix::Power, 0, nullptr, static_cast<std::uint32_t>(texts_.size())});
    texts_.push_back(std::move(exponent));
}

template <typename Out> void TextTape::emit(std::array<Out, 4>& out) const {
    for (const Item& item : items_) {
        if (!item.isSymbol) {
            emitAffix(out, affixText<display>(item.suffix), affixText<1>(item.suffix));
            if (item.suffix == Affix::Power) {
                emitAffix(out, texts_[item.text], texts_[item.text]);
                out[0] += u"}";
            }
            continue;
        }
        for (std::uint32_t p = item.prefixes; p != 0; p = prefixes_[p - 1].next) {
            const Affix affix = prefixes_[p - 1].affix;
            emitAffix(out, affixText<display>(affix), affixText<1>(affix));
        }
        if (item.unit != nullptr) {
            out[0] += item.unit->getDisplay();
            out[1] += item.unit->getName();
            out[2] += item.unit->getSymbol();
            out[3] += item.unit->getAsciiSymbol();
        } else {
            emitAffix(out, texts_[item.text + 1], texts_[item.text]);
        }
    }
}

std::array<ustring, 4> TextTape::write(std::u16string_view source, std::uint8_t& same) const {
    same = 0;
    std::array<Fixed, 4> buffers;
    emit(buffers);
    if (std::ranges::none_of(buffers, &Fixed::overflow)) {
        // Built in place, each at its final size.
        const auto text = [&](std::size_t form) {
            const std::u16string_view written(buffers[form].data.data(), buffers[form].size);
            if (sameText(written, source)) {
                same |= static_cast<std::uint8_t>(1U << form);
                return ustring();
            }
            return ustring(written);
        };
        return {text(0), text(1), text(2), text(3)};
    }
    std::array<Measure, 4> sizes{};
    emit(sizes);
    std::array<ustring, 4> texts;
    std::array<Copy, 4> copies{};
    for (std::size_t form = 0; form < texts.size(); ++form) {
        texts[form].resize(sizes[form].size);
        copies[form].at = texts[form].data();
    }
    emit(copies);
    return texts;
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
        factors_.push_back(ParsedSymbol{symbol, CvUnitSys::Exponent(1.0), first});
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
    tape_.raise(std::move(e.text.text));
}

void TextTapeBuilder::fromNumber(Exponent& e, double x) {
    UnitExprBuilder::fromNumber(e.value, x);
    AllFormsTextBuilder::fromNumber(e.text, x);
}

void TextTapeBuilder::fromRational(Exponent& e, const Rational& r) {
    UnitExprBuilder::fromRational(e.value, r);
    AllFormsTextBuilder::fromRational(e.text, r);
}

void TextTapeBuilder::makeRational(Rational& r, int numerator, int denominator) {
    UnitExprBuilder::makeRational(r, numerator, denominator);
}

} // namespace CvUnitSys
