#include "units/model/UnitProvenance.hpp"

namespace CvUnitSys {

UnitProvenance::UnitProvenance(const ustring& provenanceId, const ustring& title,
                               const ustring& subtitle, const ustring& organization,
                               const ustring& organizationFullName,
                               const std::vector<ustring>& urls, const ustring& edition,
                               std::int32_t year)
    : provenanceId_(provenanceId), title_(title), subtitle_(subtitle), organization_(organization),
      organizationFullName_(organizationFullName), urls_(urls), edition_(edition), year_(year) {}

} // namespace CvUnitSys
