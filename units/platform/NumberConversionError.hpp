#pragma once

#include <stdexcept>
#include <string>

namespace CvUnitSys {

// Raised by the number-conversion services for text that is not a number of
// the requested kind.
class NumberConversionError : public std::runtime_error {
public:
    explicit NumberConversionError(const std::string& text)
        : std::runtime_error("not a number: '" + text + "'") {}
};

} // namespace CvUnitSys
