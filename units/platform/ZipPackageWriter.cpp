#include "units/platform/ZipPackageWriter.hpp"

#include "units/platform/PackageError.hpp"

#include <fstream>
#include <sstream>
#include <zip.h>

namespace CvUnitSys {

namespace {

std::string xmlAttribute(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string contentTypes(const std::vector<ZipPackageWriter::Part>& parts) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                      "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                      "content-types\"><Default Extension=\"xml\" "
                      "ContentType=\"application/xml\"/>";
    for (const auto& part : parts) {
        xml += "<Override PartName=\"" + xmlAttribute(part.name) + "\" ContentType=\"" +
               xmlAttribute(part.contentType) + "\"/>";
    }
    return xml + "</Types>\n";
}

void add(zip_t* archive, const std::string& entry, const std::string& bytes) {
    zip_source_t* source = zip_source_buffer(archive, bytes.data(), bytes.size(), 0);
    // Without overwriting, a part given twice or named like the content types is an error.
    if (source == nullptr || zip_file_add(archive, entry.c_str(), source, ZIP_FL_ENC_UTF_8) < 0) {
        zip_source_free(source);
        throw PackageError("cannot add " + entry + " to package: " + zip_strerror(archive));
    }
}

} // namespace

void ZipPackageWriter::write(const std::string& path, const std::vector<Part>& parts) {
    for (const auto& part : parts) {
        if (part.name.size() < 2 || part.name.front() != '/' || part.name.back() == '/') {
            throw PackageError("invalid part name '" + part.name + "'");
        }
    }
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (archive == nullptr) {
        throw PackageError("cannot create package '" + path + "'");
    }
    // The buffers must live until zip_close, which reads them.
    const std::string types = contentTypes(parts);
    try {
        add(archive, "[Content_Types].xml", types);
        for (const auto& part : parts) {
            add(archive, part.name.substr(1), part.bytes);
        }
    } catch (...) {
        zip_discard(archive);
        throw;
    }
    if (zip_close(archive) < 0) {
        const std::string message = zip_strerror(archive);
        zip_discard(archive);
        throw PackageError("cannot write package '" + path + "': " + message);
    }
}

std::string ZipPackageWriter::readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw PackageError("cannot read '" + path + "'");
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

} // namespace CvUnitSys
