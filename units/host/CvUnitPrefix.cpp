#include "units/host/CvUnitPrefix.hpp"

#include "units/db/UnitDBManager.hpp"
#include "units/db/UnitDatabase.hpp"
#include "units/host/AddToDatabaseChecks.hpp"
#include "units/host/RecordProperties.hpp"
#include "units/model/StoredConversionFactor.hpp"
#include "units/model/UnitFactory.hpp"
#include "units/platform/UserOutput.hpp"

namespace CvUnitSys {

CvUnitPrefixObj::CvUnitPrefixObj()
    : conversionFactor_(defaultStoredConversionFactor().first),
      conversionType_(static_cast<std::int32_t>(defaultStoredConversionFactor().second)) {}

objsys::ClassID CvUnitPrefixObj::getClassID() {
    return CvUnitPrefixCI::getClassID();
}

CvUnitPrefixObj* CvUnitPrefixObj::getObjsysObject(const hxArray* array) {
    return CvUnitPrefixCI::recordOf(array);
}

void CvUnitPrefixObj::dispUnitPrefix() const {
    UserOutput::write(symbol_ + u"\n");
}

void CvUnitPrefixObj::addToDatabase() const {
    const auto prefix = UnitFactory().createUnitPrefix(
        name_, symbol_, asciiSymbol_, display_,
        {conversionFactor_, static_cast<ConversionFactorType>(conversionType_)},
        splitNames(unitSystem_));
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
    addTextProperty(cls, "Name", &R::getName, &R::setName);
    addTextProperty(cls, "Symbol", &R::getSymbol, &R::setSymbol);
    addTextProperty(cls, "ASCIISymbol", &R::getASCIISymbol, &R::setASCIISymbol);
    addTextProperty(cls, "UnitSystem", &R::getUnitSystem, &R::setUnitSystem);
    addTextProperty(cls, "Display", &R::getDisplay, &R::setDisplay);
    addTextProperty(cls, "ConversionFactor", &R::getConversionFactor, &R::setConversionFactor);
    addInt32Property(cls, "ConversionType", &R::getConversionType, &R::setConversionType);
}

} // namespace CvUnitSys
