#include "units/foundation/ConversionFactor.hpp"
#include "units/foundation/ConversionFactorFactory.hpp"

#include <benchmark/benchmark.h>
#include <cstddef>
#include <vector>

namespace {

using CvUnitSys::ConversionFactor;
using CvUnitSys::ConversionFactorFactory;
using CvUnitSys::ConversionFactorType;
using CvUnitSys::Exponent;

ConversionFactor make(const ustring& text, ConversionFactorType type) {
    return ConversionFactorFactory::createConversionFactor(text, type);
}

// Same-kind products, as a unit definition multiplies its parts.
void BM_FactorMultiply(benchmark::State& state, const ConversionFactor& left,
                       const ConversionFactor& right) {
    for (auto _ : state) {
        ConversionFactor product = left * right;
        benchmark::DoNotOptimize(product);
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_FactorPower(benchmark::State& state, const ConversionFactor& base, double exponent) {
    const Exponent e(exponent);
    for (auto _ : state) {
        ConversionFactor power = base ^ e;
        benchmark::DoNotOptimize(power);
    }
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK_CAPTURE(BM_FactorMultiply, Double, make(u"0.3048", ConversionFactorType::Double),
                  make(u"1000", ConversionFactorType::Double));
BENCHMARK_CAPTURE(BM_FactorMultiply, ScaledRational,
                  make(u"254,100,-2", ConversionFactorType::ScaledRational),
                  make(u"1,3600,0", ConversionFactorType::ScaledRational));
BENCHMARK_CAPTURE(BM_FactorMultiply, ScaledRationalOverflow,
                  make(u"4611686018427387903,1,0", ConversionFactorType::ScaledRational),
                  make(u"3,7,0", ConversionFactorType::ScaledRational));
BENCHMARK_CAPTURE(BM_FactorMultiply, DoubleReciprocal,
                  make(u"10", ConversionFactorType::DoubleReciprocal),
                  make(u"2", ConversionFactorType::DoubleReciprocal));
BENCHMARK_CAPTURE(BM_FactorMultiply, DoubleAffine,
                  make(u"1.8,32", ConversionFactorType::DoubleAffine),
                  make(u"2,10", ConversionFactorType::DoubleAffine));
BENCHMARK_CAPTURE(BM_FactorMultiply, RationalAffine,
                  make(u"5,9,-160,9", ConversionFactorType::RationalAffine),
                  make(u"9,5,32,1", ConversionFactorType::RationalAffine));

BENCHMARK_CAPTURE(BM_FactorPower, Double, make(u"0.3048", ConversionFactorType::Double), -2.0);
BENCHMARK_CAPTURE(BM_FactorPower, ScaledRational,
                  make(u"254,100,-2", ConversionFactorType::ScaledRational), -2.0);
BENCHMARK_CAPTURE(BM_FactorPower, ScaledRationalFractional,
                  make(u"254,100,-2", ConversionFactorType::ScaledRational), 0.5);
BENCHMARK_CAPTURE(BM_FactorPower, DoubleReciprocal,
                  make(u"10", ConversionFactorType::DoubleReciprocal), -2.0);
BENCHMARK_CAPTURE(BM_FactorPower, DoubleAffine, make(u"1.8,32", ConversionFactorType::DoubleAffine),
                  -2.0);
BENCHMARK_CAPTURE(BM_FactorPower, RationalAffine,
                  make(u"5,9,-160,9", ConversionFactorType::RationalAffine), -2.0);

// Factor texts as a database stores them, one of every kind.
void BM_FactorCreateFromText(benchmark::State& state) {
    const std::vector<std::pair<ustring, ConversionFactorType>> texts = {
        {u"0.3048", ConversionFactorType::Double},
        {u"1,3600", ConversionFactorType::Rational},
        {u"254,100,-2", ConversionFactorType::ScaledRational},
        {u"5,9,-160,9", ConversionFactorType::RationalAffine},
        {u"1.8,32", ConversionFactorType::DoubleAffine},
        {u"10", ConversionFactorType::DoubleReciprocal},
        {u"3,2|1,1,3*1,3600", ConversionFactorType::Composite},
    };
    std::size_t i = 0;
    for (auto _ : state) {
        const auto& [text, type] = texts[i];
        ConversionFactor f = ConversionFactorFactory::createConversionFactor(text, type);
        benchmark::DoNotOptimize(f);
        i = (i + 1) % texts.size();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FactorCreateFromText);

} // namespace
