#pragma once

#include "units/foundation/UString.hpp"
#include "units/host/ScriptingClass.hpp"
#include "units/model/StoredConversionFactor.hpp"

#include <cstdint>

namespace CvUnitSys {

// The properties that unit and prefix records share: names, symbols, unit
// systems, display text and conversion factor. The factor's type starts as
// that of the default factor.
class CvSymbolRecord {
public:
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

protected:
    explicit CvSymbolRecord(ustring conversionFactor)
        : conversionFactor_(std::move(conversionFactor)),
          conversionType_(static_cast<std::int32_t>(defaultStoredConversionFactor().second)) {}

    StoredConversionFactor storedConversionFactor() const {
        return {conversionFactor_, static_cast<ConversionFactorType>(conversionType_)};
    }

private:
    ustring name_;
    ustring symbol_;
    ustring asciiSymbol_;
    ustring unitSystem_;
    ustring display_;
    ustring conversionFactor_;
    std::int32_t conversionType_;
};

} // namespace CvUnitSys
