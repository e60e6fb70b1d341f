#include "units/foundation/ConversionFactorFactory.hpp"

#include "units/foundation/DoubleAffineConversionFactor.hpp"
#include "units/foundation/DoubleConversionFactor.hpp"
#include "units/foundation/DoubleReciprocalConversionFactor.hpp"
#include "units/foundation/RationalAffineConversionFactor.hpp"
#include "units/foundation/ScaledRational.hpp"
#include "units/platform/NumberConversionError.hpp"
#include "units/platform/TextServices.hpp"

#include <cmath>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace CvUnitSys {

namespace {

std::optional<double> tryReadDouble(std::u16string_view text) {
    try {
        return TextServices::toDouble(text);
    } catch (const NumberConversionError&) {
        return std::nullopt;
    }
}

// The defaults, scaling 1 and offset 0, stay unless both numbers read.
std::unique_ptr<ConversionFactorImpl> readDoubleAffine(const ustring& text) {
    const std::vector<ustring> fields = TextServices::split(text, u',');
    if (fields.size() >= 2) {
        const std::optional<double> scaling = tryReadDouble(fields[0]);
        const std::optional<double> offset = tryReadDouble(fields[1]);
        if (scaling && offset) {
            return std::make_unique<DoubleAffineConversionFactor>(*scaling, *offset);
        }
    }
    return std::make_unique<DoubleAffineConversionFactor>(1.0, 0.0);
}

// Type numbers of composite texts are short runs of plain digits.
ConversionFactorType readTypeNumber(std::u16string_view text, std::u16string_view whole) {
    constexpr std::size_t maxDigits = 4;
    if (text.empty() || text.size() > maxDigits) {
        throw NumberConversionError(TextServices::toUtf8(whole));
    }
    int value = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9') {
            throw NumberConversionError(TextServices::toUtf8(whole));
        }
        value = value * 10 + (c - u'0');
    }
    return static_cast<ConversionFactorType>(value);
}

struct CompositeParts {
    ConversionFactorType leftType;
    ConversionFactorType rightType;
    std::u16string_view left;
    std::u16string_view right;
};

CompositeParts splitComposite(std::u16string_view text) {
    const std::size_t comma = text.find(u',');
    const std::size_t bar = comma == text.npos ? text.npos : text.find(u'|', comma + 1);
    const std::size_t star = bar == text.npos ? text.npos : text.find(u'*', bar + 1);
    if (star == text.npos) {
        throw NumberConversionError(TextServices::toUtf8(text));
    }
    return {readTypeNumber(text.substr(0, comma), text),
            readTypeNumber(text.substr(comma + 1, bar - comma - 1), text),
            text.substr(bar + 1, star - bar - 1), text.substr(star + 1)};
}

// Nested composites run right to left: f1 * (f1' * (... * fn)). Walked in a
// loop so that deep nesting in stored text cannot exhaust the stack.
ConversionFactor readComposite(const ustring& text) {
    std::vector<ConversionFactor> leftFactors;
    std::u16string_view rest = text;
    for (;;) {
        const CompositeParts parts = splitComposite(rest);
        leftFactors.push_back(
            ConversionFactorFactory::createConversionFactor(ustring(parts.left), parts.leftType));
        if (parts.rightType != ConversionFactorType::Composite) {
            ConversionFactor product = ConversionFactorFactory::createConversionFactor(
                ustring(parts.right), parts.rightType);
            for (auto it = leftFactors.rbegin(); it != leftFactors.rend(); ++it) {
                product = *it * product;
            }
            // Parts past the range of a double (a scale of 10^400, say) can
            // meet as inf * 0 or 0 / 0: such a text names no number.
            if (!product.isEmpty() &&
                (std::isnan(product.toDouble()) || std::isnan(product.getOffset()))) {
                throw NumberConversionError(TextServices::toUtf8(text));
            }
            return product;
        }
        rest = parts.right;
    }
}

} // namespace

ConversionFactor ConversionFactorFactory::createConversionFactor(const ustring& text,
                                                                 ConversionFactorType type) {
    switch (type) {
    case ConversionFactorType::Double:
        return ConversionFactor(
            std::make_unique<DoubleConversionFactor>(tryReadDouble(text).value_or(1.0)));
    case ConversionFactorType::Rational:
        return ConversionFactor(std::make_unique<ScaledRational>(text + u",0"));
    case ConversionFactorType::ScaledRational:
        return ConversionFactor(std::make_unique<ScaledRational>(text));
    case ConversionFactorType::RationalAffine:
        return ConversionFactor(std::make_unique<RationalAffineConversionFactor>(text));
    case ConversionFactorType::DoubleAffine:
        return ConversionFactor(readDoubleAffine(text));
    case ConversionFactorType::DoubleReciprocal:
        return ConversionFactor(
            std::make_unique<DoubleReciprocalConversionFactor>(tryReadDouble(text).value_or(1.0)));
    case ConversionFactorType::Composite:
        return readComposite(text);
    }
    return ConversionFactor();
}

ConversionFactor ConversionFactorFactory::createConversionFactor(std::int64_t numerator,
                                                                 std::int64_t denominator,
                                                                 std::int32_t scale) {
    return ConversionFactor(std::make_unique<ScaledRational>(numerator, denominator, scale));
}

ConversionFactor ConversionFactorFactory::createConversionFactor(
    std::int64_t scalingNumerator, std::int64_t scalingDenominator, std::int32_t scalingScale,
    std::int64_t offsetNumerator, std::int64_t offsetDenominator, std::int32_t offsetScale) {
    return ConversionFactor(std::make_unique<RationalAffineConversionFactor>(
        scalingNumerator, scalingDenominator, scalingScale, offsetNumerator, offsetDenominator,
        offsetScale));
}

ConversionFactor ConversionFactorFactory::createConversionFactor(double value) {
    return ConversionFactor(std::make_unique<DoubleConversionFactor>(value));
}

ConversionFactor ConversionFactorFactory::createConversionFactor(double scaling, double offset) {
    return ConversionFactor(std::make_unique<DoubleAffineConversionFactor>(scaling, offset));
}

ustring getCompositeConversionFactor(const ustring& f1, ConversionFactorType t1, const ustring& f2,
                                     ConversionFactorType t2) {
    return TextServices::fromLatin1(std::to_string(static_cast<int>(t1))) + u"," +
           TextServices::fromLatin1(std::to_string(static_cast<int>(t2))) + u"|" + f1 + u"*" + f2;
}

} // namespace CvUnitSys
