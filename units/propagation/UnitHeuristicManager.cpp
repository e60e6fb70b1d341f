#include "units/propagation/UnitHeuristicManager.hpp"

namespace CvUnitSys {

void UnitHeuristicManager::resetToDefaultBehavior() {
    format_ = SingleQuotient;
    mode_ = ErrorOnConversion;
}

} // namespace CvUnitSys
