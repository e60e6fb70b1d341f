#include "units/platform/DiagnosticService.hpp"

#include "units/platform/WarningSink.hpp"

#include <utility>

namespace CvUnitSys {

Diagnostic cvsvCreateDiagnostic(const BaseMsgID& id, const std::string& extraText) {
    return Diagnostic(DiagnosticItem{id, extraText, {}});
}

Diagnostic cvsvCreateDiagnosticFromMessageID(const BaseMsgID& id) {
    return cvsvCreateDiagnostic(id, std::string());
}

Diagnostic cvsvCreateDiagnosticFromIException(const IException& e, bool includeCauses) {
    const auto* user = dynamic_cast<const IUserException*>(&e);
    if (user == nullptr) {
        return Diagnostic();
    }
    Diagnostic copy = user->getDiagnostic();
    if (!includeCauses) {
        for (auto& item : copy.items()) {
            item.causes.clear();
        }
    }
    return copy;
}

std::size_t cvsvGetNumItemsInDiagnostic(const Diagnostic& d) {
    return d.items().size();
}

void cvsvConcatenateDiagnosticsNoCheck(Diagnostic& accumulated, Diagnostic next, bool keepCauses) {
    for (auto& item : next.items()) {
        if (!keepCauses) {
            item.causes.clear();
        }
        accumulated.items().push_back(std::move(item));
    }
}

void cvsvAddCauseToDiagnosticItem(Diagnostic& d, std::size_t itemIndex, Diagnostic cause) {
    if (itemIndex < d.items().size()) {
        d.items()[itemIndex].causes.push_back(std::move(cause));
    }
}

bool cvsvCheckDiagnosticForMessageIdentifier(const Diagnostic& d, const std::string& qualifiedId,
                                             std::size_t itemIndex) {
    return itemIndex < d.items().size() && d.items()[itemIndex].id.getQualifiedId() == qualifiedId;
}

void cvsvReportAsWarning(Diagnostic d) {
    if (!d.empty()) {
        WarningSink::report(d);
    }
}

void cvsvThrowIExceptionFromDiagnostic(Diagnostic d, std::nullptr_t) {
    throw IUserException(std::move(d));
}

void cvsvDiscardDiagnostic(Diagnostic d) {
    static_cast<void>(d);
}

void cvsvThrowIException(const BaseMsgID& id) {
    cvsvThrowIExceptionFromDiagnostic(cvsvCreateDiagnostic(id, std::string()), nullptr);
}

} // namespace CvUnitSys
