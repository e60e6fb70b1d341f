#pragma once

#include "units/foundation/UString.hpp"
#include "units/host/COSHandles.hpp"
#include "units/host/CvSymbolRecord.hpp"
#include "units/host/ScriptingClass.hpp"

namespace CvUnitSys {

// The record behind a "Corvane.Unit" object: a unit as the scripting language
// describes it, to be added to the scratch database or filled from a query.
class CvUnitObj : public CvSymbolRecord {
public:
    CvUnitObj() : CvSymbolRecord(ustring()) {}

    static objsys::ClassID getClassID();
    static CvUnitObj* getObjsysObject(const hxArray* array);

    // Comma-separated names.
    const ustring& getUnitPrefixes() const { return unitPrefixes_; }
    void setUnitPrefixes(const ustring* v) { unitPrefixes_ = textOrEmpty(v); }
    const ustring& getDefinition() const { return definition_; }
    void setDefinition(const ustring* v) { definition_ = textOrEmpty(v); }
    const ustring& getPhysicalQuantity() const { return physicalQuantity_; }
    void setPhysicalQuantity(const ustring* v) { physicalQuantity_ = textOrEmpty(v); }
    const ustring& getSubunit() const { return subunit_; }
    void setSubunit(const ustring* v) { subunit_ = textOrEmpty(v); }
    bool getIsCommonSubunit() const { return isCommonSubunit_; }
    void setIsCommonSubunit(bool v) { isCommonSubunit_ = v; }
    bool getIsAccurateConversion() const { return isAccurateConversion_; }
    void setIsAccurateConversion(bool v) { isAccurateConversion_ = v; }

    // Writes the symbol and a newline to the user output stream.
    void dispUnit() const;
    // Adds the unit to the scratch database. "UnitNotInDatabase" for a
    // physical quantity, "UnitPrefixNotInDatabase" for a prefix the database
    // does not have, "InvalidUnitIgnored" for an invalid name, symbol or
    // definition; nothing is added when one is thrown.
    void addToDatabase() const;

private:
    ustring unitPrefixes_;
    ustring definition_;
    ustring physicalQuantity_;
    ustring subunit_;
    bool isCommonSubunit_ = false;
    bool isAccurateConversion_ = false;
};

class CvUnitCI : public ScriptingClassInfo<CvUnitCI, CvUnitObj> {
public:
    static constexpr const char* shortName = "Unit";
    static constexpr const char* fullPath = "Corvane.Unit";
    // The constructor (name, symbol, ASCII symbol, definition), "addToDatabase"
    // and the properties in record order.
    static void addMembers(objsys::COSClass& cls);
};

} // namespace CvUnitSys
