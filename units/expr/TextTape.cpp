#include "units/expr/TextTape.hpp"

#include "units/expr/GenExprUtil.hpp"
#include "units/expr/UnitExprBuilder.hpp"
#include "units/foundation/DisplayText.hpp"
#include "units/model/UnitBase.hpp"

#include <algorithm>
#include <string_view>
#include <utility>

namespace CvUnitSys {

namespace {

constexpr std::size_t display = 0;

// An affix's text in the typeset form (0) or a plain one; a power's text is
// followed by its exponent and, typeset, a closing brace.
template <std::size_t Form> std::u16string_view affixText(TextTape::Affix affix) {
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

template <std::size_t Form> const ustring& unitText(const UnitBase& unit) {
    if constexpr (Form == display) {
        return unit.getDisplay();
    } else if constexpr (Form == 1) {
        return unit.getName();
    } else if constexpr (Form == 2) {
        return unit.getSymbol();
    } else {
        return unit.getAsciiSymbol();
    }
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

} // namespace

std::uint32_t TextTape::symbol(const ustring& text) {
    const UnitBase* unit = GenExprUtil::uniqueUnit(text);
    auto at = static_cast<std::uint32_t>(texts_.size());
    if (unit == nullptr) {
        texts_.push_back(text);
        texts_.push_back(GenDisp::symbolText(text, nullptr));
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

template <std::size_t Form, typename Out>
inline void TextTape::emit(const Item& item, Out& out) const {
    if (!item.isSymbol) {
        out += affixText<Form>(item.suffix);
        if (item.suffix == Affix::Power) {
            out += texts_[item.text];
            if constexpr (Form == display) {
                out += u"}";
            }
        }
        return;
    }
    for (std::uint32_t p = item.prefixes; p != 0; p = prefixes_[p - 1].next) {
        out += affixText<Form>(prefixes_[p - 1].affix);
    }
    if (item.unit != nullptr) {
        out += unitText<Form>(*item.unit);
    } else {
        out += texts_[item.text + (Form == display ? 1 : 0)];
    }
}

template <std::size_t Form> void TextTape::writeForm(ustring& out) const {
    Measure measure;
    for (const Item& item : items_) {
        emit<Form>(item, measure);
    }
    out.resize(measure.size);
    Copy copy{out.data()};
    for (const Item& item : items_) {
        emit<Form>(item, copy);
    }
}

std::array<ustring, 4> TextTape::write() const {
    std::array<ustring, 4> texts;
    writeForm<0>(texts[0]);
    writeForm<1>(texts[1]);
    writeForm<2>(texts[2]);
    writeForm<3>(texts[3]);
    return texts;
}

void TextTapeBuilder::multiply(Result& value, Result& operand) {
    UnitExprBuilder::multiply(value.expr, operand.expr);
    tape_.prefix(operand.first, TextTape::Affix::Times);
}

void TextTapeBuilder::divide(Result& value, Result& operand) {
    UnitExprBuilder::divide(value.expr, operand.expr);
    tape_.prefix(operand.first, TextTape::Affix::Over);
}

void TextTapeBuilder::invertInto(Result& value, Result& operand) {
    UnitExprBuilder::invertInto(value.expr, operand.expr);
    tape_.prefix(operand.first, TextTape::Affix::OneOver);
    value.first = operand.first;
}

void TextTapeBuilder::fromSymbol(Result& value, const ustring& symbol) {
    UnitExprBuilder::fromSymbol(value.expr, symbol);
    value.first = tape_.symbol(symbol);
}

void TextTapeBuilder::fromSub(Result& value, SubExpr& sub) {
    UnitExprBuilder::fromSub(value.expr, sub.expr);
    value.first = sub.first;
}

void TextTapeBuilder::parenthesize(SubExpr& sub, Result& value) {
    UnitExprBuilder::parenthesize(sub.expr, value.expr);
    tape_.prefix(value.first, TextTape::Affix::Open);
    tape_.close();
    sub.first = value.first;
}

void TextTapeBuilder::raise(Result& value, Exponent& e) {
    UnitExprBuilder::raise(value.expr, e.value);
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
