#pragma once

#include <stdexcept>

namespace objsys {

// What the object system throws when the scripting language misuses it: an
// unknown class, property or method, or a value of the wrong type.
class COSError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace objsys
