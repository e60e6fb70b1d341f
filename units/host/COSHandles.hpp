#pragma once

#include "units/host/Interned.hpp"

#include <memory>

// The handles of the host's object system that host arrays also carry.
namespace objsys {

class COSObject;

// Shared handle to an object; the object lives while any handle or array holds it.
using COSInterfacePtr = std::shared_ptr<COSObject>;

// A class is identified by its interned full path, such as "Corvane.Unit".
using ClassID = internal::Interned;

} // namespace objsys
