#include "units/host/ScriptingClass.hpp"

#include "units/foundation/UnitMsgID.hpp"
#include "units/platform/TextServices.hpp"

namespace CvUnitSys {

void checkAsciiSymbol(const ustring* text) {
    if (text != nullptr && !TextServices::isAscii(*text)) {
        throwUnitMsg("NonAsciiSymbolUnsupported", {*text});
    }
}

const objsys::COSType& requireType(const char* name) {
    const objsys::COSType* type =
        objsys::COSTypeRepository::getType(objsys::internal::makeInterned(name));
    if (type == nullptr) {
        throw objsys::COSError(std::string("no type ") + name);
    }
    return *type;
}

} // namespace CvUnitSys
