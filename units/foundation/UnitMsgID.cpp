#include "units/foundation/UnitMsgID.hpp"

#include "units/platform/DiagnosticService.hpp"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string>

namespace CvUnitSys {

namespace {

constexpr std::array<UnitMessage, 41> kMessages{{
    {"ParsingError", "si"},
    {"InvalidUnitSystemName", "s"},
    {"UnitAlreadyInDatabase", "ss"},
    {"SimilarInstanceThere", "sss"},
    {"NameNotDefined", ""},
    {"SymbolNotDefined", ""},
    {"ASCIISymbolNotDefined", ""},
    {"UnitDatabaseFileOpenError", "s"},
    {"UnitDatabaseFileLoadFieldError", "ss"},
    {"UnitNotInDatabase", "s"},
    {"UnitPrefixNotInDatabase", "s"},
    {"InvalidPQIgnored", "ss"},
    {"PhysicalQuantityNotInDatabase", "s"},
    {"InvalidUnitIgnored", "ss"},
    {"CycleInAST", "s"},
    {"DuplicationOfUnitsWithBuiltin", "ss"},
    {"DuplicationOfUnits", "sss"},
    {"UnresolvedUnitsNotConvertible", "sss"},
    {"UnitsNotConvertible", "ssss"},
    {"AlphaNumericStringOnlyForName", "s"},
    {"DimensionallyInconsistent", "ss"},
    {"InvalidUnitIgnoredUndefinedUnitsInDefinition", "ss"},
    {"InvalidUnitIgnoredDimensionMismatch", "ss"},
    {"InvalidUnitId", "i"},
    {"IncompatibleUnits", ""},
    {"DimensionallyInequivalent", ""},
    {"CanonicalScalingFactorDifference", ""},
    {"DifferentOffsets", ""},
    {"UnresolvedUnits", ""},
    {"MixedUnits", ""},
    {"ReciprocalUnits", ""},
    {"UnitDefinitionGenFailure", "ss"},
    {"PhysicalQuantityParsingError", "s"},
    {"PhysicalQuantityWithoutUnit", "s"},
    {"InvalidUnitExpression", "s"},
    {"CannotConvertUnspecified", "ss"},
    {"UnitErrorFromBlock", "s"},
    {"UnitPropagationEnginePhysicalQuantityOperationUndefined", "sss"},
    {"UnitPropagationEngineExponentiationRequiresConversion", "ss"},
    {"UnitPropagationEngineOperationRequiresConversion", "sss"},
    {"NonAsciiSymbolUnsupported", "s"},
}};

} // namespace

std::span<const UnitMessage> unitMessageTable() {
    return kMessages;
}

const UnitMessage* findUnitMessage(std::string_view key) {
    auto it = std::find_if(kMessages.begin(), kMessages.end(),
                           [&](const UnitMessage& s) { return s.key == key; });
    return it == kMessages.end() ? nullptr : &*it;
}

BaseMsgID makeUnitMsgID(std::string_view key, std::vector<MsgArg> args) {
    const UnitMessage* message = findUnitMessage(key);
    if (message == nullptr) {
        throw std::logic_error("unknown message key " + std::string(key));
    }
    if (args.size() != message->argKinds.size()) {
        throw std::logic_error("wrong argument count for message " + std::string(key));
    }
    for (std::size_t i = 0; i < args.size(); ++i) {
        const bool isInt = args[i].which() == 0;
        if (isInt != (message->argKinds[i] == 'i')) {
            throw std::logic_error("wrong argument kind for message " + std::string(key));
        }
    }
    return BaseMsgID(std::string(key), std::move(args));
}

void throwUnitMsg(std::string_view key, std::vector<MsgArg> args) {
    cvsvThrowIException(makeUnitMsgID(key, std::move(args)));
}

void throwUnitMsgWithCause(std::string_view key, std::vector<MsgArg> args,
                           const IException& cause) {
    Diagnostic d = cvsvCreateDiagnosticFromMessageID(makeUnitMsgID(key, std::move(args)));
    cvsvAddCauseToDiagnosticItem(d, 0, cvsvCreateDiagnosticFromIException(cause, true));
    cvsvThrowIExceptionFromDiagnostic(std::move(d), nullptr);
}

} // namespace CvUnitSys
