#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace cvunits {

// Registers each file as a user database, named by its absolute path, so that
// every later walk over the databases includes it. A file that does not exist
// is named on `err` and stops the registration with false; every other
// problem of a file is reported as a warning.
bool registerUserDatabaseFiles(const std::vector<std::string>& files, std::ostream& err);

} // namespace cvunits
