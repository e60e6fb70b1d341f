#pragma once

#include <stdexcept>
#include <string>

namespace CvUnitSys {

// A failure of the SQL access layer: a file that is not a database, a query
// naming a missing table or column, a failed step.
class SqlError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace CvUnitSys
