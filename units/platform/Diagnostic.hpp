#pragma once

#include "units/platform/BaseMsgID.hpp"

#include <string>
#include <vector>

namespace CvUnitSys {

class Diagnostic;

// One message of a diagnostic, with the diagnostics that caused it.
struct DiagnosticItem {
    BaseMsgID id;
    std::string extraText;
    std::vector<Diagnostic> causes;
};

// What the diagnostics service hands out: an ordered list of items. The
// library holds one only between creating it and reporting, throwing or
// discarding it.
class Diagnostic {
public:
    Diagnostic() = default;
    explicit Diagnostic(DiagnosticItem item);

    const std::vector<DiagnosticItem>& items() const { return items_; }
    std::vector<DiagnosticItem>& items() { return items_; }
    bool empty() const { return items_.empty(); }

private:
    std::vector<DiagnosticItem> items_;
};

} // namespace CvUnitSys
