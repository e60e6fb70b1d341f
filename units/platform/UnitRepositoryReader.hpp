#pragma once

#include "units/platform/Model.hpp"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace CvUnitSys {

// Reads the user-defined unit databases that people write by hand: one XML
// document per database, the format described in docs/user-databases.md.
struct UnitRepositoryReader {
    // The part of a zip package that holds the document.
    static constexpr std::string_view packagePartName = "/units.xml";
    // The largest file or packaged document read: a database of this size
    // holds some hundred thousand units, and reading is linear in it.
    static constexpr std::uintmax_t maxDocumentBytes = 64u << 20;

    // Reads the file at `path`: the document itself, or a zip package holding
    // it as packagePartName. A file that is missing, larger than
    // maxDocumentBytes (inflated), not XML or not a unit database throws
    // "CorvaneTypes:Unit:UnitDatabaseFileOpenError" (path). An
    // entry with a missing, unknown or malformed value is left out of the model;
    // all such entries are reported, each named with its line, in one warning.
    static Model readFile(const std::string& path);
    // The same for a document already in memory; `path` names it in messages.
    static Model readDocument(std::string_view text, const std::string& path);
    // What the database manager calls to get the model of a file: reads the
    // file on every call; a file that cannot be read is reported as a warning
    // and gives an empty model, so one bad file never stops the others.
    static std::function<Model()> makeFileLoader(const std::string& path);
};

} // namespace CvUnitSys
