#pragma once

#include "units/foundation/UString.hpp"
#include "units/host/COSHandles.hpp"
#include "units/host/CvSymbolRecord.hpp"
#include "units/host/ScriptingClass.hpp"

namespace CvUnitSys {

// The record behind a "Corvane.UnitPrefix" object.
class CvUnitPrefixObj : public CvSymbolRecord {
public:
    CvUnitPrefixObj() : CvSymbolRecord(defaultStoredConversionFactor().first) {}

    static objsys::ClassID getClassID();
    static CvUnitPrefixObj* getObjsysObject(const hxArray* array);

    // Writes the symbol and a newline to the user output stream.
    void dispUnitPrefix() const;
    // Adds the prefix to the scratch database as it stands.
    void addToDatabase() const;
};

class CvUnitPrefixCI : public ScriptingClassInfo<CvUnitPrefixCI, CvUnitPrefixObj> {
public:
    static constexpr const char* shortName = "UnitPrefix";
    static constexpr const char* fullPath = "Corvane.UnitPrefix";
    // The constructor (name, symbol, ASCII symbol), "addToDatabase" and the properties.
    static void addMembers(objsys::COSClass& cls);
};

} // namespace CvUnitSys
