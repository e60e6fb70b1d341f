#pragma once

#include <cstdint>
#include <tuple>

// The host's blocks and ports; the library only hashes their addresses.
class CvBlock;
class cvPort;

namespace CvUnitSys {

// Where a unit table hands a model's unit mismatches to the host. The host
// supplies the concrete reporter; a unit table owns one.
class UnitDiagnosticsReporter {
public:
    // One side of a connection, then the other: block and port on each.
    using CvUnitMismatchTuple =
        std::tuple<const CvBlock*, const cvPort*, const CvBlock*, const cvPort*>;

    // Hashes the four addresses in order, so the two sides of a connection
    // swapped give another hash.
    struct CvUnitMismatchTupleHasher {
        std::uint64_t operator()(const CvUnitMismatchTuple& mismatch) const;
    };

    virtual ~UnitDiagnosticsReporter() = default;
};

} // namespace CvUnitSys
