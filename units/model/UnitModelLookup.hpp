#pragma once

#include "units/foundation/UString.hpp"
#include "units/model/UnitPrefix.hpp"

#include <functional>
#include <memory>
#include <set>

namespace CvUnitSys {

class UnitSystem;

// Where the entities look up unit systems and prefixes by name while a database
// is loaded. The answers live in the database layer, which sits above this one,
// so it installs the hooks; until then, and for every hook left empty, every
// look-up finds nothing. Tests install fakes.
class UnitModelLookup {
public:
    using PrefixSet =
        std::set<std::reference_wrapper<const UnitPrefix>, UnitPrefix::ConstRefComparator>;
    using SystemByName = std::function<std::shared_ptr<UnitSystem>(const ustring&)>;
    using PrefixesByName = std::function<PrefixSet(const ustring&)>;

    struct Hooks {
        // A system of any database, as the database manager resolves it.
        SystemByName managerUnitSystem;
        // A system of the built-in database.
        SystemByName builtInUnitSystem;
        // The built-in database's prefixes whose name, symbol or ASCII symbol match.
        PrefixesByName builtInPrefixes;
    };

    // Replaces every hook and returns the previous ones.
    static Hooks install(Hooks hooks);

    static std::shared_ptr<UnitSystem> managerUnitSystem(const ustring& name);
    static std::shared_ptr<UnitSystem> builtInUnitSystem(const ustring& name);
    static PrefixSet builtInPrefixes(const ustring& name);
};

} // namespace CvUnitSys
