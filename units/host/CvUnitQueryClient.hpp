#pragma once

#include "units/host/COSHandles.hpp"
#include "units/host/ScriptingClass.hpp"
#include "units/query/UnitQueryClient.hpp"

namespace CvUnitSys {

// The record behind a "Corvane.UnitQueryClient" object: one query client.
class CvUnitQueryClientObj {
public:
    static objsys::ClassID getClassID();
    static CvUnitQueryClientObj* getObjsysObject(const hxArray* array);

    UnitQueryClient& getQueryClient() { return client_; }

private:
    UnitQueryClient client_;
};

// The scripting face of the query client. Each method takes the client object
// first; a further input left out gives an empty result. Errors of the
// queries pass to the host unchanged.
class CvUnitQueryClientCI : public ScriptingClassInfo<CvUnitQueryClientCI, CvUnitQueryClientObj> {
public:
    static constexpr const char* shortName = "UnitQueryClient";
    static constexpr const char* fullPath = "Corvane.UnitQueryClient";
    static void addMembers(objsys::COSClass& cls);
};

void registerCvUnitQueryClient(objsys::COSNamespace* ns);

} // namespace CvUnitSys
