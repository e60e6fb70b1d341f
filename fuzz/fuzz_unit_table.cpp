// A unit table fed two texts, as a host registers the units of two ports and
// compares them. Beyond not crashing: only the library's exception type
// escapes any operation; a registered text keeps its id; an id compares
// Equivalent with itself; lists and texts can be asked of every id.
#include "FuzzInput.hpp"
#include "units/platform/IException.hpp"
#include "units/query/UnitTable.hpp"

#include <cstdlib>

using namespace CvUnitSys;

namespace {

template <typename F> void quietly(F&& f) {
    try {
        f();
    } catch (const IUserException&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const std::uint8_t mode = data[0];
    UnitTable::quantityOnlyRegistration().setEnabled((mode & 4) != 0);
    static UnitTable table;
    table.resetToBuiltin();
    const std::vector<ustring> texts =
        cv_units_fuzz::splitAtTabs(cv_units_fuzz::text(data + 1, size - 1), 2);
    std::vector<std::int32_t> ids{UnitTable::MixedUnitId, UnitTable::InheritUnitId,
                                  UnitTable::EmptyUnitId};
    for (const ustring& text : texts) {
        for (const bool strict : {(mode & 2) != 0, (mode & 2) == 0}) {
            quietly([&] {
                const std::int32_t id = table.registerUnit(text, strict, (mode & 8) != 0);
                if (!table.isUnitIdValid(id) || table.registerUnit(text, strict, false) != id) {
                    std::abort();
                }
                ids.push_back(id);
            });
        }
        // These pass a parse error on, as a host exception.
        quietly([&] { (void)UnitTable::isAValidUnit(text); });
        quietly([&] { (void)UnitTable::isAValidExpr(text); });
        (void)table.getUnitId(text, true);
    }
    for (const std::int32_t a : ids) {
        if (table.equivalentUnits(a, a) != Equivalent) {
            std::abort();
        }
        (void)table.getUnitDispExpr(a);
        (void)table.getUnitNameExpr(a);
        (void)table.getUnitSymbolExpr(a);
        (void)table.getUnitAsciiSymbolExpr(a);
        (void)table.getUndefinedUnitsList(a);
        (void)table.getAmbiguousUnitsList(a);
        quietly([&] { (void)table.isUnitCompatibleWithUnitSystems(a, {}); });
        for (const std::int32_t b : ids) {
            (void)UnitTable::errorCause(table.equivalentUnits(a, b));
            quietly([&] { (void)table.getConversionInfo(a, b).getScalingFactor(); });
        }
    }
    table.resolveUnresolvedUnits();
    table.resolveAmbiguousUnits();
    return 0;
}
