#pragma once

#include "units/foundation/UString.hpp"
#include "units/host/COSHandles.hpp"
#include "units/host/ScriptingClass.hpp"

#include <cstdint>

namespace CvUnitSys {

// The record behind a "Corvane.UnitProvenance" object: the published source
// of units, as query results carry it.
class CvUnitProvenanceObj {
public:
    static objsys::ClassID getClassID();
    static CvUnitProvenanceObj* getObjsysObject(const hxArray* array);

    const ustring& getProvenanceID() const { return provenanceId_; }
    void setProvenanceID(const ustring* v) { provenanceId_ = textOrEmpty(v); }
    const ustring& getTitle() const { return title_; }
    void setTitle(const ustring* v) { title_ = textOrEmpty(v); }
    const ustring& getSubtitle() const { return subtitle_; }
    void setSubtitle(const ustring* v) { subtitle_ = textOrEmpty(v); }
    const ustring& getOrganization() const { return organization_; }
    void setOrganization(const ustring* v) { organization_ = textOrEmpty(v); }
    const ustring& getOrganizationFullName() const { return organizationFullName_; }
    void setOrganizationFullName(const ustring* v) { organizationFullName_ = textOrEmpty(v); }
    const ustring& getURLs() const { return urls_; }
    void setURLs(const ustring* v) { urls_ = textOrEmpty(v); }
    const ustring& getEdition() const { return edition_; }
    void setEdition(const ustring* v) { edition_ = textOrEmpty(v); }
    std::int32_t getYear() const { return year_; }
    void setYear(std::int32_t v) { year_ = v; }

    // Two lines to the user output stream:
    //   ID: Organization, "Title: Subtitle", Edition Edition (Year)
    //   URLs: URLs
    // the ": Subtitle" part only when there is a subtitle.
    void dispUnitProvenance() const;

private:
    ustring provenanceId_;
    ustring title_;
    ustring subtitle_;
    ustring organization_;
    ustring organizationFullName_;
    ustring urls_;
    ustring edition_;
    std::int32_t year_ = 0;
};

class CvUnitProvenanceCI : public ScriptingClassInfo<CvUnitProvenanceCI, CvUnitProvenanceObj> {
public:
    static constexpr const char* shortName = "UnitProvenance";
    static constexpr const char* fullPath = "Corvane.UnitProvenance";
    // A constructor without inputs and the properties.
    static void addMembers(objsys::COSClass& cls);
};

} // namespace CvUnitSys
