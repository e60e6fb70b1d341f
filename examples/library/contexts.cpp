// A context of one's own, with a user-defined unit database, and the class
// interface underneath it.
#include "units/cv_units.hpp"
#include "units/query/UnitTable.hpp"

#include <iostream>

int main() {
    cv_units::Units units;
    units.addDatabase("../user-databases/shop_units.xml");
    std::cout << "1 fpf = " << units.convert(1, "fpf", "mm/h") << " mm/h\n"; // 1 fpf = 598.714 mm/h

    // The same table through the class interface: UTF-16 texts and integer ids.
    CvUnitSys::UnitTable& table = units.table();
    const std::int32_t id = table.registerUnit(u"km/h", true, false);
    std::cout << "km/h has id " << id << ", resolved: " << !table.isUnitUnresolved(id) << '\n';
    // km/h has id 3, resolved: 1 (fpf and mm/h came first)
}
