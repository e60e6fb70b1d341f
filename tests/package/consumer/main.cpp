// Builds against an installed copy of the library, as a user's project would.
#include "units/expr/ParseUnitExpr.hpp"

int main() {
    UnitExpr e;
    parseUnitExprThrows(u"kg*m/s^2", e);
    return e.getExpr().size() == 3 ? 0 : 1;
}
