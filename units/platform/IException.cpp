#include "units/platform/IException.hpp"

#include "units/platform/MessageCatalogue.hpp"

#include <utility>

namespace CvUnitSys {

IUserException::IUserException(Diagnostic diagnostic)
    : diagnostic_(std::move(diagnostic)), text_(formatDiagnostic(diagnostic_)) {}

std::string IUserException::getMessageIdentifier() const {
    return diagnostic_.empty() ? std::string() : diagnostic_.items().front().id.getQualifiedId();
}

} // namespace CvUnitSys
