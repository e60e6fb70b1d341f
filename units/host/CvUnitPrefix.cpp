#include "units/host/CvUnitPrefix.hpp"

#include "units/db/UnitDBManager.hpp"
#include "units/db/UnitDatabase.hpp"
#include "units/host/AddToDatabaseChecks.hpp"
#include "units/host/RecordProperties.hpp"
#include "units/model/UnitFactory.hpp"
#include "units/platform/UserOutput.hpp"

namespace CvUnitSys {

objsys::ClassID CvUnitPrefixObj::getClassID() {
    return CvUnitPrefixCI::getClassID();
}

CvUnitPrefixObj* CvUnitPrefixObj::getObjsysObject(const hxArray* array) {
    return CvUnitPrefixCI::recordOf(array);
}

void CvUnitPrefixObj::dispUnitPrefix() const {
    UserOutput::write(getSymbol() + u"\n");
}

void CvUnitPrefixObj::addToDatabase() const {
    const auto prefix =
        UnitFactory().createUnitPrefix(getName(), getSymbol(), getASCIISymbol(), getDisplay(),
                                       storedConversionFactor(), splitNames(getUnitSystem()));
    UnitDatabase::getUnitDatabase()->addUnitPrefix(*prefix);
    UnitDBManager::m_UnitDBManager.updateUnitDBSetVersion();
}

void CvUnitPrefixCI::addMembers(objsys::COSClass& cls) {
    addConstructor(cls, 3, [](CvUnitPrefixObj& r, std::span<const hxArray* const> in) {
        setFromInput(r, &CvUnitPrefixObj::setSymbol, textInput(in, 1));
        setFromInput(r, &CvUnitPrefixObj::setASCIISymbol, textInput(in, 2));
        setFromInput(r, &CvUnitPrefixObj::setName, textInput(in, 0));
    });
    addAddToDatabase(cls);
    using R = CvUnitPrefixObj;
    addTextProperty<R>(cls, "Name", &R::getName, &R::setName);
    addTextProperty<R>(cls, "Symbol", &R::getSymbol, &R::setSymbol);
    addTextProperty<R>(cls, "ASCIISymbol", &R::getASCIISymbol, &R::setASCIISymbol);
    addTextProperty<R>(cls, "UnitSystem", &R::getUnitSystem, &R::setUnitSystem);
    addTextProperty<R>(cls, "Display", &R::getDisplay, &R::setDisplay);
    addTextProperty<R>(cls, "ConversionFactor", &R::getConversionFactor, &R::setConversionFactor);
    addInt32Property<R>(cls, "ConversionType", &R::getConversionType, &R::setConversionType);
}

} // namespace CvUnitSys
