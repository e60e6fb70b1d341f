#pragma once

#include <stdexcept>

namespace CvUnitSys {

// A package that cannot be opened, lacks a part, or cannot be written.
class PackageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace CvUnitSys
