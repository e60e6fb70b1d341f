#pragma once

// A refusal of `propagate` or `calc`. The message names the operation refused
// when it is known ("cannot add a and b: ..."); hosts that show the operation
// apart read it and the bare reason here.

#include "units/cv_units.hpp"
#include "units/frontdoor/UnitErrors.hpp"
#include "units/propagation/ExpressionPropagation.hpp"

#include <optional>
#include <string>

namespace cv_units {

class ExpressionRefusal : public UnitError {
public:
    ExpressionRefusal(std::string identifier, const std::string& reason, const std::string& summary,
                      std::size_t column = 0,
                      std::optional<CvUnitSys::RefusedOperation> refused = std::nullopt)
        : UnitError(std::move(identifier), named(refused) + reason, named(refused) + summary,
                    column),
          reason_(reason), refused_(std::move(refused)) {}

    // The message without the operation.
    const std::string& reason() const noexcept { return reason_; }
    const std::optional<CvUnitSys::RefusedOperation>& refused() const noexcept { return refused_; }

private:
    static std::string named(const std::optional<CvUnitSys::RefusedOperation>& refused) {
        if (!refused) {
            return {};
        }
        std::string out = "cannot " + refused->operation;
        for (std::size_t i = 0; i < refused->operands.size(); ++i) {
            out += (i == 0 ? " " : " and ") + refused->operands[i];
        }
        return out + ": ";
    }

    std::string reason_;
    std::optional<CvUnitSys::RefusedOperation> refused_;
};

// The library's diagnostic as a refusal. Its parse column, if any, is one of
// an operand's unit text and not of the expression: left out.
inline ExpressionRefusal
refusalOf(const CvUnitSys::IUserException& e,
          std::optional<CvUnitSys::RefusedOperation> refused = std::nullopt) {
    const UnitError error = toUnitError(e);
    return ExpressionRefusal(error.identifier(), error.what(), error.summary(), 0,
                             std::move(refused));
}

} // namespace cv_units
