#pragma once

#include "units/foundation/UString.hpp"
#include "units/host/COSHandles.hpp"
#include "units/host/ScriptingClass.hpp"

namespace CvUnitSys {

// The record behind a "Corvane.UnitSystem" object.
class CvUnitSystemObj {
public:
    static objsys::ClassID getClassID();
    static CvUnitSystemObj* getObjsysObject(const hxArray* array);

    const ustring& getName() const { return name_; }
    void setName(const ustring* v) { name_ = textOrEmpty(v); }

    // Writes the name and a newline to the user output stream.
    void dispUnitSystem() const;

private:
    ustring name_;
};

class CvUnitSystemCI : public ScriptingClassInfo<CvUnitSystemCI, CvUnitSystemObj> {
public:
    static constexpr const char* shortName = "UnitSystem";
    static constexpr const char* fullPath = "Corvane.UnitSystem";
    // A constructor without inputs and the property "Name".
    static void addMembers(objsys::COSClass& cls);
};

} // namespace CvUnitSys
