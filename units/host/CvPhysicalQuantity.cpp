#include "units/host/CvPhysicalQuantity.hpp"

#include "units/db/UnitDBManager.hpp"
#include "units/db/UnitDatabase.hpp"
#include "units/host/AddToDatabaseChecks.hpp"
#include "units/host/RecordProperties.hpp"
#include "units/model/UnitFactory.hpp"
#include "units/platform/UserOutput.hpp"

namespace CvUnitSys {

objsys::ClassID CvPhysicalQuantityObj::getClassID() {
    return CvPhysicalQuantityCI::getClassID();
}

CvPhysicalQuantityObj* CvPhysicalQuantityObj::getObjsysObject(const hxArray* array) {
    return CvPhysicalQuantityCI::recordOf(array);
}

void CvPhysicalQuantityObj::dispPhysicalQuantity() const {
    UserOutput::write(name_ + u"\n");
}

void CvPhysicalQuantityObj::addToDatabase() const {
    UnitDatabase& database = *UnitDatabase::getUnitDatabase();
    const auto quantity =
        UnitFactory().createPhysicalQuantity(0, name_, definition_, display_, name_, name_);
    checkEntityTexts("InvalidPQIgnored", {name_}, definition_, database);
    database.addToAutocomplete(database.addUnit(*quantity));
    UnitDBManager::m_UnitDBManager.updateUnitDBSetVersion();
}

void CvPhysicalQuantityCI::addMembers(objsys::COSClass& cls) {
    addConstructor(cls, 2, [](CvPhysicalQuantityObj& r, std::span<const hxArray* const> in) {
        setFromInput(r, &CvPhysicalQuantityObj::setDefinition, textInput(in, 1));
        setFromInput(r, &CvPhysicalQuantityObj::setName, textInput(in, 0));
    });
    addAddToDatabase(cls);
    using R = CvPhysicalQuantityObj;
    addTextProperty(cls, "Name", &R::getName, &R::setName);
    addTextProperty(cls, "Definition", &R::getDefinition, &R::setDefinition);
    addTextProperty(cls, "Display", &R::getDisplay, &R::setDisplay);
}

} // namespace CvUnitSys
