// The conversion factor factory for every kind, on stored texts. Beyond not
// crashing: only the errors the factory documents escape (NumberConversionError,
// boost::bad_rational); a factor equals itself and its copy, and the arithmetic
// the definitions use on it (products, quotients, powers, negation) neither
// crashes nor throws anything else.
#include "FuzzInput.hpp"
#include "units/foundation/ConversionFactorFactory.hpp"
#include "units/foundation/Exponent.hpp"
#include "units/platform/NumberConversionError.hpp"

#include <boost/rational.hpp>
#include <cstdlib>

using namespace CvUnitSys;

namespace {

// A combination the factors do not support gives an empty factor, which
// has no value to ask for and no place in an order.
void use(const ConversionFactor& f) {
    if (!f.isEmpty()) {
        (void)f.toDouble();
        (void)f.getOffset();
        (void)f.toUString();
    }
}

void exercise(const ConversionFactor& f, const ConversionFactor& g) {
    const ConversionFactor copy = f;
    if (!(copy == f) || copy != f) {
        std::abort();
    }
    use(f);
    if (!f.isEmpty() && !g.isEmpty()) {
        (void)(f < g);
    }
    use(f * g);
    use(f / g);
    use(-f);
    for (const double e : {2.0, -1.0, 0.5, 0.0, 1e308}) {
        use(f ^ Exponent(e));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    // Kinds 0 and 8 lie outside the stored kinds and must give unity.
    const auto kind = static_cast<ConversionFactorType>(data[0] % 9);
    const std::vector<ustring> texts =
        cv_units_fuzz::splitAtTabs(cv_units_fuzz::text(data + 1, size - 1), 2);
    std::vector<ConversionFactor> factors;
    for (const ustring& text : texts) {
        try {
            factors.push_back(ConversionFactorFactory::createConversionFactor(text, kind));
        } catch (const NumberConversionError&) {
        } catch (const boost::bad_rational&) {
        }
    }
    for (const ConversionFactor& f : factors) {
        for (const ConversionFactor& g : factors) {
            try {
                exercise(f, g);
            } catch (const boost::bad_rational&) {
            }
        }
    }
    return 0;
}
