#include "units/host/AddToDatabaseChecks.hpp"

#include "units/db/UnitDatabase.hpp"
#include "units/foundation/UnitMsgID.hpp"
#include "units/model/UnitBase.hpp"
#include "units/platform/TextServices.hpp"

#include <algorithm>

namespace CvUnitSys {

std::vector<ustring> splitNames(const ustring& text) {
    std::vector<ustring> names;
    if (TextServices::trim(text).empty()) {
        return names;
    }
    for (const ustring& field : TextServices::split(text, u',')) {
        names.push_back(TextServices::trim(field));
    }
    return names;
}

void checkEntityTexts(std::string_view key, std::initializer_list<ustring> names,
                      const ustring& definition, const UnitDatabase& database) {
    const std::vector<MsgArg> args{*names.begin(), database.getName()};
    bool valid = false;
    try {
        valid = std::all_of(names.begin(), names.end(), &UnitBase::isValidStringForUnitName) &&
                UnitBase::isValidUnitExpr(definition);
    } catch (const IException& e) {
        throwUnitMsgWithCause(key, args, e);
    }
    if (!valid) {
        throwUnitMsg(key, args);
    }
}

} // namespace CvUnitSys
