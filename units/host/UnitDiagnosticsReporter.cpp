#include "units/host/UnitDiagnosticsReporter.hpp"

#include "units/model/HashCombine.hpp"

namespace CvUnitSys {

namespace {

// Boost's hash of a pointer: its value plus itself shifted right by three.
std::uint64_t pointerHash(const void* p) {
    const auto value = reinterpret_cast<std::uintptr_t>(p);
    return value + (value >> 3);
}

} // namespace

std::uint64_t UnitDiagnosticsReporter::CvUnitMismatchTupleHasher::operator()(
    const CvUnitMismatchTuple& mismatch) const {
    std::uint64_t seed = 0;
    std::apply([&seed](const auto*... p) { ((seed = hashCombine(seed, pointerHash(p))), ...); },
               mismatch);
    return seed;
}

} // namespace CvUnitSys
