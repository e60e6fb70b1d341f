#include "units/frontdoor/SymbolSuggestions.hpp"

#include "units/platform/TextServices.hpp"

namespace cv_units {

std::vector<std::string> SymbolSuggestions::closest(const ustring& symbol,
                                                    std::size_t limit) const {
    const std::vector<ustring> found =
        set_.getApproximateSuggestion(symbol, CvUnitSys::UnitBase::UNIT_TYPE_UNIT);
    std::vector<std::string> out;
    for (std::size_t i = 0; i < found.size() && i < limit; ++i) {
        out.push_back(CvUnitSys::TextServices::toUtf8(found[i]));
    }
    return out;
}

} // namespace cv_units
