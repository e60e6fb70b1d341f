#include "units/host/CvUnitProvenance.hpp"

#include "units/host/RecordProperties.hpp"
#include "units/platform/TextServices.hpp"
#include "units/platform/UserOutput.hpp"

#include <string>

namespace CvUnitSys {

objsys::ClassID CvUnitProvenanceObj::getClassID() {
    return CvUnitProvenanceCI::getClassID();
}

CvUnitProvenanceObj* CvUnitProvenanceObj::getObjsysObject(const hxArray* array) {
    return CvUnitProvenanceCI::recordOf(array);
}

void CvUnitProvenanceObj::dispUnitProvenance() const {
    ustring text = provenanceId_ + u": " + organization_ + u", \"" + title_;
    if (!subtitle_.empty()) {
        text += u": " + subtitle_;
    }
    text += u"\", " + edition_ + u" Edition (" + TextServices::fromLatin1(std::to_string(year_)) +
            u")\nURLs: " + urls_ + u"\n";
    UserOutput::write(text);
}

void CvUnitProvenanceCI::addMembers(objsys::COSClass& cls) {
    addConstructor(cls, 0, [](CvUnitProvenanceObj&, std::span<const hxArray* const>) {});
    using R = CvUnitProvenanceObj;
    addTextProperty(cls, "ProvenanceID", &R::getProvenanceID, &R::setProvenanceID);
    addTextProperty(cls, "Title", &R::getTitle, &R::setTitle);
    addTextProperty(cls, "Subtitle", &R::getSubtitle, &R::setSubtitle);
    addTextProperty(cls, "Organization", &R::getOrganization, &R::setOrganization);
    addTextProperty(cls, "OrganizationFullName", &R::getOrganizationFullName,
                    &R::setOrganizationFullName);
    addTextProperty(cls, "URLs", &R::getURLs, &R::setURLs);
    addTextProperty(cls, "Edition", &R::getEdition, &R::setEdition);
    addInt32Property(cls, "Year", &R::getYear, &R::setYear);
}

} // namespace CvUnitSys
