#pragma once

#include "units/platform/Diagnostic.hpp"

#include <exception>
#include <string>

namespace CvUnitSys {

// Root of the host's exception family.
class IException : public std::exception {
public:
    ~IException() override = default;
};

// What the diagnostics service throws: a diagnostic the user should see.
class IUserException : public IException {
public:
    explicit IUserException(Diagnostic diagnostic);

    const Diagnostic& getDiagnostic() const { return diagnostic_; }
    // The first item's fully qualified identifier.
    std::string getMessageIdentifier() const;
    // The English text of the whole diagnostic.
    const char* what() const noexcept override { return text_.c_str(); }

private:
    Diagnostic diagnostic_;
    std::string text_;
};

} // namespace CvUnitSys
