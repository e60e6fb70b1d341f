#include "units/host/UnitDiagnosticsReporter.hpp"

#include <gtest/gtest.h>

namespace {

using namespace CvUnitSys;
using Tuple = UnitDiagnosticsReporter::CvUnitMismatchTuple;

Tuple sides(std::uintptr_t b1, std::uintptr_t p1, std::uintptr_t b2, std::uintptr_t p2) {
    return {reinterpret_cast<const CvBlock*>(b1), reinterpret_cast<const cvPort*>(p1),
            reinterpret_cast<const CvBlock*>(b2), reinterpret_cast<const cvPort*>(p2)};
}

// Reference values worked out by hand from the combine step of current Boost
// releases over each pointer's hash (its value plus itself shifted right by 3).
TEST(UnitDiagnosticsReporter, MismatchHashFollowsTheCombineStepInTupleOrder) {
    const UnitDiagnosticsReporter::CvUnitMismatchTupleHasher hash;
    EXPECT_EQ(hash(sides(0x1000, 0x2000, 0x3000, 0x4000)), 0x2cf4a9af0bde660bULL);
    EXPECT_EQ(hash(sides(0x3000, 0x4000, 0x1000, 0x2000)), 0xcfbe3e877c2f53ccULL);
    EXPECT_EQ(hash(sides(0, 0, 0, 0)), 0xa0288cc3ee7bd6b1ULL);
}

} // namespace
