#pragma once

#include "units/foundation/UString.hpp"

#include <cstdint>
#include <vector>

namespace CvUnitSys {

// The published source that defines units and quantities; a plain record, not
// validated.
class UnitProvenance {
public:
    UnitProvenance(const ustring& provenanceId, const ustring& title, const ustring& subtitle,
                   const ustring& organization, const ustring& organizationFullName,
                   const std::vector<ustring>& urls, const ustring& edition, std::int32_t year);

    const ustring& getProvenanceId() const { return provenanceId_; }
    const ustring& getTitle() const { return title_; }
    const ustring& getSubtitle() const { return subtitle_; }
    const ustring& getOrganization() const { return organization_; }
    const ustring& getOrganizationFullName() const { return organizationFullName_; }
    const std::vector<ustring>& getURLs() const { return urls_; }
    const ustring& getEdition() const { return edition_; }
    std::int32_t getYear() const { return year_; }

    bool operator==(const UnitProvenance&) const = default;

private:
    ustring provenanceId_;
    ustring title_;
    ustring subtitle_;
    ustring organization_;
    ustring organizationFullName_;
    std::vector<ustring> urls_;
    ustring edition_;
    std::int32_t year_;
};

} // namespace CvUnitSys
