#pragma once

#include "db/DbFixtures.hpp"
#include "units/platform/TemporaryFile.hpp"
#include "units/platform/TextServices.hpp"

#include <fstream>
#include <ostream>
#include <string>
#include <vector>

namespace userdb_test {

using namespace CvUnitSys;

// The key and first argument of a warning item: what names the problem and
// the entry it concerns.
struct Item {
    std::string key;
    std::u16string firstArg;

    bool operator==(const Item&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Item& item) {
    return out << item.key << "(" << TextServices::toUtf8(item.firstArg) << ")";
}

// Every item of every collected warning, in order.
inline std::vector<Item> itemsOf(const WarningCollector& collector) {
    std::vector<Item> items;
    for (const Diagnostic& d : collector.warnings()) {
        for (const DiagnosticItem& item : d.items()) {
            const auto& args = item.id.getArgs();
            items.push_back(
                {item.id.getKey(), args.empty() ? u"" : boost::get<std::u16string>(args.front())});
        }
    }
    return items;
}

// A database file in the temporary folder, removed with the object.
class DatabaseFile {
public:
    explicit DatabaseFile(const std::string& document) {
        std::ofstream(file_.getFileName(), std::ios::binary) << document;
    }
    const std::string& path() const { return file_.getFileName(); }
    ustring name() const { return TextServices::fromUtf8(path()); }

private:
    TemporaryFile file_;
};

} // namespace userdb_test
