#include "units/host/CvUnit.hpp"

#include "units/db/UnitDBManager.hpp"
#include "units/db/UnitDatabase.hpp"
#include "units/foundation/UnitMsgID.hpp"
#include "units/host/AddToDatabaseChecks.hpp"
#include "units/host/RecordProperties.hpp"
#include "units/model/UnitFactory.hpp"
#include "units/platform/UserOutput.hpp"

namespace CvUnitSys {

objsys::ClassID CvUnitObj::getClassID() {
    return CvUnitCI::getClassID();
}

CvUnitObj* CvUnitObj::getObjsysObject(const hxArray* array) {
    return CvUnitCI::recordOf(array);
}

void CvUnitObj::dispUnit() const {
    UserOutput::write(getSymbol() + u"\n");
}

void CvUnitObj::addToDatabase() const {
    UnitDatabase& database = *UnitDatabase::getUnitDatabase();
    const std::vector<ustring> systems = splitNames(getUnitSystem());
    const std::vector<ustring> prefixNames = splitNames(unitPrefixes_);
    const UnitDatabase::UnitSet quantities = database.getPhysicalQuantity(physicalQuantity_);
    if (quantities.empty()) {
        throwUnitMsg("UnitNotInDatabase", {physicalQuantity_});
    }
    Unit::PrefixSet prefixes;
    for (const ustring& name : prefixNames) {
        const UnitDatabase::PrefixSet found = database.getUnitPrefix(name);
        if (found.empty()) {
            throwUnitMsg("UnitPrefixNotInDatabase", {name});
        }
        prefixes.insert(*found.begin());
    }
    const auto unit =
        UnitFactory().createUnit(0, getName(), definition_, getSymbol(), getASCIISymbol(),
                                 getDisplay(), storedConversionFactor(), subunit_, systems,
                                 prefixes, isCommonSubunit_, *quantities.begin());
    checkEntityTexts("InvalidUnitIgnored", {getName(), getSymbol()}, definition_, database);
    database.addToAutocomplete(database.addUnit(*unit));
    UnitDBManager::m_UnitDBManager.updateUnitDBSetVersion();
}

void CvUnitCI::addMembers(objsys::COSClass& cls) {
    addConstructor(cls, 4, [](CvUnitObj& r, std::span<const hxArray* const> in) {
        setFromInput(r, &CvUnitObj::setDefinition, textInput(in, 3));
        setFromInput(r, &CvUnitObj::setSymbol, textInput(in, 1));
        setFromInput(r, &CvUnitObj::setASCIISymbol, textInput(in, 2));
        setFromInput(r, &CvUnitObj::setName, textInput(in, 0));
    });
    addAddToDatabase(cls);
    using R = CvUnitObj;
    addTextProperty<R>(cls, "Name", &R::getName, &R::setName);
    addTextProperty<R>(cls, "Symbol", &R::getSymbol, &R::setSymbol);
    addTextProperty<R>(cls, "ASCIISymbol", &R::getASCIISymbol, &R::setASCIISymbol);
    addTextProperty<R>(cls, "UnitSystem", &R::getUnitSystem, &R::setUnitSystem);
    addTextProperty<R>(cls, "UnitPrefixes", &R::getUnitPrefixes, &R::setUnitPrefixes);
    addTextProperty<R>(cls, "Definition", &R::getDefinition, &R::setDefinition);
    addTextProperty<R>(cls, "Display", &R::getDisplay, &R::setDisplay);
    addTextProperty<R>(cls, "PhysicalQuantity", &R::getPhysicalQuantity, &R::setPhysicalQuantity);
    addTextProperty<R>(cls, "Subunit", &R::getSubunit, &R::setSubunit);
    addLogicalProperty<R>(cls, "IsCommonSubunit", &R::getIsCommonSubunit, &R::setIsCommonSubunit);
    addTextProperty<R>(cls, "ConversionFactor", &R::getConversionFactor, &R::setConversionFactor);
    addInt32Property<R>(cls, "ConversionType", &R::getConversionType, &R::setConversionType);
    addLogicalProperty<R>(cls, "IsAccurateConversion", &R::getIsAccurateConversion,
                          &R::setIsAccurateConversion);
}

} // namespace CvUnitSys
