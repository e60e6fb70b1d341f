#pragma once

#include "units/foundation/Exponent.hpp"
#include "units/model/ExponentUsage.hpp"
#include "units/model/UnitBase.hpp"

#include <boost/container/flat_map.hpp>
#include <boost/container/small_vector.hpp>
#include <functional>
#include <utility>

namespace CvUnitSys {

// A unit expression resolved to entities: each entity, in `compare` order, with
// its exponent. Flat, and never normalised: an entry whose exponent simplifies
// to zero stays. The entities are not owned and must outlive the AST. Entries
// sit in one sorted array held in place up to a few entries: an AST has a
// handful, every registered unit keeps two, and a definition builds several.
class UnitAST {
public:
    using Entry = std::pair<std::reference_wrapper<const UnitBase>, Exponent>;
    using Map = boost::container::flat_map<std::reference_wrapper<const UnitBase>, Exponent,
                                           UnitBase::ConstRefComparator,
                                           boost::container::small_vector<Entry, 4>>;

    UnitAST() = default;
    UnitAST(const UnitAST&) = default;
    UnitAST& operator=(const UnitAST&) = default;
    // Leaves `other` empty.
    UnitAST(UnitAST&& other) noexcept;
    UnitAST& operator=(UnitAST&& other) noexcept;
    ~UnitAST() = default;

    // Gathers: an entity already present has `e` added part by part.
    void addToAST(std::reference_wrapper<const UnitBase> unit, const Exponent& e);
    // Adds every entry of `other` raised to `e`; expands a unit by its definition.
    void addToAST(const UnitAST& other, const Exponent& e);

    const Map& getAST() const { return ast_; }
    bool isEmpty() const { return ast_.empty(); }
    bool equal(const UnitAST& other, ExponentUsage usage) const;
    // Each entry as <ASCII symbol>^<pos>:<neg>, no separator.
    ustring toUString() const;

private:
    bool equalOnBothParts(const UnitAST& other) const;
    bool equalOnSimplified(const UnitAST& other) const;

    Map ast_;
};

} // namespace CvUnitSys
