#include "units/platform/UnitRepositoryReader.hpp"

#include "units/foundation/DisplayText.hpp"
#include "units/foundation/UnitMsgID.hpp"
#include "units/platform/DiagnosticService.hpp"
#include "units/platform/IException.hpp"
#include "units/platform/NumberConversionError.hpp"
#include "units/platform/PackageError.hpp"
#include "units/platform/TemporaryFile.hpp"
#include "units/platform/TextServices.hpp"
#include "units/platform/UnitRepository.hpp"
#include "units/platform/WarningSink.hpp"
#include "units/platform/ZipPackage.hpp"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <limits>
#include <optional>
#include <pugixml.hpp>

namespace CvUnitSys {

namespace {

ustring widen(std::string_view utf8) {
    return TextServices::fromUtf8(utf8);
}

std::string narrow(const ustring& text) {
    return TextServices::toUtf8(text);
}

[[noreturn]] void throwOpenError(const std::string& path, const std::string& why) {
    cvsvThrowIExceptionFromDiagnostic(
        cvsvCreateDiagnostic(makeUnitMsgID("UnitDatabaseFileOpenError", {widen(path)}), why),
        nullptr);
}

std::string tooLargeText() {
    return "The unit database is larger than " +
           std::to_string(UnitRepositoryReader::maxDocumentBytes >> 20) + " MB.";
}

std::string readBytes(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        throwOpenError(path, "There is no such file.");
    }
    if (const std::uintmax_t size = std::filesystem::file_size(path, error);
        !error && size > UnitRepositoryReader::maxDocumentBytes) {
        throwOpenError(path, tooLargeText());
    }
    std::ifstream in(path, std::ios::binary);
    std::string bytes(std::istreambuf_iterator<char>(in), {});
    if (!in && !in.eof()) {
        throwOpenError(path, "The file cannot be read.");
    }
    return bytes;
}

bool isZipPackage(std::string_view bytes) {
    return bytes.starts_with(std::string_view("PK\x03\x04", 4));
}

std::string readPackagedDocument(const std::string& path) {
    try {
        const ZipPackage package(path);
        const std::string part(UnitRepositoryReader::packagePartName);
        if (!package.hasPart(part)) {
            throwOpenError(path, "The package has no part " + part + ".");
        }
        static_assert(ZipPackage::maxPartBytes <= UnitRepositoryReader::maxDocumentBytes);
        const TemporaryFile copy;
        package.copyPartToFile(part, copy.getFileName());
        return readBytes(copy.getFileName());
    } catch (const PackageError& e) {
        throwOpenError(path, e.what());
    }
}

struct FactorKind {
    std::string_view name;
    ConversionFactorType type;
};

// Factor kinds are written by name; the composite kind is the databases' own
// and not offered.
constexpr std::array factorKinds{
    FactorKind{"double", ConversionFactorType::Double},
    FactorKind{"rational", ConversionFactorType::Rational},
    FactorKind{"scaledRational", ConversionFactorType::ScaledRational},
    FactorKind{"affine", ConversionFactorType::DoubleAffine},
    FactorKind{"rationalAffine", ConversionFactorType::RationalAffine},
    FactorKind{"reciprocal", ConversionFactorType::DoubleReciprocal},
};

std::optional<double> readFinite(const ustring& text) {
    try {
        return TextServices::toDouble(text);
    } catch (const NumberConversionError&) {
        return std::nullopt;
    }
}

// The lowest value is refused because rationals cannot negate it.
template <typename Int> std::optional<Int> readInteger(const ustring& text) {
    try {
        const std::int64_t value = TextServices::toInt64(text);
        if (value <= std::numeric_limits<Int>::min() || value > std::numeric_limits<Int>::max()) {
            return std::nullopt;
        }
        return static_cast<Int>(value);
    } catch (const NumberConversionError&) {
        return std::nullopt;
    }
}

bool nonZero(const std::optional<double>& v) {
    return v && *v != 0.0;
}

template <typename Int> bool nonZero(const std::optional<Int>& v) {
    return v && *v != 0;
}

// Whether the text reads as a factor of its kind. The factor factory would
// quietly fall back to unity for text it cannot read; a scaling of zero
// would make every conversion divide by zero.
bool isFactorOfKind(const ustring& text, ConversionFactorType kind) {
    const std::vector<ustring> f = TextServices::split(text, u',');
    switch (kind) {
    case ConversionFactorType::Double:
    case ConversionFactorType::DoubleReciprocal:
        return f.size() == 1 && nonZero(readFinite(f[0]));
    case ConversionFactorType::DoubleAffine:
        return f.size() == 2 && nonZero(readFinite(f[0])) && readFinite(f[1]);
    case ConversionFactorType::Rational:
        return f.size() == 2 && nonZero(readInteger<std::int64_t>(f[0])) &&
               nonZero(readInteger<std::int64_t>(f[1]));
    case ConversionFactorType::ScaledRational:
        return f.size() == 3 && nonZero(readInteger<std::int64_t>(f[0])) &&
               nonZero(readInteger<std::int64_t>(f[1])) && readInteger<std::int32_t>(f[2]);
    case ConversionFactorType::RationalAffine:
        return f.size() == 4 && nonZero(readInteger<std::int64_t>(f[0])) &&
               nonZero(readInteger<std::int64_t>(f[1])) && readInteger<std::int64_t>(f[2]) &&
               nonZero(readInteger<std::int64_t>(f[3]));
    case ConversionFactorType::Composite:
        break;
    }
    return false;
}

const char* factorShape(ConversionFactorType kind) {
    switch (kind) {
    case ConversionFactorType::Double:
    case ConversionFactorType::DoubleReciprocal:
        return "a non-zero number";
    case ConversionFactorType::DoubleAffine:
        return "'scaling,offset' with a non-zero scaling";
    case ConversionFactorType::Rational:
        return "'numerator,denominator' of non-zero integers";
    case ConversionFactorType::ScaledRational:
        return "'numerator,denominator,exponent' of integers, the first two non-zero";
    case ConversionFactorType::RationalAffine:
        return "'numerator,denominator,offset numerator,offset denominator' of integers, "
               "all but the offset numerator non-zero";
    case ConversionFactorType::Composite:
        break;
    }
    return "";
}

// One element's values, checked against the attributes and child elements its
// kind allows. The first problem is kept: it is what the warning names.
class Entry {
public:
    Entry(const pugi::xml_node& node, std::string_view kind,
          std::initializer_list<std::string_view> allowed)
        : node_(node), kind_(kind) {
        for (const pugi::xml_attribute& a : node.attributes()) {
            if (std::find(allowed.begin(), allowed.end(), std::string_view(a.name())) ==
                allowed.end()) {
                fail("the attribute '" + std::string(a.name()) + "' is not known in a " + kind_ +
                     ".");
            }
        }
    }

    std::optional<ustring> optional(const char* name) const {
        const pugi::xml_attribute a = node_.attribute(name);
        return a ? std::optional(widen(a.value())) : std::nullopt;
    }

    std::optional<ustring> nonEmpty(const char* name) const {
        std::optional<ustring> value = optional(name);
        return value && !value->empty() ? value : std::nullopt;
    }

    ustring required(const char* name) {
        std::optional<ustring> value = optional(name);
        if (!value || value->empty()) {
            fail("the " + kind_ + " needs the attribute '" + name + "'.");
            return {};
        }
        return *value;
    }

    // Calls `read` for each child element named `childName`; any other child
    // element, or text, is a problem.
    template <typename F> void children(std::string_view childName, F&& read) {
        for (const pugi::xml_node& child : node_.children()) {
            if (child.type() == pugi::node_element && child.name() == childName) {
                read(child);
            } else if (child.type() == pugi::node_element) {
                fail("the element '" + std::string(child.name()) + "' is not known in a " + kind_ +
                     ".");
            } else if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) {
                fail("a " + kind_ + " cannot hold text.");
            }
        }
    }

    // The provenance ids of <provenance ref="..."/> children.
    std::vector<ustring> provenanceRefs() {
        std::vector<ustring> ids;
        children("provenance", [&](const pugi::xml_node& child) {
            Entry ref(child, "provenance reference", {"ref"});
            ids.push_back(ref.required("ref"));
            if (ref.failed()) {
                fail(ref.problem());
            }
        });
        return ids;
    }

    void fail(std::string why) {
        if (problem_.empty()) {
            problem_ = std::move(why);
        }
    }
    bool failed() const { return !problem_.empty(); }
    const std::string& problem() const { return problem_; }

private:
    pugi::xml_node node_;
    std::string kind_;
    std::string problem_;
};

class DocumentReader {
public:
    DocumentReader(std::string_view text, const std::string& path)
        : text_(text), path_(path), pathText_(widen(path)) {}

    Model read() {
        pugi::xml_document document;
        const pugi::xml_parse_result parsed =
            document.load_buffer(text_.data(), text_.size(), pugi::parse_default);
        if (!parsed) {
            throwOpenError(path_, "Line " + std::to_string(lineOf(parsed.offset)) +
                                      ": the file is not well-formed XML: " + parsed.description() +
                                      ".");
        }
        const pugi::xml_node root = document.document_element();
        if (std::string_view(root.name()) != "unitDatabase") {
            throwOpenError(path_, "The document's root element is '" + std::string(root.name()) +
                                      "', not 'unitDatabase'.");
        }
        auto database = std::make_shared<UnitRepository::UnitDatabase>();
        readDatabase(root, *database);
        Model model;
        model.getImpl().addTopLevelElement(std::move(database));
        cvsvReportAsWarning(std::move(dropped_));
        return model;
    }

private:
    void readDatabase(const pugi::xml_node& root, UnitRepository::UnitDatabase& database) {
        Entry entry(root, "unitDatabase", {"name"});
        database.name = entry.optional("name").value_or(ustring());
        if (entry.failed()) {
            dropSection(root, "unitDatabase", entry.problem());
        }
        for (const pugi::xml_node& child : root.children()) {
            const std::string_view name = child.name();
            if (child.type() != pugi::node_element) {
                if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) {
                    dropSection(child, "unitDatabase", "text outside any entry was ignored.");
                }
            } else if (name == "provenance") {
                readProvenance(child, database);
            } else if (name == "physicalQuantity") {
                readPhysicalQuantity(child, database);
            } else if (name == "unit") {
                readUnit(child, database);
            } else {
                dropSection(child, "unitDatabase",
                            "the element '" + std::string(name) +
                                "' is not known and was ignored.");
            }
        }
    }

    void readProvenance(const pugi::xml_node& node, UnitRepository::UnitDatabase& database) {
        Entry entry(
            node, "provenance",
            {"id", "title", "subtitle", "organization", "organizationFullName", "edition", "year"});
        UnitRepository::UnitProvenance p;
        p.id = entry.required("id");
        p.title = entry.optional("title").value_or(ustring());
        p.subtitle = entry.optional("subtitle").value_or(ustring());
        p.organization = entry.optional("organization").value_or(ustring());
        p.organizationFullName = entry.optional("organizationFullName").value_or(ustring());
        p.edition = entry.optional("edition").value_or(ustring());
        if (const std::optional<ustring> year = entry.optional("year")) {
            const std::optional<std::int32_t> value = readInteger<std::int32_t>(*year);
            if (!value) {
                entry.fail("the year '" + narrow(*year) + "' is not an integer.");
            }
            p.year = value.value_or(0);
        }
        entry.children("url", [&](const pugi::xml_node& url) {
            ustring text = TextServices::trim(widen(url.child_value()));
            if (text.empty()) {
                entry.fail("a url element is empty.");
            }
            p.urls.push_back(std::move(text));
        });
        if (entry.failed()) {
            dropSection(node, "Unit Provenance",
                        "the provenance '" + narrow(p.id) + "' was ignored: " + entry.problem());
            return;
        }
        database.provenances.push_back(std::move(p));
    }

    void readPhysicalQuantity(const pugi::xml_node& node, UnitRepository::UnitDatabase& database) {
        Entry entry(node, "physical quantity", {"name", "definition"});
        UnitRepository::PhysicalQuantity q;
        q.name = entry.required("name");
        q.definition = entry.required("definition");
        q.provenanceIds = entry.provenanceRefs();
        if (entry.failed()) {
            drop(node, "InvalidPQIgnored", q.name, entry.problem());
            return;
        }
        database.physicalQuantities.push_back(std::move(q));
    }

    void readUnit(const pugi::xml_node& node, UnitRepository::UnitDatabase& database) {
        Entry entry(node, "unit",
                    {"name", "symbol", "asciiSymbol", "display", "definition", "physicalQuantity",
                     "factor", "factorKind", "subUnit"});
        UnitRepository::Unit u;
        u.name = entry.required("name");
        u.symbol = entry.required("symbol");
        u.definition = entry.required("definition");
        // An empty spelling would leave the unit without one: take the default.
        u.asciiSymbol = entry.nonEmpty("asciiSymbol").value_or(u.symbol);
        u.display = entry.nonEmpty("display").value_or(escapeUnderscores(u.symbol));
        u.physicalQuantity = entry.optional("physicalQuantity").value_or(ustring());
        u.subUnit = entry.optional("subUnit").value_or(ustring());
        u.factor = entry.optional("factor").value_or(u"1");
        const std::string kindName = narrow(entry.optional("factorKind").value_or(u"double"));
        const auto kind = std::find_if(factorKinds.begin(), factorKinds.end(),
                                       [&](const FactorKind& k) { return k.name == kindName; });
        if (kind == factorKinds.end()) {
            entry.fail("the factor kind '" + kindName +
                       "' is not one of double, rational, scaledRational, affine, "
                       "rationalAffine, reciprocal.");
        } else {
            u.factorKind = kind->type;
            if (!isFactorOfKind(u.factor, u.factorKind)) {
                entry.fail("the " + kindName + " factor '" + narrow(u.factor) + "' is not " +
                           factorShape(u.factorKind) + ".");
            }
        }
        u.provenanceIds = entry.provenanceRefs();
        if (entry.failed()) {
            drop(node, "InvalidUnitIgnored", u.name.empty() ? u.symbol : u.name, entry.problem());
            return;
        }
        database.units.push_back(std::move(u));
    }

    void drop(const pugi::xml_node& node, std::string_view key, const ustring& entryName,
              const std::string& why) {
        add(makeUnitMsgID(key, {entryName, pathText_}), node, why);
    }

    void dropSection(const pugi::xml_node& node, const char* section, const std::string& why) {
        add(makeUnitMsgID("UnitDatabaseFileLoadFieldError", {pathText_, widen(section)}), node,
            why);
    }

    void add(const BaseMsgID& id, const pugi::xml_node& node, const std::string& why) {
        // Text starts with the line break after the previous element; name the
        // line where the text itself starts.
        const std::string_view value = node.type() == pugi::node_pcdata ? node.value() : "";
        const std::size_t blanks = std::min(value.find_first_not_of(" \t\r\n"), value.size());
        const std::ptrdiff_t offset = node.offset_debug() + static_cast<std::ptrdiff_t>(blanks);
        std::string text = "Line " + std::to_string(lineOf(offset)) + ": " + why;
        cvsvConcatenateDiagnosticsNoCheck(dropped_, cvsvCreateDiagnostic(id, text), true);
    }

    // Lines are counted once, on the first problem, so that many problems in a
    // large file stay cheap.
    std::size_t lineOf(std::ptrdiff_t offset) {
        if (lineStarts_.empty()) {
            lineStarts_.push_back(0);
            for (std::size_t i = 0; i < text_.size(); ++i) {
                if (text_[i] == '\n') {
                    lineStarts_.push_back(i + 1);
                }
            }
        }
        const auto at = static_cast<std::size_t>(std::max<std::ptrdiff_t>(offset, 0));
        return static_cast<std::size_t>(
            std::upper_bound(lineStarts_.begin(), lineStarts_.end(), at) - lineStarts_.begin());
    }

    std::string_view text_;
    std::string path_;
    ustring pathText_;
    std::vector<std::size_t> lineStarts_;
    Diagnostic dropped_;
};

} // namespace

Model UnitRepositoryReader::readFile(const std::string& path) {
    std::string bytes = readBytes(path);
    if (isZipPackage(bytes)) {
        bytes = readPackagedDocument(path);
    }
    return readDocument(bytes, path);
}

Model UnitRepositoryReader::readDocument(std::string_view text, const std::string& path) {
    return DocumentReader(text, path).read();
}

std::function<Model()> UnitRepositoryReader::makeFileLoader(const std::string& path) {
    return [path] {
        try {
            return readFile(path);
        } catch (const IException& e) {
            cvsvReportAsWarning(cvsvCreateDiagnosticFromIException(e, true));
            return Model();
        }
    };
}

} // namespace CvUnitSys
