#pragma once

#include "units/db/UnitDatabase.hpp"
#include "units/foundation/UString.hpp"

#include <boost/container/small_vector.hpp>
#include <cstddef>
#include <string_view>

namespace CvUnitSys {

class UnitBase;

// The built-in database's answers to the symbol look-ups of the texts
// converted on this thread while the recorder is in scope: a symbol written
// twice is looked up once, and the caller can resolve the parsed expression
// without asking the database again. Only the first few distinct short
// symbols are kept, so a hostile text costs no more than it did.
class SymbolLookups {
public:
    // Loads the built-in database first, so that texts it parses while loading
    // are not recorded here.
    SymbolLookups();
    ~SymbolLookups();
    SymbolLookups(const SymbolLookups&) = delete;
    SymbolLookups& operator=(const SymbolLookups&) = delete;

    // The built-in database's first unit for `symbol`, and whether it has
    // several, asked through the recorder in scope when there is one.
    static UnitDatabase::FirstUnit lookUp(const ustring& symbol);

    const UnitDatabase& database() const { return *database_; }
    // The kept answer for `symbol`, or null.
    const UnitDatabase::FirstUnit* find(std::u16string_view symbol) const;

    static constexpr std::size_t maxKept = 16;
    static constexpr std::size_t maxSymbolLength = 32;

private:
    struct Answer {
        ustring symbol;
        UnitDatabase::FirstUnit found;
    };
    const UnitDatabase* database_;
    SymbolLookups* previous_;
    boost::container::small_vector<Answer, 4> kept_;
};

} // namespace CvUnitSys
