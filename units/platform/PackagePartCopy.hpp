#pragma once

#include <string>

namespace CvUnitSys {

// Writes one part of a zip package to `path`, as ZipPackage::copyPartToFile
// does (part names match without regard to ASCII case, and a part that
// inflates to more than ZipPackage::maxPartBytes is refused), through minizip,
// which needs only zlib: reading the built-in database loads neither libzip
// nor the cryptography library that comes with it. Throws PackageError.
void copyPackagePartToFile(const std::string& packagePath, const std::string& partName,
                           const std::string& path);

} // namespace CvUnitSys
