#pragma once

#include <string>
#include <vector>

namespace CvUnitSys {

// Writes a zip package that any zip tool opens: the parts, and a
// "[Content_Types].xml" naming the content type of each.
class ZipPackageWriter {
public:
    struct Part {
        std::string name; // "/ud_part"
        std::string contentType;
        std::string bytes;
    };

    // Replaces `path`; throws PackageError on failure, also for a part name
    // that does not start with "/", ends with "/" or is given twice.
    static void write(const std::string& path, const std::vector<Part>& parts);
    // The bytes of a file, for building parts from files on disk.
    static std::string readFile(const std::string& path);
};

} // namespace CvUnitSys
