#pragma once

#include "units/platform/BaseMsgID.hpp"
#include "units/platform/Diagnostic.hpp"
#include "units/platform/IException.hpp"

#include <cstddef>
#include <string>

// The host's diagnostics service, as the library calls it.
namespace CvUnitSys {

Diagnostic cvsvCreateDiagnostic(const BaseMsgID& id, const std::string& extraText);
Diagnostic cvsvCreateDiagnosticFromMessageID(const BaseMsgID& id);
// The items of a caught exception; empty for an exception without items.
Diagnostic cvsvCreateDiagnosticFromIException(const IException& e, bool includeCauses);
std::size_t cvsvGetNumItemsInDiagnostic(const Diagnostic& d);
// Appends the items of `next` to `accumulated`.
void cvsvConcatenateDiagnosticsNoCheck(Diagnostic& accumulated, Diagnostic next, bool keepCauses);
// Attaches `cause` under the item at `itemIndex`; an index past the end is ignored.
void cvsvAddCauseToDiagnosticItem(Diagnostic& d, std::size_t itemIndex, Diagnostic cause);
// True when item `itemIndex` carries `qualifiedId` ("CorvaneTypes:Unit:<key>").
bool cvsvCheckDiagnosticForMessageIdentifier(const Diagnostic& d, const std::string& qualifiedId,
                                             std::size_t itemIndex);
// Hands the diagnostic to the warning sink; an empty diagnostic is dropped.
void cvsvReportAsWarning(Diagnostic d);
[[noreturn]] void cvsvThrowIExceptionFromDiagnostic(Diagnostic d, std::nullptr_t);
void cvsvDiscardDiagnostic(Diagnostic d);
// Creates a diagnostic from the record with empty extra text and throws it.
[[noreturn]] void cvsvThrowIException(const BaseMsgID& id);

} // namespace CvUnitSys
