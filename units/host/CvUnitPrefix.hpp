#pragma once

#include "units/foundation/UString.hpp"
#include "units/host/COSHandles.hpp"
#include "units/host/ScriptingClass.hpp"

#include <cstdint>

namespace CvUnitSys {

// The record behind a "Corvane.UnitPrefix" object.
class CvUnitPrefixObj {
public:
    CvUnitPrefixObj();

    static objsys::ClassID getClassID();
    static CvUnitPrefixObj* getObjsysObject(const hxArray* array);

    const ustring& getName() const { return name_; }
    void setName(const ustring* v) { name_ = textOrEmpty(v); }
    const ustring& getSymbol() const { return symbol_; }
    void setSymbol(const ustring* v) { symbol_ = textOrEmpty(v); }
    const ustring& getASCIISymbol() const { return asciiSymbol_; }
    // "NonAsciiSymbolUnsupported" for a text that is not ASCII; the old value stays.
    void setASCIISymbol(const ustring* v) {
        checkAsciiSymbol(v);
        asciiSymbol_ = textOrEmpty(v);
    }
    // Comma-separated names.
    const ustring& getUnitSystem() const { return unitSystem_; }
    void setUnitSystem(const ustring* v) { unitSystem_ = textOrEmpty(v); }
    const ustring& getDisplay() const { return display_; }
    void setDisplay(const ustring* v) { display_ = textOrEmpty(v); }
    const ustring& getConversionFactor() const { return conversionFactor_; }
    void setConversionFactor(const ustring* v) { conversionFactor_ = textOrEmpty(v); }
    std::int32_t getConversionType() const { return conversionType_; }
    void setConversionType(std::int32_t v) { conversionType_ = v; }

    // Writes the symbol and a newline to the user output stream.
    void dispUnitPrefix() const;
    // Adds the prefix to the scratch database as it stands.
    void addToDatabase() const;

private:
    ustring name_;
    ustring symbol_;
    ustring asciiSymbol_;
    ustring unitSystem_;
    ustring display_;
    ustring conversionFactor_;
    std::int32_t conversionType_;
};

class CvUnitPrefixCI : public ScriptingClassInfo<CvUnitPrefixCI, CvUnitPrefixObj> {
public:
    static constexpr const char* shortName = "UnitPrefix";
    static constexpr const char* fullPath = "Corvane.UnitPrefix";
    // The constructor (name, symbol, ASCII symbol), "addToDatabase" and the properties.
    static void addMembers(objsys::COSClass& cls);
};

} // namespace CvUnitSys
