#pragma once

#include "units/foundation/UString.hpp"
#include "units/model/StoredConversionFactor.hpp"
#include "units/model/UnitTexts.hpp"

#include <boost/smart_ptr/intrusive_ptr.hpp>
#include <boost/smart_ptr/intrusive_ref_counter.hpp>
#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class UnitExpr;

namespace CvUnitSys {

class UnitSystem;

// What a database holds and every query hands around: units and physical
// quantities. Entities are ordered by `compare`, a total order on their texts
// and factors in which display text and id take no part.
class UnitBase {
public:
    enum UnitType {
        UNIT_TYPE_BASE = 1,
        UNIT_TYPE_PHYSICAL_QUANTITY = 2,
        UNIT_TYPE_UNIT = 3,
        // Never an entity's type: selects the prefix index in completion.
        UNIT_TYPE_PREFIX = 4
    };

    struct ConstRefComparator {
        bool operator()(std::reference_wrapper<const UnitBase> a,
                        std::reference_wrapper<const UnitBase> b) const {
            return a.get().compare(b.get()) < 0;
        }
    };

    UnitBase(std::int32_t id, std::u16string_view name, std::u16string_view expression,
             std::u16string_view display, std::u16string_view symbol,
             std::u16string_view asciiSymbol, const StoredConversionFactor& conversionFactor);
    UnitBase(std::int32_t id, UnitTexts texts, const StoredConversionFactor& conversionFactor);
    UnitBase(std::u16string_view expression, const StoredConversionFactor& conversionFactor);
    UnitBase(const UnitBase&) = default;
    UnitBase& operator=(const UnitBase&) = delete;

    virtual UnitType getUnitType() const { return UNIT_TYPE_BASE; }
    virtual std::unique_ptr<UnitBase> clone() const = 0;
    virtual ~UnitBase() = default;
    // Not virtual: a table finds a unit by the id it carries, on every look-up.
    void setId(std::int32_t id) { id_ = id; }
    std::int32_t getId() const { return id_; }
    virtual bool isPrefixOnly() const { return false; }
    virtual bool isPrefixedUnit() const { return false; }
    virtual bool isAliased() const { return false; }
    // One line for tracing: Unit : '<expression>'.
    virtual void print(std::basic_ostream<char16_t>& out) const;
    virtual std::string getUnitIdText() const = 0;
    // The systems the entity belongs to; physical quantities belong to none.
    virtual const std::vector<std::shared_ptr<UnitSystem>>& getUnitSystems() const;

    // -1, 0 or 1.
    int compare(const UnitBase& other) const;
    // compare, given texts equal to the two entities' symbols: a caller that
    // holds them spares the reads of both entities' texts when the symbols differ.
    int compare(const UnitBase& other, std::u16string_view symbol,
                std::u16string_view otherSymbol) const;

    std::u16string_view getName() const { return texts_.get(UnitTexts::Name); }
    std::u16string_view getSymbol() const { return texts_.get(UnitTexts::Symbol); }
    std::u16string_view getAsciiSymbol() const { return texts_.get(UnitTexts::AsciiSymbol); }
    std::u16string_view getDisplay() const { return texts_.get(UnitTexts::Display); }
    std::u16string_view getExpression() const { return texts_.get(UnitTexts::Expression); }
    const UnitTexts& getTexts() const { return texts_; }
    const StoredConversionFactor& getConversionFactor() const {
        return shared_ ? shared_->factor : defaultFactor();
    }
    std::u16string_view getDisplayString() const { return getExpression(); }

    // True when the entity belongs to no system, or shares a system name with `systems`.
    bool
    isUnitCompatibleWithUnitSystems(const std::vector<std::shared_ptr<UnitSystem>>& systems) const;

    static bool isValidStringForUnitName(std::u16string_view name);
    // Every symbol of the expression is a valid name; parse errors are thrown.
    static bool isValidUnitExpr(const ustring& expression);
    static bool isValidUnitExpr(const UnitExpr& parsed);
    // As isValidUnitExpr for "expression@qualifier", the qualifier being a name;
    // false when the text does not split.
    static bool isValidExpr(const ustring& text);
    // Whether the factor is the one entities carry unless they say otherwise.
    static bool isDefaultFactor(const StoredConversionFactor& factor);
    // isDefaultFactor of the entity's own factor; most entities share no
    // factor, and their texts are not compared.
    bool hasDefaultFactor() const { return !shared_ || isDefaultFactor(shared_->factor); }

protected:
    // What copies of an entity share and never change: a factor other than the
    // default one, and what a kind of entity adds to it. Absent for most
    // entities; one pointer in every entity, the unit of each registered text too.
    struct Shared : boost::intrusive_ref_counter<Shared> {
        explicit Shared(StoredConversionFactor f) : factor(std::move(f)) {}
        Shared(const Shared&) = default;
        Shared& operator=(const Shared&) = delete;
        virtual ~Shared() = default;
        StoredConversionFactor factor;
    };
    // The kind's shared part is made by the kind, whatever its factor.
    UnitBase(std::int32_t id, UnitTexts texts, boost::intrusive_ptr<Shared> shared);
    static const StoredConversionFactor& defaultFactor();
    const Shared* shared() const { return shared_.get(); }
    Shared* shared() { return shared_.get(); }
    void setShared(boost::intrusive_ptr<Shared> shared) { shared_ = std::move(shared); }

    // The kind-specific last step of `compare`, reached when every shared field is equal.
    virtual int compareTemplate(const UnitBase& other) const;
    // A kind whose entities may be prefixed sets their place in `compare`'s
    // order once constructed, from isPrefixOnly and isPrefixedUnit, which never
    // change: `compare` then reads it without a virtual call.
    void settleSortClass();
    // The order of entities of different kinds that agree on every shared field.
    int compareUnitTypes(const UnitBase& other) const;

private:
    // compare, the symbols' order being read, when it is needed, from `compareSymbols`.
    template <typename CompareSymbols>
    int compareWith(const UnitBase& other, CompareSymbols compareSymbols) const;

    std::int32_t id_;
    // Sorts first: 0, neither prefixed nor a prefix only; 1, a prefix only; 2, prefixed.
    std::uint8_t sortClass_ = 0;
    UnitTexts texts_;
    boost::intrusive_ptr<Shared> shared_;
};

std::basic_ostream<char16_t>& operator<<(std::basic_ostream<char16_t>& out, const UnitBase& unit);

// -1, 0 or 1 by UTF-16 code unit, a proper prefix being smaller.
int compareText(std::u16string_view a, std::u16string_view b);

} // namespace CvUnitSys
