#pragma once

#include "units/foundation/UString.hpp"
#include "units/host/COSHandles.hpp"
#include "units/host/ScriptingClass.hpp"

namespace CvUnitSys {

// The record behind a "Corvane.PhysicalQuantity" object.
class CvPhysicalQuantityObj {
public:
    static objsys::ClassID getClassID();
    static CvPhysicalQuantityObj* getObjsysObject(const hxArray* array);

    const ustring& getName() const { return name_; }
    void setName(const ustring* v) { name_ = textOrEmpty(v); }
    const ustring& getDefinition() const { return definition_; }
    void setDefinition(const ustring* v) { definition_ = textOrEmpty(v); }
    const ustring& getDisplay() const { return display_; }
    void setDisplay(const ustring* v) { display_ = textOrEmpty(v); }

    // Writes the name and a newline to the user output stream.
    void dispPhysicalQuantity() const;
    // Adds the quantity to the scratch database; "InvalidPQIgnored" for an
    // invalid name or definition, and then nothing is added.
    void addToDatabase() const;

private:
    ustring name_;
    ustring definition_;
    ustring display_;
};

class CvPhysicalQuantityCI
    : public ScriptingClassInfo<CvPhysicalQuantityCI, CvPhysicalQuantityObj> {
public:
    static constexpr const char* shortName = "PhysicalQuantity";
    static constexpr const char* fullPath = "Corvane.PhysicalQuantity";
    // The constructor (name, definition), "addToDatabase" and the properties.
    static void addMembers(objsys::COSClass& cls);
};

} // namespace CvUnitSys
