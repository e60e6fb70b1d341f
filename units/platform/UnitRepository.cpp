#include "units/platform/UnitRepository.hpp"

namespace CvUnitSys::UnitRepository {

const MetaClass& UnitDatabase::metaClass() {
    static const MetaClass meta("UnitRepository.UnitDatabase");
    return meta;
}

} // namespace CvUnitSys::UnitRepository
