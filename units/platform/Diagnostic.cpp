#include "units/platform/Diagnostic.hpp"

#include <utility>

namespace CvUnitSys {

Diagnostic::Diagnostic(DiagnosticItem item) {
    items_.push_back(std::move(item));
}

} // namespace CvUnitSys
