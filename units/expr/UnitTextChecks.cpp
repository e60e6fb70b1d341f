#include "units/expr/UnitTextChecks.hpp"

#include "units/expr/CharacterClasses.hpp"
#include "units/platform/TextServices.hpp"

namespace CvUnitSys {

ustring normalizeUnitExpression(const ustring& text) {
    return TextServices::normalizeNFC(text);
}

bool isValidStringForUnitName(const ustring& text) {
    if (!scanWholeText(text, &isUnitNameCharacter)) {
        return false;
    }
    return text.find_first_of(u"@*/^()+-,[]") == ustring::npos;
}

bool isValidAsciiString(const ustring& text) {
    return TextServices::isAscii(text);
}

} // namespace CvUnitSys
