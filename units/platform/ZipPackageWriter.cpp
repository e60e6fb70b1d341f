#include "units/platform/ZipPackageWriter.hpp"

#include "units/platform/LibZip.hpp"
#include "units/platform/PackageError.hpp"

#include <fstream>
#include <sstream>

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

void add(const LibZip& zip, zip_t* archive, const std::string& entry, const std::string& bytes) {
    zip_source_t* source = zip.sourceBuffer(archive, bytes.data(), bytes.size(), 0);
    // Without overwriting, a part given twice or named like the content types is an error.
    if (source == nullptr || zip.fileAdd(archive, entry.c_str(), source, ZIP_FL_ENC_UTF_8) < 0) {
        zip.sourceFree(source);
        throw PackageError("cannot add " + entry + " to package: " + zip.strerror(archive));
    }
}

} // namespace

void ZipPackageWriter::write(const std::string& path, const std::vector<Part>& parts) {
    for (const auto& part : parts) {
        if (part.name.size() < 2 || part.name.front() != '/' || part.name.back() == '/') {
            throw PackageError("invalid part name '" + part.name + "'");
        }
    }
    const LibZip& zip = LibZip::get();
    int error = 0;
    zip_t* archive = zip.open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (archive == nullptr) {
        throw PackageError("cannot create package '" + path + "'");
    }
    // The buffers must live until zip_close, which reads them.
    const std::string types = contentTypes(parts);
    try {
        add(zip, archive, "[Content_Types].xml", types);
        for (const auto& part : parts) {
            add(zip, archive, part.name.substr(1), part.bytes);
        }
    } catch (...) {
        zip.discard(archive);
        throw;
    }
    if (zip.close(archive) < 0) {
        const std::string message = zip.strerror(archive);
        zip.discard(archive);
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
