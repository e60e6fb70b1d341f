#pragma once

#include "db/DbSetFixtures.hpp"
#include "units/db/UnitDBManager.hpp"
#include "units/db/UnitDatabase.hpp"
#include "units/host/COSObject.hpp"
#include "units/host/CvUnitQueryClient.hpp"
#include "units/host/ScriptingClassRegistration.hpp"
#include "units/platform/IException.hpp"
#include "units/platform/TextServices.hpp"
#include "units/platform/UserOutput.hpp"

#include <initializer_list>
#include <string>
#include <vector>

// Drives the scripting classes as the host's scripting language does: by
// class path, property name and method name only.
namespace scripting_test {

using namespace CvUnitSys;

inline void registerClasses() {
    objsys::COSNamespace* ns = cvsvGetCorvaneCOSNamespace();
    registerCvUnit(ns);
    registerCvUnitSystem(ns);
    registerCvUnitProvenance(ns);
    registerCvUnitQueryClient(ns);
}

inline matrix::unique_array text(std::u16string_view value) {
    return objsys::makeText(ustring(value));
}

inline matrix::unique_array construct(const char* classPath,
                                      std::initializer_list<std::u16string_view> texts = {}) {
    registerClasses();
    std::vector<matrix::unique_array> owned;
    std::vector<const hxArray*> args;
    for (const auto t : texts) {
        owned.push_back(text(t));
        args.push_back(owned.back().get());
    }
    return omConstructObjectWithClient(objsys::internal::makeInterned(classPath), args.size(),
                                       args.data(), COSGetPublicClient());
}

inline void set(const matrix::unique_array& object, const char* property,
                std::u16string_view value) {
    omSetProperty(object.get(), property, text(value).get());
}

inline ustring get(const matrix::unique_array& object, const char* property) {
    return omGetProperty(object.get(), property)->getString();
}

inline std::vector<matrix::unique_array> call(const char* method,
                                              std::initializer_list<const hxArray*> args) {
    return omCallMethod(method, std::vector<const hxArray*>(args));
}

using dbset_test::thrownKey;

// The scripting classes add to the process-wide scratch database; this puts
// it back as loaded when the test ends.
class ScratchDatabase {
public:
    ScratchDatabase() = default;
    ~ScratchDatabase() {
        UnitDatabase::getUnitDatabase()->clearAll();
        UnitDBManager::m_UnitDBManager.updateUnitDBSetVersion();
    }
    ScratchDatabase(const ScratchDatabase&) = delete;
    ScratchDatabase& operator=(const ScratchDatabase&) = delete;
};

// Everything written to the user output stream while it lives.
class CapturedOutput {
public:
    CapturedOutput() {
        previous_ = UserOutput::setSink([this](std::u16string_view t) { text_ += t; });
    }
    ~CapturedOutput() { UserOutput::setSink(std::move(previous_)); }
    CapturedOutput(const CapturedOutput&) = delete;
    CapturedOutput& operator=(const CapturedOutput&) = delete;

    const ustring& text() const { return text_; }

private:
    UserOutput::Sink previous_;
    ustring text_;
};

} // namespace scripting_test
