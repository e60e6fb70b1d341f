// Builds against an installed copy of the library, as a user's project would:
// the front door, and the class interface beside it.
#include "units/cv_units.hpp"
#include "units/expr/ParseUnitExpr.hpp"

int main() {
    UnitExpr e;
    parseUnitExprThrows(u"kg*m/s^2", e);
    return e.getExpr().size() == 3 && cv_units::convert(3, "ft", "m") == 0.9144 ? 0 : 1;
}
